// Edge's address, from the accessibility tree of its store-app frame.
#pragma once

#include <windows.h>

#include <string>

// Overwrites `url` with the address field's value; leaves it as it was when
// nothing is read.
void GetEdgeURL(HWND hwnd, std::wstring& url);
