#include "control/CRestrictAction.h"

// The browser checks come with the address readers; until then no browser
// window is dealt with.
BOOL CRestrictAction::CheckIELock(CLIENT_APP_INFO*, HWND) {
    return FALSE;
}

BOOL CRestrictAction::CheckInternetUrlRestrict(CLIENT_APP_INFO*, HWND) {
    return FALSE;
}
