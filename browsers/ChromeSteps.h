// The ways GetChromeURL reads Chrome's address, one per Chrome generation.
// Buffers are the caller's 261 units; at most 260 characters are written,
// always followed by a null.
#pragma once

#include "RestrictAction.h"
#include "fw/Com.h"

#include <oleacc.h>

#include <string>

// The address bar's value from the accessible tree of a Chrome top window
// ("Chrome_WidgetWin_1"), through the ANSI code page. Returns the length of
// the text in `buffer`, which is unchanged when nothing was read.
// Chrome 29 and 30: the window's first child must be "Chrome_WidgetWin_0".
int GetURLText(HWND hwnd, wchar_t* buffer, CHostLog* log);
// Chrome 31 and later. Returns 0 when the bar holds no value.
int GetNewURLText(HWND hwnd, wchar_t* buffer, CHostLog* log);

// Finds the address bar below `parent` by its English or Japanese name and
// role text, which it hands back. Levels without IEnumVARIANT are walked by
// the identifiers 1..n.
bool EnumUIChild(IAccessible* parent, ComPtr<IAccessible>& found, UniqueVariant& foundChild, std::wstring& name,
                 std::wstring& role);
