#include "fw/Window.h"

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

HWND ForegroundWindow() {
    const HWND foreground = GetForegroundWindow();
    return foreground == GetDesktopWindow() ? nullptr : foreground;
}

Window::~Window() {
    Destroy();
    // Fails while a window of another thread still uses the class; the class
    // then keeps only the system's procedure.
    if (className_) UnregisterClassW(className_, ThisModule());
}

bool Window::Create(const wchar_t* className, const wchar_t* title, DWORD style, HWND parent) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;  // user32's, through the import table
    wc.hInstance = ThisModule();
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    className_ = className;
    const HWND hwnd = CreateWindowExW(0, className, title, style, 0, 0, 0, 0, parent, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return false;
    hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::WndProc));
    return true;
}

BOOL Window::Destroy() {
    if (!hwnd_) return FALSE;
    if (GetWindowThreadProcessId(hwnd_, nullptr) == GetCurrentThreadId()) return DestroyWindow(hwnd_);
    // Its timers fire into DefWindowProc, which ignores them, until the
    // owner's DefWindowProc answers WM_CLOSE by destroying it.
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    hwnd_ = nullptr;
    return TRUE;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // No exception may cross into the system's dispatcher.
        result = DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}
