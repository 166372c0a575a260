// A stand-in application for the tests. Copies of it are started under the
// names a test needs (game.exe, notepad.exe...).
// Usage: TestWindow.exe [--edit TEXT] [--sealed] [--flicker] [--stall-tree EVENT] [--notify-foreground]
//                       [--tree SHAPE ADDRESS] [--focus-until EVENT] [--keys EVENT] CLASS TITLE [TITLE...]
// Opens one visible top-level window of class CLASS per TITLE and runs until
// every window is closed (or the process is ended). With --edit, each window
// gets an "Edit" child holding TEXT, as a browser's address field.
// --sealed, --flicker and --stall-tree: see Seal, Flicker and
// StallAfterAnswering below; --notify-foreground: see ForegroundNotice.h.
// --tree: each window serves the accessible tree SHAPE of StandInTree.h,
// showing ADDRESS, whose field has focus until EVENT with --focus-until.
// --keys: EVENT is set when any keyboard input reaches the process.
#include "ForegroundNotice.h"
#include "StandInTree.h"

#include <windows.h>
#include <aclapi.h>
#include <oleacc.h>

static int g_open = 0;
static const wchar_t* g_stallEvent = nullptr;
static IAccessible* g_tree = nullptr;
constexpr UINT kStallMessage = WM_APP + 1;

// As a browser whose window thread hangs after handing out its accessible
// object: the thread's next message, taken before any call on the object,
// waits until the named event is set (at most a minute after the first
// wait). Each call on the object is answered after that.
static LRESULT StallAfterAnswering(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kStallMessage) {
        static const DWORD giveUp = GetTickCount() + 60000;
        const HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, g_stallEvent);
        const DWORD left = giveUp - GetTickCount();
        WaitForSingleObject(release, left > 60000 ? 0 : left);
        CloseHandle(release);
        return 0;
    }
    // __uuidof: the 64-bit mingw-w64 library's IID_IAccessible is not that GUID.
    IAccessible* object = nullptr;
    if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_WINDOW, __uuidof(IAccessible), reinterpret_cast<void**>(&object))))
        return DefWindowProcW(hwnd, message, wParam, lParam);
    PostMessageW(hwnd, kStallMessage, 0, 0);
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    return result;
}

// No other process may open this one (an empty access list), as with a
// protected process. Whoever started it keeps its handle.
static void Seal() {
    ACL empty;
    InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
    SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &empty,
                    nullptr);
}

// On a thread of its own: keeps opening windows titled "Flicker" on top of
// the others, without activating them, and closing each about 20 ms later,
// four open at a time.
static DWORD WINAPI Flicker(LPVOID) {
    HWND open[4] = {};
    for (unsigned i = 0;; ++i) {
        HWND& slot = open[i % 4];
        if (slot) DestroyWindow(slot);
        slot = CreateWindowExW(0, L"STATIC", L"Flicker", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                               nullptr);
        ShowWindow(slot, SW_SHOWNOACTIVATE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
}

static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    NoticeForeground(hwnd, message, wParam);
    if (g_tree && message == WM_GETOBJECT && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_WINDOW))
        return LresultFromObject(__uuidof(IAccessible), wParam, g_tree);
    if (g_stallEvent && (message == kStallMessage ||
                         (message == WM_GETOBJECT && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_WINDOW))))
        return StallAfterAnswering(hwnd, message, wParam, lParam);
    if (message == WM_DESTROY && --g_open == 0) PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t* editText = nullptr;
    const wchar_t *treeShape = nullptr, *treeAddress = nullptr;
    HANDLE focusUntil = nullptr, keysEvent = nullptr;
    bool flicker = false;
    // Takes the option's next value.
    const auto value = [&] {
        ++argv;
        --argc;
        return argv[1];
    };
    for (; argv && argc >= 3 && argv[1][0] == L'-'; ++argv, --argc) {
        if (lstrcmpW(argv[1], L"--edit") == 0) {
            editText = value();
        } else if (lstrcmpW(argv[1], L"--stall-tree") == 0) {
            g_stallEvent = value();
        } else if (lstrcmpW(argv[1], L"--tree") == 0 && argc >= 4) {
            treeShape = value();
            treeAddress = value();
        } else if (lstrcmpW(argv[1], L"--focus-until") == 0) {
            focusUntil = OpenEventW(SYNCHRONIZE, FALSE, value());
        } else if (lstrcmpW(argv[1], L"--keys") == 0) {
            keysEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, value());
        } else if (lstrcmpW(argv[1], L"--sealed") == 0) {
            Seal();
        } else if (lstrcmpW(argv[1], L"--flicker") == 0) {
            flicker = true;
        } else if (lstrcmpW(argv[1], L"--notify-foreground") == 0) {
            g_notifyForeground = true;
        } else {
            return 2;
        }
    }
    if (!argv || argc < 3) return 2;
    // Handing out an accessible object marshals it.
    if (g_stallEvent || treeShape) CoInitialize(nullptr);
    if (treeShape && !(g_tree = StandInTree(treeShape, treeAddress, focusUntil))) return 2;
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
    if (flicker) CloseHandle(CreateThread(nullptr, 0, Flicker, nullptr, 0, nullptr));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (keysEvent && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) SetEvent(keysEvent);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
