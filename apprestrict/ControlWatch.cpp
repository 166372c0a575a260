#include "control/CRestrictAction.h"

// The system-window rules come with MODE_CONTROLWATCH's title table; until
// then no window is closed.
BOOL CRestrictAction::CheckControlWatch(const wchar_t*, const wchar_t*) const {
    return FALSE;
}
