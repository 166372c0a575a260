// The tests' stand-in program: TestWindow.exe [OPTION...] CLASS TITLE..., options below in `arity`.
#include "fw/UniqueHandle.h"
#include "support/FakeTree.h"

#include <windows.h>
#include <aclapi.h>
#include <ddeml.h>

#include <fstream>
#include <map>
#include <string>

int ServeHttp(const wchar_t* portFile);  // HttpServer.cpp

namespace {

constexpr UINT_PTR kForegroundTimer = 0x464E;
int g_open = 0;
bool g_notifyForeground = false;
FakeTree g_tree;
bool g_serveTree = false;
DWORD g_dde = 0;
std::wstring g_server, g_calls;
std::string g_reply;

DWORD WINAPI Flicker(LPVOID) {
    HWND open[4] = {};
    for (unsigned i = 0;; ++i) {
        HWND& slot = open[i % 4];
        DestroyWindow(slot);
        slot = CreateWindowExW(0, L"STATIC", L"Flicker", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                               nullptr);
        ShowWindow(slot, SW_SHOWNOACTIVATE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
}

void Record(const std::wstring& call) {
    std::ofstream(std::string(g_calls.begin(), g_calls.end()), std::ios::app | std::ios::binary)
        << std::string(call.begin(), call.end()) << "\n";
}

std::wstring Text(HSZ hsz) {
    wchar_t text[64] = {};
    DdeQueryStringW(g_dde, hsz, text, 64, CP_WINUNICODE);
    return text;
}

HDDEDATA CALLBACK Serve(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT:
        Record(L"connect " + Text(hsz1) + L"/" + Text(hsz2));
        if (g_server == L"hung") Sleep(10000);
        return reinterpret_cast<HDDEDATA>(TRUE);
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

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // --notify-foreground: raised once an activated window is really in front, as Windows does.
    if (g_notifyForeground && message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE)
        SetTimer(hwnd, kForegroundTimer, USER_TIMER_MINIMUM, nullptr);
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) KillTimer(hwnd, kForegroundTimer);
    if (message == WM_TIMER && wParam == kForegroundTimer && GetForegroundWindow() == hwnd) {
        KillTimer(hwnd, kForegroundTimer);
        NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, hwnd, OBJID_WINDOW, CHILDID_SELF);
    }
    if (g_serveTree && message == WM_GETOBJECT && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_WINDOW))
        return LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(g_tree.Root()));
    if (message == WM_DESTROY && --g_open == 0) PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HANDLE GivenEvent(const std::map<std::wstring, LPWSTR*>& given, const wchar_t* option, DWORD access) {
    return given.count(option) ? OpenEventW(access, FALSE, given.at(option)[0]) : nullptr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 3 && lstrcmpW(argv[1], L"--serve") == 0) return ServeHttp(argv[2]);
    const std::map<std::wstring, int> arity = {{L"--edit", 1},      {L"--sealed", 0},      {L"--flicker", 0},
                                               {L"--tree", 2},      {L"--focus-until", 1}, {L"--stall", 1},
                                               {L"--keys", 1},      {L"--dde", 3},         {L"--notify-foreground", 0}};
    std::map<std::wstring, LPWSTR*> given;
    int i = 1;
    for (; i < argc && arity.count(argv[i]) && i + arity.at(argv[i]) < argc; i += arity.at(argv[i]) + 1)
        given[argv[i]] = argv + i + 1;
    if (i + 2 > argc || argv[i][0] == L'-') return 2;
    const UniqueKernelHandle focusUntil(GivenEvent(given, L"--focus-until", SYNCHRONIZE)),
        stall(GivenEvent(given, L"--stall", SYNCHRONIZE)), keys(GivenEvent(given, L"--keys", EVENT_MODIFY_STATE));
    g_notifyForeground = given.count(L"--notify-foreground");
    if (given.count(L"--sealed")) {
        ACL empty;  // no access for anyone: as a protected process
        InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
        SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &empty,
                        nullptr);
    }
    if (given.count(L"--dde")) {
        g_server = given[L"--dde"][0];
        g_calls = given[L"--dde"][2];
        for (const wchar_t* hex = given[L"--dde"][1] + 1; hex[0] && hex[1]; hex += 2)
            g_reply += static_cast<char>(std::stoi(std::wstring(hex, 2), nullptr, 16));
        if (g_server != L"none") {
            DdeInitializeW(&g_dde, Serve, APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS, 0);
            DdeNameService(g_dde, DdeCreateStringHandleW(g_dde, L"firefox", CP_WINUNICODE), nullptr, DNS_REGISTER);
        }
    }
    if (given.count(L"--tree")) {
        CoInitialize(nullptr);
        if (!(g_serveTree = AddBrowserShape(g_tree, given[L"--tree"][0], given[L"--tree"][1], focusUntil.get())))
            return 2;
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
        g_open += hwnd != nullptr;
        if (hwnd && given.count(L"--edit"))
            field = CreateWindowExW(0, L"Edit", given[L"--edit"][0], WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 5, 5, 250,
                                    22, hwnd, nullptr, instance, nullptr);
    }
    if (g_open == 0) return 4;
    const UniqueKernelHandle flickering(
        given.count(L"--flicker") ? CreateThread(nullptr, 0, Flicker, nullptr, 0, nullptr) : nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (keys && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) SetEvent(keys.get());
        if (given.count(L"--dde") && field && msg.message == WM_KEYDOWN && msg.wParam == 'L' && GetKeyState(VK_CONTROL) < 0) {
            SetFocus(field);
            SendMessageW(field, EM_SETSEL, 0, -1);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
