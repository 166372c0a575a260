// The reference host: loads RestrictAction.dll the way a real host does and
// prints every notification it receives. What a host author runs to try the
// module.
//
//   RefHost.exe [options]
//     --timer MS              timer period given to Initial (default 1000)
//     --period MS             APPWATCH report period (default 5000)
//     --run MS                how long to pump messages (default 10000)
//     --list MODE=A;B;...     records of the list given with MODE (1, 2, 3);
//                             for MODE 2 an entry is FIRST|SECOND (patterns)
//     --start MODE[,PARAM[,EXTRA]]   start a mode (repeatable)
//     --restrict MS,ACTION,TITLE,PATH  call Restrict after MS (repeatable)
//     --confirm N             reply to 0x594 (default 0: module enforces)
//     --log PATH --mask N     the log file and level mask (default mask 1)
//     --base DIR              base folder (Config\Restrict.ini lives below)
//     --folder DIR            a host program folder (up to 8)
//     --front TITLE           wait up to 10 s for a window with this title and
//                             bring it to the front before the modes start:
//                             owned windows (the Run dialog) are examined
//                             only while they are in front
#include "RestrictAction.h"
#include "HostList.h"
#include "HostModule.h"
#include "fw/UniqueHandle.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Options {
    UINT timer = 1000;
    DWORD period = 5000;
    DWORD run = 10000;
    LRESULT confirm = 0;
    std::wstring log, base, front;
    DWORD mask = 1;
    std::vector<std::wstring> folders;
    std::vector<std::wstring> lists[4];
    struct Start {
        int mode;
        DWORD param, extra;
    };
    std::vector<Start> starts;
    struct Request {
        DWORD at;
        int action;
        std::wstring title, path;
    };
    std::vector<Request> requests;
};

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::wstring::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

DWORD Number(const std::wstring& text) { return static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 0)); }

bool Parse(int argc, wchar_t** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring key = argv[i], value = argv[i + 1];
        if (key == L"--timer") o.timer = Number(value);
        else if (key == L"--period") o.period = Number(value);
        else if (key == L"--run") o.run = Number(value);
        else if (key == L"--confirm") o.confirm = static_cast<LRESULT>(Number(value));
        else if (key == L"--log") o.log = value;
        else if (key == L"--mask") o.mask = Number(value);
        else if (key == L"--base") o.base = value;
        else if (key == L"--front") o.front = value;
        else if (key == L"--folder" && o.folders.size() < 8) o.folders.push_back(value);
        else if (key == L"--list" && value.size() > 2 && value[1] == L'=' && value[0] >= L'1' && value[0] <= L'3')
            o.lists[value[0] - L'0'] = Split(value.substr(2), L';');
        else if (key == L"--start") {
            auto p = Split(value, L',');
            p.resize(3);
            o.starts.push_back({static_cast<int>(Number(p[0])), Number(p[1]), p[2].empty() ? 1 : Number(p[2])});
        } else if (key == L"--restrict") {
            auto p = Split(value, L',');
            p.resize(4);
            o.requests.push_back({Number(p[0]), static_cast<int>(Number(p[1])), p[2], p[3]});
        } else {
            fwprintf(stderr, L"RefHost: unknown option %ls\n", key.c_str());
            return false;
        }
    }
    return true;
}

LRESULT g_confirmReply = 0;

void PrintRecord(const char* indent, const CLIENT_APP_INFO& r) {
    wprintf(L"%hs%ls  pid %lu  \"%ls\"\n", indent, r.szAppExeName, r.dwProcessId, r.szWindowTitle);
}

// A restricted record: the host also learns where the program lives.
void PrintRestricted(const wchar_t* what, WPARAM wParam, LPARAM lParam) {
    const auto& r = *reinterpret_cast<const CLIENT_APP_INFO*>(wParam);
    wprintf(L"%ls (%ls list): ", what, lParam ? L"deny" : L"allow");
    PrintRecord("", r);
    wprintf(L"      %ls\n", r.szAppExePath);
}

LRESULT CALLBACK NotifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_RA_APPWATCH_REPORT: {
        auto list = reinterpret_cast<const RA_PTRLIST*>(wParam);
        wprintf(L"0x590 APPWATCH report: %d window(s)\n", static_cast<int>(list->nCount));
        for (const RA_PTRLIST_NODE* node = list->pNodeHead; node; node = node->pNext)
            PrintRecord("    ", *static_cast<const CLIENT_APP_INFO*>(node->data));
        break;
    }
    case WM_RA_APP_RESTRICTED:
        PrintRestricted(L"0x591 application restricted", wParam, lParam);
        break;
    case WM_RA_URL_RESTRICTED:
        PrintRestricted(L"0x593 address restricted", wParam, lParam);
        break;
    case WM_RA_URL_CONFIRM:
        wprintf(L"0x594 confirm address of window %p: replying %ld\n", reinterpret_cast<void*>(wParam),
                static_cast<long>(g_confirmReply));
        fflush(stdout);
        return g_confirmReply;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    fflush(stdout);
    return 0;
}

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed; (elapsed = GetTickCount() - start) < ms;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void BringToFront(const std::wstring& title) {
    for (int i = 0; i < 100; ++i, Sleep(100))
        if (HWND window = FindWindowW(nullptr, title.c_str()); window && IsWindowVisible(window)) {
            SetForegroundWindow(window);
            wprintf(L"RefHost: \"%ls\" brought to the front\n", title.c_str());
            return;
        }
    wprintf(L"RefHost: no window \"%ls\" appeared\n", title.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options o;
    if (!Parse(argc, argv, o)) return 2;
    g_confirmReply = o.confirm;

    WNDCLASSW wc{};
    wc.lpfnWndProc = NotifyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"RefHostNotify";
    RegisterClassW(&wc);
    const UniqueWindow notifyWindow(
        CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
    RA_HOST_WND hostWnd{};
    hostWnd.m_hWnd = notifyWindow.get();

    CHostLog log{};
    InitializeCriticalSection(&log.lock);
    log.pszPath = o.log.c_str();
    log.bEnabled = !o.log.empty();
    log.dwLevelMask = o.mask;

    static const wchar_t kEmpty[] = L"";
    void* context[RA_HOST_CONTEXT_SLOTS] = {};
    context[RA_SLOT_LOG] = &log;
    context[RA_SLOT_BASE_FOLDER] = const_cast<wchar_t*>(o.base.c_str());
    const int folderSlots[] = RA_SLOT_FOLDERS;
    for (int i = 0; i < 8; ++i)
        context[folderSlots[i]] =
            const_cast<wchar_t*>(i < static_cast<int>(o.folders.size()) ? o.folders[i].c_str() : kEmpty);

    HostList lists[4];
    for (int mode = 1; mode <= 3; ++mode)
        for (const auto& entry : o.lists[mode]) {
            auto patterns = Split(entry, L'|');
            lists[mode].Add(patterns[0], patterns.size() > 1 ? patterns[1] : L"");
        }

    UniqueLibrary library(LoadLibraryW(L"RestrictAction.dll"));
    const HMODULE dll = library.get();
    if (!dll) {
        fwprintf(stderr, L"RefHost: RestrictAction.dll not loaded (error %lu)\n", GetLastError());
        return 1;
    }
    if (!o.front.empty()) BringToFront(o.front);
    BOOL enabled = TRUE;
    Export<PFN_RA_INITIAL>(dll, "Initial")(&hostWnd, context, &enabled, o.period, o.timer);
    for (const auto& s : o.starts)
        Export<PFN_RA_START>(dll, "StartRestrict")(s.mode, s.param,
                                                   s.mode >= 1 && s.mode <= 3 ? lists[s.mode].get() : nullptr,
                                                   s.extra);
    wprintf(L"RefHost: module loaded, %d mode(s) started\n", static_cast<int>(o.starts.size()));
    fflush(stdout);

    DWORD elapsed = 0;
    for (const auto& r : o.requests) {
        if (r.at > elapsed) Pump(r.at - elapsed), elapsed = r.at;
        wprintf(L"RefHost: Restrict(\"%ls\", \"%ls\", %d)\n", r.title.c_str(), r.path.c_str(), r.action);
        fflush(stdout);
        Export<PFN_RA_RESTRICT>(dll, "Restrict")(r.title.empty() ? nullptr : r.title.c_str(),
                                                 r.path.empty() ? nullptr : r.path.c_str(), r.action);
    }
    if (o.run > elapsed) Pump(o.run - elapsed);

    for (const auto& s : o.starts) Export<PFN_RA_STOP>(dll, "StopRestrict")(s.mode);
    library.reset();  // before the log it may still write to
    DeleteCriticalSection(&log.lock);
    wprintf(L"RefHost: done\n");
    return 0;
}
