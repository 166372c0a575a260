#include "support/FakeBrowser.h"

HWND CreatePlainWindow(const wchar_t* windowClass, const wchar_t* text, HWND parent) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!GetClassInfoW(instance, windowClass, &wc)) {
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = instance;
        wc.lpszClassName = windowClass;
        RegisterClassW(&wc);
    }
    const DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    return CreateWindowExW(0, windowClass, text, style, 20, 20, 300, 150, parent, nullptr, instance, nullptr);
}

bool MadeForeground(HWND window) {
    SetForegroundWindow(window);
    for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i) Sleep(20);
    return window && GetForegroundWindow() == window;
}

FakeBrowser::FakeBrowser(const wchar_t* frameClass, const wchar_t* title, FakeTree* tree)
    : frame_(CreatePlainWindow(frameClass, title, nullptr)), root_(tree ? tree->Root() : nullptr) {
    SetWindowLongPtrW(frame_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(frame_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
}

HWND FakeBrowser::AddChain(const std::vector<const wchar_t*>& classes, const wchar_t* text) {
    HWND parent = frame_;
    size_t left = classes.size();
    for (const wchar_t* windowClass : classes) parent = CreatePlainWindow(windowClass, --left ? L"" : text, parent);
    return parent;
}

LRESULT CALLBACK FakeBrowser::RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FakeBrowser*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_WINDOW && self->root_)
        return LresultFromObject(IID_IAccessible, wParam, self->root_);
    if (message != WM_CLOSE) return CallWindowProcW(self->previous_, hwnd, message, wParam, lParam);
    self->closed_ = true;
    return 0;
}
