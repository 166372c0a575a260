// Window classes that the browser checks recognise.
#pragma once

#include "fw/Text.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <iterator>

inline constexpr wchar_t kChromeFrameClass[] = L"Chrome_WidgetWin_1";
// Hosts a store app's content (Edge) inside an "ApplicationFrameWindow".
inline constexpr wchar_t kCoreWindowClass[] = L"Windows.UI.Core.CoreWindow";

inline bool HasCoreWindowChild(HWND hwnd) {
    return FindWindowExW(hwnd, nullptr, kCoreWindowClass, nullptr) != nullptr;
}

// Whether `hwnd`'s class is one of `classes` (whole and with case).
template <size_t N>
bool HasClassOf(HWND hwnd, const wchar_t* const (&classes)[N]) {
    const std::wstring windowClass = WindowClass(hwnd);
    return std::any_of(std::begin(classes), std::end(classes), [&](const wchar_t* name) { return windowClass == name; });
}
