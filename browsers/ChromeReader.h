// Chrome's address: from its registry version places and, by version, from
// the address window's text or the accessibility tree.
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
