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

std::vector<std::string> LogFile::Messages() const {
    std::vector<std::string> messages;
    for (const auto& line : Lines()) messages.push_back(line.message);
    return messages;
}

int LogFile::Count(const std::string& text) const {
    const auto messages = Messages();
    return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                          [&](const std::string& m) { return m.find(text) != std::string::npos; }));
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
    // As a host must: URL restriction stopped before the module goes.
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

BOOL TestHost::Restrict(const wchar_t* title, const wchar_t* path, int action) {
    return Export<PFN_RA_RESTRICT>(dll_.get(), "Restrict")(title, path, action);
}

BOOL TestHost::StartRestrict(int mode, DWORD param, void* list, DWORD extra) {
    return Export<PFN_RA_START>(dll_.get(), "StartRestrict")(mode, param, list, extra);
}

BOOL TestHost::StopRestrict(int mode) { return Export<PFN_RA_STOP>(dll_.get(), "StopRestrict")(mode); }

BOOL TestHost::IsRestrict(int mode) { return Export<PFN_RA_ISRESTRICT>(dll_.get(), "IsRestrict")(mode); }

RA_PTRLIST* TestHost::List(const std::vector<std::wstring>& entries) {
    HostList& list = lists_.emplace_back();
    for (const auto& entry : entries) {
        const size_t bar = std::min(entry.find(L'|'), entry.size());
        list.Add(entry.substr(0, bar), entry.substr(std::min(bar + 1, entry.size())));
    }
    return list.get();
}

void TestHost::Pump(DWORD ms) {
    WaitFor([] { return false; }, ms);
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

std::vector<Notification> TestHost::Received(UINT message) const {
    std::vector<Notification> out;
    std::copy_if(received_.begin(), received_.end(), std::back_inserter(out),
                 [&](const Notification& n) { return n.message == message; });
    return out;
}

std::vector<CLIENT_APP_INFO> TestHost::Records(UINT message) const {
    std::vector<CLIENT_APP_INFO> records;
    for (const auto& n : Received(message)) records.insert(records.end(), n.records.begin(), n.records.end());
    return records;
}

std::optional<CLIENT_APP_INFO> TestHost::RecordOf(UINT message, DWORD pid) const {
    for (const auto& record : Records(message))
        if (record.dwProcessId == pid) return record;
    return std::nullopt;
}

bool TestHost::AskedAbout(HWND window) const {
    const auto asked = Received(WM_RA_URL_CONFIRM);
    return std::any_of(asked.begin(), asked.end(), [&](const Notification& n) { return n.window == window; });
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
    std::vector<std::unique_ptr<FakeBrowser>> windows;
    std::vector<ChildProcess> programs;
    std::vector<HWND> asked;  // the window each row's host question is about
    for (const WindowRow& row : rows) {
        if (row.exe) {
            std::vector<std::wstring> options = row.options;
            if (!row.text.empty()) options.insert(options.end(), {L"--edit", row.text});
            programs.push_back(StandIn(row.exe, row.windowClass, {row.title}, options));
            ASSERT_TRUE(programs.back().Window()) << row.label;
            asked.push_back(programs.back().Window());
        } else {
            windows.push_back(std::make_unique<FakeBrowser>(row.windowClass, row.title));
            const HWND last = row.text.empty() ? nullptr : windows.back()->AddChain(row.chain, row.text.c_str());
            asked.push_back(last ? GetParent(last) : windows.back()->hwnd());
        }
    }
    const FakeBrowser front(L"RaFrontWindow", L"Front");
    MadeForeground(front.hwnd());
    const auto fate = [&](size_t i) {
        const WindowRow& row = rows[i];
        const size_t p = std::count_if(rows.begin(), rows.begin() + i, [](const WindowRow& r) { return r.exe; });
        const size_t w = i - p;
        if (row.exe ? programs[p].Ended(0) : windows[w]->Closed()) return Fate::kActed;
        return host.AskedAbout(asked[i]) ? Fate::kAsked : Fate::kLeft;
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

ChromeRegistered::ChromeRegistered(const std::wstring& installed, const std::wstring& beacon) {
    Write(installed, beacon);
}

void ChromeRegistered::Write(const std::wstring& installed, const std::wstring& beacon) {
    SetRegistryText(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome",
                    L"Version", installed);
    SetRegistryText(HKEY_CURRENT_USER, L"Software\\Google\\Chrome\\BLBeacon", L"Version", beacon);
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
