// A host as a real one uses the module: LoadLibrary, the exports, every notification recorded.
#pragma once

#include "RestrictAction.h"
#include "fw/UniqueHandle.h"
#include "support/ChildProcess.h"
#include "support/FakeBrowser.h"
#include "tools/refhost/HostList.h"
#include "tools/refhost/HostModule.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Long enough for a sweep to act, and for more than two full walks (every eleventh 100 ms tick).
constexpr DWORD kSweepWaitMs = 30000;
constexpr DWORD kTwoWalksMs = 2500;

struct LogLine {
    std::string tag, message;
    unsigned long long offset;
};

struct LogFile : CHostLog {
    explicit LogFile(const std::wstring& name, DWORD mask = 1);
    ~LogFile() { DeleteCriticalSection(&lock); }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    std::vector<LogLine> Lines() const;
    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (const auto& line : Lines()) messages.push_back(line.message);
        return messages;
    }
    int Count(const std::string& text) const {  // messages containing `text`
        int count = 0;
        for (const auto& message : Messages()) count += message.find(text) != std::string::npos;
        return count;
    }

    std::wstring path;
};

struct Notification {
    UINT message;
    LPARAM lParam;
    std::vector<CLIENT_APP_INFO> records;  // 0x590's report; 0x591's, 0x593's record
    HWND window;                           // 0x594
};

class TestHost {
public:
    TestHost();
    ~TestHost();

    bool Loaded() const { return static_cast<bool>(dll_); }
    [[nodiscard]] HMODULE ReleaseLibrary() { return dll_.release(); }

    BOOL Initial(DWORD appWatchPeriod = 0, UINT timerInterval = 100);
    BOOL Restrict(const wchar_t* title, const wchar_t* path, int action) {
        return Export<PFN_RA_RESTRICT>(dll_.get(), "Restrict")(title, path, action);
    }
    BOOL StartRestrict(int mode, DWORD param = 0, void* list = nullptr, DWORD extra = 1) {
        return Export<PFN_RA_START>(dll_.get(), "StartRestrict")(mode, param, list, extra);
    }
    BOOL StopRestrict(int mode) { return Export<PFN_RA_STOP>(dll_.get(), "StopRestrict")(mode); }
    BOOL IsRestrict(int mode) { return Export<PFN_RA_ISRESTRICT>(dll_.get(), "IsRestrict")(mode); }
    // "first|second" fills an entry's szAppExeName and szAppExePath.
    RA_PTRLIST* List(const std::vector<std::wstring>& entries);
    void Tick() const { SendMessageW(ControllerWindow(), WM_TIMER, 100, 0); }

    static void Pump(DWORD ms) { WaitFor([] { return false; }, ms); }
    static bool WaitFor(const std::function<bool()>& done, DWORD ms = kSweepWaitMs);

    std::vector<Notification> Received(UINT message) const {
        std::vector<Notification> out;
        for (const auto& n : received_)
            if (n.message == message) out.push_back(n);
        return out;
    }
    std::vector<CLIENT_APP_INFO> Records(UINT message) const {
        std::vector<CLIENT_APP_INFO> records;
        for (const auto& n : Received(message)) records.insert(records.end(), n.records.begin(), n.records.end());
        return records;
    }
    bool AskedAbout(HWND window) const {
        for (const auto& n : Received(WM_RA_URL_CONFIRM))
            if (n.window == window) return true;
        return false;
    }
    void ClearReceived() { received_.clear(); }

    HWND ControllerWindow() const;  // the module's hidden window in this process

    LogFile log{L"host.log"};
    BOOL enabled = TRUE;
    BOOL* enabledFlag = &enabled;  // given to Initial
    LRESULT confirmReply = 0;      // answer to 0x594
    DWORD pumpInHandlerMs = 0;     // messages pumped while handling each notification
    int deepestNotification = 0;   // notifications handled one inside another, at most
    std::wstring folders[8];       // host program folders
    std::wstring baseFolder;       // ends with a backslash

private:
    static LRESULT CALLBACK NotifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    std::deque<HostList> lists_;
    UniqueWindow notifyWindow_;
    UniqueLibrary dll_;
    RA_HOST_WND hostWnd_{};
    void* context_[RA_HOST_CONTEXT_SLOTS] = {};
    std::vector<Notification> received_;
    int handling_ = 0;
};

enum class Fate { kLeft, kActed, kAsked };
struct WindowRow {
    const char* label;
    const wchar_t* exe;  // a stand-in program of this name; null: a window of this process
    const wchar_t* windowClass;
    std::wstring text;  // of an "Edit" child, or of the last of `chain`
    Fate fate;
    std::vector<const wchar_t*> chain = {L"Edit"};  // below a window of this process
    const wchar_t* title = L"Window";
    std::vector<std::wstring> options = {};  // more of the stand-in program's
};

// Opens the rows' windows behind one in front, waits for every fate and two more walks.
void ExpectFates(TestHost& host, const std::vector<WindowRow>& rows);

struct UrlRestrWords {
    HHOOK keyboardHook;
    HHOOK mouseHook;
    BOOL checkUrl;
};
const IMAGE_SECTION_HEADER* UrlRestrSection();
UrlRestrWords* SharedWords();

void WriteRestrictIni(const std::wstring& base, const std::string& bytes);  // base\Config\Restrict.ini
// An empty text deletes the value.
void SetRegistryText(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text);

// Chrome registered with these versions (installer's entry, beacon; empty: none) while it lives.
struct ChromeRegistered {
    explicit ChromeRegistered(const std::wstring& installed = L"100.0.4896.75", const std::wstring& beacon = L"");
    ~ChromeRegistered();
};
