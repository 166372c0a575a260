#include "browsers/ChromeReader.h"

// Reading Chrome's address comes with the accessibility walker.
int GetChromeVersion() {
    return 0;
}

int GetChromeURL(HWND, wchar_t*, CHostLog*) {
    return 0;
}
