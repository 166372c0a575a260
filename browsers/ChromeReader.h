// Chrome's address: from its registry version places and, by version, from
// the address window's text or the accessibility tree; and the text of a
// plain address window.
#pragma once

#include "RestrictAction.h"

// 99 when Chrome is registered in one of the first three places, else the
// major version of the fourth, else 0.
int GetChromeVersion();
// Writes the address shown by a Chrome top window or address window into
// `buffer` (261 units, cleared by the caller; at most 260 characters and a
// terminator) and returns its length, 0 when nothing was read. Logs through
// `log`.
int GetChromeURL(HWND hwnd, wchar_t* buffer, CHostLog* log);
// The text of an address window: an "Edit" (any browser's) or a
// "Chrome_OmniboxView" (Chrome before 29), asked for with a 500 ms time-out,
// into `buffer` as above. Returns the characters copied; 0 for any other
// class or a hung window. LastError is 0 after a success.
int GetEditWindowText(HWND hwnd, wchar_t* buffer);
