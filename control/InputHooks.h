// The low-level input hooks of MODE_URLRESTRICT and the words they share
// with every process that loads the module (section "UrlRestr", 12 bytes:
// keyboard hook, mouse hook, g_bCheckUrl, in this order).
//
// The hooks only keep g_bCheckUrl current: 0 while the user types in
// Internet Explorer's address field, 1 after Enter there or any mouse event
// while Internet Explorer is in front. The URL check acts on an allow list
// only while it is 1. Only the hook procedures write it.
//
// The hooks run on the thread that started the mode, in the process that
// installed them; a process unloading the module removes only those it
// installed itself.
#pragma once

#include <windows.h>

extern HHOOK g_hKeyboardHook;
extern HHOOK g_hMouseHook;
extern BOOL g_bCheckUrl;

// The foreground window when its class is one of the browser frames, else
// null. Allocates nothing: it runs inside the hooks.
HWND IsBrowserForeground();

LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam);
