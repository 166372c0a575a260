// The stand-in program of the tests: an application, a browser, Firefox's
// DDE server or a web server. Copies of it are started under the names a
// test needs (game.exe, chrome.exe...).
// Usage: TestWindow.exe [OPTION...] CLASS TITLE [TITLE...]
//        TestWindow.exe --serve PORTFILE        (HttpServer.cpp)
// Opens one visible top-level window of class CLASS per TITLE and runs until
// every window is closed or its thread is told to quit. Options:
//   --edit TEXT            each window gets an "Edit" child holding TEXT
//   --sealed               no other process may open this one, as with a
//                          protected process; whoever started it keeps its handle
//   --flicker              a thread keeps opening windows "Flicker" on top of
//                          the others and closing each some 20 ms later
//   --tree SHAPE ADDRESS   each window serves the accessible tree SHAPE
//                          (FakeTree.h) showing ADDRESS
//   --focus-until EVENT    ...whose field is typed in until EVENT is set
//   --stall EVENT          ...whose root answers its child count only once
//                          EVENT is set (a minute at most): a browser that
//                          stops answering
//   --keys EVENT           EVENT is set when keyboard input reaches the process
//   --notify-foreground    see ForegroundNotice.h
//   --dde SERVER HEX FILE  Firefox's DDE server "firefox": SERVER "answers" a
//                          request with the bytes HEX ("x", hexadecimal digits),
//                          "silent" blocks every request, "none" serves
//                          nothing; each transaction is a line of FILE. Ctrl+L
//                          moves the focus to the "Edit" child and selects it,
//                          so that Ctrl+C copies only after Ctrl+L.
#include "ForegroundNotice.h"
#include "fw/UniqueHandle.h"
#include "support/FakeTree.h"

#include <windows.h>
#include <aclapi.h>
#include <ddeml.h>

#include <string>

int ServeHttp(const wchar_t* portFile);  // HttpServer.cpp

namespace {

int g_open = 0;
FakeTree g_tree;
bool g_serveTree = false;
DWORD g_dde = 0;
std::wstring g_server, g_calls;
std::string g_reply;

void Seal() {
    ACL empty;
    InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
    SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &empty,
                    nullptr);
}

DWORD WINAPI Flicker(LPVOID) {
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

void Record(const std::wstring& call) {
    const UniqueFile file(
        CreateFileW(g_calls.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
    const std::string line = std::string(call.begin(), call.end()) + "\n";
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::wstring Text(HSZ hsz) {
    wchar_t text[64] = {};
    DdeQueryStringW(g_dde, hsz, text, 64, CP_WINUNICODE);
    return text;
}

HDDEDATA CALLBACK Serve(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT: Record(L"connect " + Text(hsz1) + L"/" + Text(hsz2)); return reinterpret_cast<HDDEDATA>(TRUE);
    case XTYP_REQUEST:
        Record(L"request " + Text(hsz2) + L" " + std::to_wstring(format));
        if (g_server == L"silent") return CBR_BLOCK;
        return DdeCreateDataHandle(g_dde, reinterpret_cast<BYTE*>(&g_reply[0]), static_cast<DWORD>(g_reply.size()), 0,
                                   hsz2, format, 0);
    case XTYP_DISCONNECT: Record(L"disconnect"); return nullptr;
    case XTYP_CONNECT_CONFIRM: return nullptr;
    default: Record(L"unexpected " + std::to_wstring(type)); return nullptr;
    }
}

void ServeDde(const wchar_t* hex) {
    for (size_t i = 1; hex[i] && hex[i + 1]; i += 2)
        g_reply += static_cast<char>(std::stoi(std::wstring(hex + i, 2), nullptr, 16));
    if (g_server == L"none") return;
    DdeInitializeW(&g_dde, Serve, APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS, 0);
    DdeNameService(g_dde, DdeCreateStringHandleW(g_dde, L"firefox", CP_WINUNICODE), nullptr, DNS_REGISTER);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    NoticeForeground(hwnd, message, wParam);
    if (g_serveTree && message == WM_GETOBJECT && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_WINDOW))
        return LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(g_tree.Root()));
    if (message == WM_DESTROY && --g_open == 0) PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 3 && lstrcmpW(argv[1], L"--serve") == 0) return ServeHttp(argv[2]);
    const wchar_t *editText = nullptr, *shape = nullptr, *address = nullptr;
    UniqueKernelHandle focusUntil, stall, keys;
    bool flicker = false, dde = false;
    int i = 1;
    const auto option = [&](const wchar_t* name, int values) {
        if (i + values >= argc || lstrcmpW(argv[i], name) != 0) return false;
        i += values + 1;
        return true;
    };
    while (i < argc && argv[i][0] == L'-') {
        if (option(L"--edit", 1)) {
            editText = argv[i - 1];
        } else if (option(L"--sealed", 0)) {
            Seal();
        } else if (option(L"--flicker", 0)) {
            flicker = true;
        } else if (option(L"--notify-foreground", 0)) {
            g_notifyForeground = true;
        } else if (option(L"--tree", 2)) {
            shape = argv[i - 2];
            address = argv[i - 1];
        } else if (option(L"--focus-until", 1)) {
            focusUntil.reset(OpenEventW(SYNCHRONIZE, FALSE, argv[i - 1]));
        } else if (option(L"--stall", 1)) {
            stall.reset(OpenEventW(SYNCHRONIZE, FALSE, argv[i - 1]));
        } else if (option(L"--keys", 1)) {
            keys.reset(OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[i - 1]));
        } else if (option(L"--dde", 3)) {
            g_server = argv[i - 3];
            g_calls = argv[i - 1];
            ServeDde(argv[i - 2]);
            dde = true;
        } else {
            return 2;
        }
    }
    if (i + 2 > argc) return 2;
    if (shape) {
        CoInitialize(nullptr);  // handing out an accessible object marshals it
        if (!(g_serveTree = AddBrowserShape(g_tree, shape, address, focusUntil.get()))) return 2;
        g_tree.Root()->stallMs = stall ? 60000 : 0;
        g_tree.Root()->release = stall.get();
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = argv[i];
    if (!RegisterClassW(&wc)) return 3;
    HWND field = nullptr;
    for (int t = i + 1; t < argc; ++t) {
        const HWND hwnd = CreateWindowExW(0, argv[i], argv[t], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10 * t, 10 * t, 300,
                                          200, nullptr, nullptr, instance, nullptr);
        if (!hwnd) continue;
        ++g_open;
        if (editText)
            field = CreateWindowExW(0, L"Edit", editText, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 5, 5, 250, 22, hwnd,
                                    nullptr, instance, nullptr);
    }
    if (g_open == 0) return 4;
    const UniqueKernelHandle flickering(flicker ? CreateThread(nullptr, 0, Flicker, nullptr, 0, nullptr) : nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (keys && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) SetEvent(keys.get());
        if (dde && field && msg.message == WM_KEYDOWN && msg.wParam == 'L' && GetKeyState(VK_CONTROL) < 0) {
            SetFocus(field);
            SendMessageW(field, EM_SETSEL, 0, -1);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
