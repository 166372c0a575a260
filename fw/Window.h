// Base of the module's own windows. Lifetime: the object must outlive its
// window. Messages reach HandleMessage() from the end of Create() until
// WM_NCDESTROY; those sent while the window is being created go to the
// system's procedure.
//
// Nothing of the module stays reachable from a window or a class once the
// module is gone: the class is registered with the system's procedure (a
// class still used by a window cannot be unregistered, and a later load
// would find it), and each window is subclassed only after creation.
#pragma once

#include <windows.h>

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const noexcept { return hwnd_; }

    // Registers the class on first use (per module) and creates the window;
    // a message-only one when `parent` is HWND_MESSAGE.
    bool Create(const wchar_t* className, const wchar_t* title, DWORD style, HWND parent = nullptr);
    // Destroys the window on its own thread. From another thread, which may
    // not destroy it and must not wait for its owner (a library unloading
    // there holds the loader lock), the window is handed back to the
    // system's procedure and its own thread is asked to close it.
    BOOL Destroy();

protected:
    Window() = default;
    // Default: DefWindowProc.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HWND hwnd_ = nullptr;
    const wchar_t* className_ = nullptr;
};

// The module (EXE or DLL) whose code this is.
HINSTANCE ThisModule();

// The foreground window; null when there is none or the desktop itself is
// in front. Allocates nothing and sends no message: the input hooks ask it.
HWND ForegroundWindow();
