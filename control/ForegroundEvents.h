// Foreground changes of the whole desktop, handed to the thread that asked
// for them as a window message.
//
// The object installs an out-of-context event hook for
// EVENT_SYSTEM_FOREGROUND on the constructing thread, which must dispatch
// messages: the system calls the hook procedure on that thread whenever it
// retrieves messages, and that includes the waits inside the module's own
// work there (a message sent to another program's window, a DDE
// transaction's loop). Work run in the procedure itself could thus start
// inside a sweep of that same thread, whose lock (a critical section) lets
// its owner in again. So the procedure only records the window and posts one
// private message to a message-only window of this object; the callback runs
// when that message is dispatched, with the latest window: a burst of
// changes before then is one call. A nested message loop can still dispatch
// it, so the callback must itself pass over a sweep already running on its
// thread.
//
// Lifetime: one object at a time per module (a WinEvent procedure has no
// parameter of its own, so the procedure finds the object through a module
// global); a second one installs nothing. Destroyed on its own thread, it
// removes the hook, then its window, and nothing of it is called afterwards.
// Destroyed on another thread (a library unloaded there), the hook is
// removed too under Wine; Windows removes a hook only on the thread that
// installed it.
#pragma once

#include "fw/UniqueHandle.h"
#include "fw/Window.h"

#include <functional>

class ForegroundEvents : private Window {
public:
    using Callback = std::function<void(HWND foreground)>;

    explicit ForegroundEvents(Callback onForeground);
    ~ForegroundEvents() override;

    bool Installed() const noexcept { return static_cast<bool>(hook_); }

private:
    static void CALLBACK HookProc(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child, DWORD thread,
                                  DWORD time);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    Callback callback_;
    UniqueWinEventHook hook_;
    HWND pending_ = nullptr;  // the latest foreground window not yet handed on
};
