#include "control/CRestrictAction.h"

// The allow/deny check by executable name comes with MODE_APPRESTRICT's
// rules; until then no application is restricted.
BOOL CRestrictAction::CheckApplicationRestrict(CLIENT_APP_INFO*) {
    return FALSE;
}
