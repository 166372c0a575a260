// Window classes that the browser checks recognise.
#pragma once

#include <windows.h>

inline constexpr wchar_t kChromeFrameClass[] = L"Chrome_WidgetWin_1";
// Hosts a store app's content (Edge) inside an "ApplicationFrameWindow".
inline constexpr wchar_t kCoreWindowClass[] = L"Windows.UI.Core.CoreWindow";

inline bool HasCoreWindowChild(HWND hwnd) {
    return FindWindowExW(hwnd, nullptr, kCoreWindowClass, nullptr) != nullptr;
}
