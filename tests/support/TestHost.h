// A host for the tests, built the way a real host uses the module: it loads
// RestrictAction.dll with LoadLibrary, owns the context record, log object,
// enable flag and a notification window that records copies of everything
// it is sent, and pumps messages while it waits.
#pragma once

#include "RestrictAction.h"
#include "fw/UniqueHandle.h"
#include "support/TestFolders.h"
#include "tools/refhost/HostList.h"
#include "tools/refhost/HostModule.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct Notification {
    UINT message;
    LPARAM lParam;
    CLIENT_APP_INFO record;                 // 0x591, 0x593
    std::vector<CLIENT_APP_INFO> report;    // 0x590
    HWND window;                            // 0x594
};

// Pumps this thread's messages until `done` holds (true) or `ms` have
// passed (false).
bool PumpUntil(const std::function<bool()>& done, DWORD ms);

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

    // Pumps this thread's messages for `ms`, or until `done` holds.
    void Pump(DWORD ms);
    bool WaitFor(const std::function<bool()>& done, DWORD ms);

    // Notifications received so far with this message number.
    std::vector<Notification> Received(UINT message) const;
    void ClearReceived() { received_.clear(); }

    std::vector<std::string> LogLines() const;
    const std::wstring& LogPath() const { return logPath_; }

    HWND NotifyWindow() const { return hostWnd_.m_hWnd; }
    // The module's hidden window, found by its title in this process.
    HWND ControllerWindow() const;

    CHostLog log{};
    BOOL enabled = TRUE;
    BOOL* enabledFlag = &enabled;                  // given to Initial
    LRESULT confirmReply = 0;                      // answer to 0x594
    DWORD pumpInHandlerMs = 0;                     // messages pumped while handling each notification
    int deepestNotification = 0;                   // notifications handled one inside another, at most
    std::wstring folders[8];                       // host program folders
    std::wstring baseFolder;                       // ends with a backslash

private:
    static LRESULT CALLBACK NotifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void BindContext();

    UniqueWindow notifyWindow_;
    UniqueLibrary dll_;
    RA_HOST_WND hostWnd_{};
    void* context_[RA_HOST_CONTEXT_SLOTS] = {};
    std::wstring logPath_;
    std::vector<Notification> received_;
    int handling_ = 0;
};

