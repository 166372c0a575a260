// Base of the module's own windows. Lifetime: the object must outlive its
// window; Destroy() (or the destructor) destroys the window on the thread
// that created it. Messages reach HandleMessage() from WM_NCCREATE until
// WM_NCDESTROY; `this` travels through lpCreateParams.
#pragma once

#include <windows.h>

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const noexcept { return hwnd_; }

    // Registers the class on first use (per module) and creates the window.
    bool Create(const wchar_t* className, const wchar_t* title, DWORD style);
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
