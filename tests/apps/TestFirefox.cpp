// A stand-in Firefox for the Firefox reader tests, run as a process of its
// own (a second thread in the emulated 32-bit test program faults under
// user-mode emulation).
// Usage: TestFirefox.exe CLASS SERVER FIELD REPLYHEX CALLSFILE
// Opens a window of CLASS holding an address field with the text FIELD.
// SERVER "answers" serves DDE "firefox" and answers a request with the bytes
// REPLYHEX ("x" and hexadecimal digits, no terminator added); "silent" blocks every request;
// "none" serves nothing. Each DDE transaction is appended to CALLSFILE as a
// line. Focus starts on the frame; Ctrl+L moves it to the field and selects
// it, as the browser does, so that Ctrl+C copies only after Ctrl+L.
#include <windows.h>
#include <ddeml.h>

#include <string>

namespace {

DWORD g_instance = 0;
std::wstring g_server;
std::string g_reply;
std::wstring g_callsFile;

void Record(const std::wstring& call) {
    const HANDLE file = CreateFileW(g_callsFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0,
                                    nullptr);
    const std::string line(call.begin(), call.end());
    DWORD written = 0;
    WriteFile(file, (line + "\n").data(), static_cast<DWORD>(line.size() + 1), &written, nullptr);
    CloseHandle(file);
}

std::wstring Text(HSZ hsz) {
    wchar_t text[64] = {};
    DdeQueryStringW(g_instance, hsz, text, 64, CP_WINUNICODE);
    return text;
}

HDDEDATA CALLBACK Serve(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT:
        Record(L"connect " + Text(hsz1) + L"/" + Text(hsz2));
        return reinterpret_cast<HDDEDATA>(TRUE);
    case XTYP_REQUEST:
        Record(L"request " + Text(hsz2) + L" " + std::to_wstring(format));
        if (g_server == L"silent") return CBR_BLOCK;
        return DdeCreateDataHandle(g_instance, reinterpret_cast<BYTE*>(&g_reply[0]),
                                   static_cast<DWORD>(g_reply.size()), 0, hsz2, format, 0);
    case XTYP_DISCONNECT: Record(L"disconnect"); return nullptr;
    case XTYP_CONNECT_CONFIRM: return nullptr;
    default: Record(L"unexpected " + std::to_wstring(type)); return nullptr;
    }
}

std::string FromHex(const std::wstring& hex) {
    std::string bytes;
    for (size_t i = 1; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 6) return 2;
    g_server = argv[2];
    g_reply = FromHex(argv[4]);
    g_callsFile = argv[5];
    if (g_server != L"none") {
        DdeInitializeW(&g_instance, Serve, APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS, 0);
        DdeNameService(g_instance, DdeCreateStringHandleW(g_instance, L"firefox", CP_WINUNICODE), nullptr,
                       DNS_REGISTER);
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = argv[1];
    RegisterClassW(&wc);
    const HWND frame = CreateWindowExW(0, argv[1], L"Fake Firefox", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 400,
                                       200, nullptr, nullptr, instance, nullptr);
    const HWND field = CreateWindowExW(0, L"EDIT", argv[3], WS_CHILD | WS_VISIBLE, 0, 0, 300, 20, frame, nullptr,
                                       instance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && msg.wParam == 'L' && GetKeyState(VK_CONTROL) < 0) {
            SetFocus(field);
            SendMessageW(field, EM_SETSEL, 0, -1);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
