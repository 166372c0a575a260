#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <regex>

LogFile::LogFile(const std::wstring& name, DWORD mask) : CHostLog{}, path(ScratchFolder(L"log") + name) {
    DeleteFileW(path.c_str());
    InitializeCriticalSection(&lock);
    pszPath = path.c_str();
    bEnabled = TRUE;
    dwLevelMask = mask;
}

std::vector<LogLine> LogFile::Lines() const {
    static const std::regex shape(R"(^\d{4}-\d\d-\d\d  \d\d:\d\d:\d\d:\d{3} (\[[A-Z]+\]) : (.*) (\d+)\r$)");
    std::ifstream file(Narrow(path), std::ios::binary);
    std::vector<LogLine> lines;
    for (std::string line; std::getline(file, line);) {
        std::smatch m;
        if (std::regex_match(line, m, shape)) lines.push_back({m[1], m[2], std::stoull(m[3])});
        else lines.push_back({"<malformed>", line, 0});
    }
    return lines;
}

TestHost::TestHost() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = NotifyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"RaTestHostNotify";
    RegisterClassW(&wc);
    notifyWindow_.reset(CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                        nullptr));
    hostWnd_.m_hWnd = notifyWindow_.get();
    SetWindowLongPtrW(hostWnd_.m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    baseFolder = ScratchFolder(L"base");
    dll_.reset(LoadLibraryW(L"RestrictAction.dll"));
}

TestHost::~TestHost() {
    if (dll_) StopRestrict(MODE_URLRESTRICT);
    dll_.reset();
}

BOOL TestHost::Initial(DWORD appWatchPeriod, UINT timerInterval) {
    context_[RA_SLOT_LOG] = &log;
    context_[RA_SLOT_BASE_FOLDER] = const_cast<wchar_t*>(baseFolder.c_str());
    const int folderSlots[] = RA_SLOT_FOLDERS;
    for (int i = 0; i < 8; ++i) context_[folderSlots[i]] = const_cast<wchar_t*>(folders[i].c_str());
    return Export<PFN_RA_INITIAL>(dll_.get(), "Initial")(&hostWnd_, context_, enabledFlag, appWatchPeriod, timerInterval);
}

RA_PTRLIST* TestHost::List(const std::vector<std::wstring>& entries) {
    HostList& list = lists_.emplace_back();
    for (const auto& entry : entries) {
        const size_t bar = std::min(entry.find(L'|'), entry.size());
        list.Add(entry.substr(0, bar), entry.substr(std::min(bar + 1, entry.size())));
    }
    return list.get();
}

bool TestHost::WaitFor(const std::function<bool()>& done, DWORD ms) {
    for (const DWORD start = GetTickCount();;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(ms - elapsed, 20), QS_ALLINPUT);
    }
}

HWND TestHost::ControllerWindow() const {
    for (HWND hwnd = nullptr; (hwnd = FindWindowExW(nullptr, hwnd, nullptr, L"RestrictAction"));) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == GetCurrentProcessId()) return hwnd;
    }
    return nullptr;
}

LRESULT CALLBACK TestHost::NotifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || message < WM_RA_APPWATCH_REPORT || message > WM_RA_URL_CONFIRM)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    Notification n{message, lParam, {}, nullptr};
    if (message == WM_RA_APPWATCH_REPORT)
        for (auto* node = wParam ? reinterpret_cast<const RA_PTRLIST*>(wParam)->pNodeHead : nullptr; node;
             node = node->pNext)
            n.records.push_back(*static_cast<const CLIENT_APP_INFO*>(node->data));
    if (message == WM_RA_APP_RESTRICTED || message == WM_RA_URL_RESTRICTED)
        n.records.push_back(*reinterpret_cast<const CLIENT_APP_INFO*>(wParam));
    if (message == WM_RA_URL_CONFIRM) n.window = reinterpret_cast<HWND>(wParam);
    self->received_.push_back(n);
    self->deepestNotification = std::max(self->deepestNotification, ++self->handling_);
    if (self->pumpInHandlerMs) self->Pump(self->pumpInHandlerMs);
    --self->handling_;
    return message == WM_RA_URL_CONFIRM ? self->confirmReply : 0;
}

void ExpectFates(TestHost& host, const std::vector<WindowRow>& rows) {
    struct Opened {
        ChildProcess program;
        std::unique_ptr<FakeBrowser> window;
        HWND asked;  // the window a host question is about
    };
    std::deque<Opened> opened;
    for (const WindowRow& row : rows) {
        Opened& o = opened.emplace_back();
        if (row.exe) {
            std::vector<std::wstring> options = row.options;
            if (!row.text.empty()) options.insert(options.end(), {L"--edit", row.text});
            o.program = StandIn(row.exe, row.windowClass, {row.title}, options);
            ASSERT_TRUE(o.asked = o.program.Window()) << row.label;
        } else {
            o.window = std::make_unique<FakeBrowser>(row.windowClass, row.title);
            const HWND last = row.text.empty() ? nullptr : o.window->AddChain(row.chain, row.text.c_str());
            o.asked = last ? GetParent(last) : o.window->hwnd();
        }
    }
    const FakeBrowser front(L"RaFrontWindow", L"Front");
    MadeForeground(front.hwnd());
    const auto fate = [&](size_t i) {
        if (opened[i].window ? opened[i].window->Closed() : opened[i].program.Ended(0)) return Fate::kActed;
        return host.AskedAbout(opened[i].asked) ? Fate::kAsked : Fate::kLeft;
    };
    EXPECT_TRUE(host.WaitFor([&] {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].fate != Fate::kLeft && fate(i) != rows[i].fate) return false;
        return true;
    }));
    host.Pump(kTwoWalksMs);
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(fate(i), rows[i].fate) << rows[i].label;
}

const IMAGE_SECTION_HEADER* UrlRestrSection() {
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(L"RestrictAction.dll"));
    if (!base) return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
        if (std::memcmp(section->Name, "UrlRestr", IMAGE_SIZEOF_SHORT_NAME) == 0) return section;
    return nullptr;
}

UrlRestrWords* SharedWords() {
    const IMAGE_SECTION_HEADER* section = UrlRestrSection();
    const auto base = reinterpret_cast<BYTE*>(GetModuleHandleW(L"RestrictAction.dll"));
    return section ? reinterpret_cast<UrlRestrWords*>(base + section->VirtualAddress) : nullptr;
}

namespace {
const wchar_t kChromeInstalled[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome";
const wchar_t kChromeBeacon[] = L"Software\\Google\\Chrome\\BLBeacon";
}  // namespace

ChromeRegistered::ChromeRegistered(const std::wstring& installed, const std::wstring& beacon) {
    SetRegistryText(HKEY_CURRENT_USER, kChromeInstalled, L"Version", installed);
    SetRegistryText(HKEY_CURRENT_USER, kChromeBeacon, L"Version", beacon);
}

ChromeRegistered::~ChromeRegistered() {
    for (const wchar_t* key : {kChromeInstalled, kChromeBeacon}) RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"Version");
}

void WriteRestrictIni(const std::wstring& base, const std::string& bytes) {
    CreateDirectoryW((base + L"Config").c_str(), nullptr);
    WriteBytes(base + L"Config\\Restrict.ini", bytes);
}

void SetRegistryText(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text) {
    if (text.empty())
        RegDeleteKeyValueW(root, key, name);
    else
        RegSetKeyValueW(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}
