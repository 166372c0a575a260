// A host for the tests, built the way a real host uses the module: it loads
// RestrictAction.dll with LoadLibrary, owns the context record, log object,
// enable flag, the lists it hands over and a notification window that records
// copies of everything it is sent, and pumps messages while it waits.
#pragma once

#include "RestrictAction.h"
#include "fw/UniqueHandle.h"
#include "support/ChildProcess.h"
#include "support/FakeBrowser.h"
#include "tools/refhost/HostList.h"
#include "tools/refhost/HostModule.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Generous bounds for the DLL's sweeps, which run emulated here: long enough
// for a sweep to act, and for more than two full walks (every eleventh
// 100 ms tick) once it has.
constexpr DWORD kSweepWaitMs = 30000;
constexpr DWORD kTwoWalksMs = 2500;

struct LogLine {
    std::string tag, message;
    unsigned long long offset;
};

// A host log object writing every level (mask 1) to a scratch file, and the
// lines found there.
struct LogFile : CHostLog {
    explicit LogFile(const std::wstring& name, DWORD mask = 1);
    ~LogFile() { DeleteCriticalSection(&lock); }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // "<date>  <time> <tag> : <message> <offset>\r" lines; others come back
    // with the tag "<malformed>" and the whole line as message.
    std::vector<LogLine> Lines() const;
    std::vector<std::string> Messages() const;
    // How many messages contain `text`.
    int Count(const std::string& text) const;

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
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    bool Loaded() const { return static_cast<bool>(dll_); }
    // Hands the library over: the caller frees it, and no export may be
    // called through this host afterwards.
    [[nodiscard]] HMODULE ReleaseLibrary() { return dll_.release(); }

    // The exports, called through GetProcAddress.
    BOOL Initial(DWORD appWatchPeriod = 0, UINT timerInterval = 100);
    BOOL Restrict(const wchar_t* title, const wchar_t* path, int action);
    BOOL StartRestrict(int mode, DWORD param = 0, void* list = nullptr, DWORD extra = 1);
    BOOL StopRestrict(int mode);
    BOOL IsRestrict(int mode);
    // A list of these entries, kept as long as the host: "first|second" for
    // the two texts of an entry (szAppExeName, szAppExePath).
    RA_PTRLIST* List(const std::vector<std::wstring>& entries);
    // A timer message of the module's timer, handled at once.
    void Tick() const { SendMessageW(ControllerWindow(), WM_TIMER, 100, 0); }

    // Pumps this thread's messages for `ms`, or until `done` holds.
    static void Pump(DWORD ms);
    static bool WaitFor(const std::function<bool()>& done, DWORD ms = kSweepWaitMs);

    // Notifications received so far with this message number, and all
    // their records.
    std::vector<Notification> Received(UINT message) const;
    std::vector<CLIENT_APP_INFO> Records(UINT message) const;
    std::optional<CLIENT_APP_INFO> RecordOf(UINT message, DWORD pid) const;
    bool AskedAbout(HWND window) const;
    void ClearReceived() { received_.clear(); }

    // The module's hidden window, found by its title in this process.
    HWND ControllerWindow() const;

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

// A window of a table, and what the sweep is to do to it: end its program
// or close it (a window of this process), ask the host (0x594) about the
// window whose child shows `text`, or leave it.
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

// Opens the rows' windows at once, a plain window of this process in front
// of them (the sweep waits after a foreground window it acts on), waits
// until every row's fate came and two more walks passed, and checks that
// nothing else happened to any of them.
void ExpectFates(TestHost& host, const std::vector<WindowRow>& rows);

// The module's shared section "UrlRestr" as a second program would see it,
// in the loaded RestrictAction.dll (writable: tests reset g_bCheckUrl).
struct UrlRestrWords {
    HHOOK keyboardHook;
    HHOOK mouseHook;
    BOOL checkUrl;
};
const IMAGE_SECTION_HEADER* UrlRestrSection();
UrlRestrWords* SharedWords();

// Config\Restrict.ini of these bytes below the base folder `base`.
void WriteRestrictIni(const std::wstring& base, const std::string& bytes);

// A REG_SZ value in this process's registry; an empty text deletes it.
void SetRegistryText(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text);

// Chrome registered in this process's registry with these version texts:
// the installer's uninstall entry, the beacon Chrome writes (empty: none).
// Undone at the end.
class ChromeRegistered {
public:
    explicit ChromeRegistered(const std::wstring& installed = L"100.0.4896.75", const std::wstring& beacon = L"");
    ~ChromeRegistered() { Write(L"", L""); }
    ChromeRegistered(const ChromeRegistered&) = delete;
    ChromeRegistered& operator=(const ChromeRegistered&) = delete;

private:
    static void Write(const std::wstring& installed, const std::wstring& beacon);
};
