// A stand-in application for the tests. Copies of it are started under the
// names a test needs (game.exe, notepad.exe...).
// Usage: TestWindow.exe [--edit TEXT] CLASS TITLE [TITLE...]
// Opens one visible top-level window of class CLASS per TITLE and runs until
// every window is closed (or the process is ended). With --edit, each window
// gets an "Edit" child holding TEXT, as a browser's address field.
#include <windows.h>

static int g_open = 0;

static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && --g_open == 0) PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t* editText = nullptr;
    if (argv && argc >= 3 && lstrcmpW(argv[1], L"--edit") == 0) {
        editText = argv[2];
        argv += 2;
        argc -= 2;
    }
    if (!argv || argc < 3) return 2;
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = argv[1];
    if (!RegisterClassW(&wc)) return 3;
    for (int i = 2; i < argc; ++i) {
        HWND hwnd = CreateWindowExW(0, argv[1], argv[i], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10 * i, 10 * i, 300,
                                    200, nullptr, nullptr, instance, nullptr);
        if (hwnd) ++g_open;
        if (hwnd && editText)
            CreateWindowExW(0, L"Edit", editText, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 5, 5, 250, 22, hwnd, nullptr,
                            instance, nullptr);
    }
    if (g_open == 0) return 4;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
