// Edge's address, from the accessibility tree of its store-app frame.
#pragma once

#include "RestrictAction.h"

#include <string>

// Overwrites `url` with the address field's value; leaves it as it was when
// nothing is read. Logs through `log` only when Edge stops answering.
void GetEdgeURL(HWND hwnd, std::wstring& url, CHostLog* log);
