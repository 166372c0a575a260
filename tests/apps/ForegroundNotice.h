// TestWindow.exe --notify-foreground: Wine raises no EVENT_SYSTEM_FOREGROUND
// itself, so the stand-in raises it for its own windows, as Windows would,
// each time one of them is activated, once that window is really in front
// (looked at on activation, then every timer period until it is, or until
// the window is no longer active).
#pragma once

#include <windows.h>

inline bool g_notifyForeground = false;
constexpr UINT_PTR kForegroundTimer = 0x464E;

// Sees every message of the stand-in's windows first.
inline void NoticeForeground(HWND hwnd, UINT message, WPARAM wParam) {
    if (!g_notifyForeground) return;
    const bool activated = message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE;
    if (message == WM_ACTIVATE && !activated) KillTimer(hwnd, kForegroundTimer);
    if (activated) SetTimer(hwnd, kForegroundTimer, USER_TIMER_MINIMUM, nullptr);
    if ((activated || (message == WM_TIMER && wParam == kForegroundTimer)) && GetForegroundWindow() == hwnd) {
        KillTimer(hwnd, kForegroundTimer);
        NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, hwnd, OBJID_WINDOW, CHILDID_SELF);
    }
}
