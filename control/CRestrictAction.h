// The module's one controller: modes and their parameters, the host's
// pointers, the configured lists, the timer-driven sweep and its lock.
//
// Threads: the object and its hidden window belong to the thread that loaded
// the library; Initial runs there (it sets the window's timer). The other
// exports may come from any host thread. Each sweep holds m_cs from start to
// end; a timer tick that finds it taken skips its turn, Restrict waits. Mode
// words are single aligned 32-bit values written without a lock.
//
// The member operations are spread over the subsystem folders: this folder
// has the exports' operations, the sweep and the hooks; config/ the
// configuration step; apprestrict/ the process side, application check and
// control watch; urlrestrict/ the browser checks.
#pragma once

#include "RestrictAction.h"
#include "control/HostObjects.h"
#include "fw/CriticalSection.h"
#include "fw/Window.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ProcessNames;
class ReportList;
struct UrlListVariant;
using SweepRecord = std::unique_ptr<CLIENT_APP_INFO>;

// What the host asked for with Restrict.
struct HostRequest {
    LPCWSTR title;
    LPCWSTR path;
    int action;
};

enum { kTimerEventId = 100, kDefaultTimerInterval = 5000, kDefaultSweepSkipLimit = 10 };

// Indexes of the control-watch categories, also of m_TitleLists.
enum ControlCategory {
    CATEGORY_SYSTEM_PROPERTIES,
    CATEGORY_NETWORK_PROPERTIES,
    CATEGORY_EXPLORER,
    CATEGORY_PRINTER,
    CATEGORY_APP_RUN,
    CATEGORY_CONTROL_PANEL,
    CATEGORY_COUNT
};

using StringList = std::vector<std::wstring>;

// A configured exempt folder: lower case, no trailing backslash. The file
// system is asked whether it exists once, the first time a program's path
// contains it, and not for every window of every tick.
struct ExemptFolder {
    ExemptFolder(std::wstring folder) : path(std::move(folder)) {}  // implicit: lists are read as texts
    bool Exists() const;  // under m_cs, as every exemption test

    std::wstring path;
    mutable std::optional<bool> exists;
};
using FolderList = std::vector<ExemptFolder>;

class CRestrictAction : public Window {
public:
    CRestrictAction();
    ~CRestrictAction() override;

    // Creates the hidden "RestrictAction" window, then binds the
    // process-enumeration entry points and fills the built-in title table.
    // A controller whose window failed still answers the exports.
    bool CreateControllerWindow();

    // ---- The exports' operations -----------------------------------------
    BOOL Initial(void* pHostWnd, void* pHostContext, BOOL* pbEnabled, DWORD dwAppWatchPeriod, UINT nTimerInterval);
    BOOL StartRestrictAction(int nMode, DWORD nParam, void* pParam, DWORD nExtra);
    BOOL StopRestrictAction(int nMode);
    BOOL IsRestrict(int nMode) const;
    BOOL RestrictAction(LPCWSTR pszTitle, LPCWSTR pszPath, int nAction);
    // Kills the timer, empties the configured lists, destroys the window.
    BOOL DestroyWindow();

    // ---- The sweep ---------------------------------------------------------
    void RestrictWindows(LPCWSTR pszTitle, LPCWSTR pszPath, BOOL bHostRequest, int nAction);

    // ---- Tests the sweep asks, each in its subsystem -------------------------
    BOOL CheckControlWatch(const wchar_t* pszClass, const wchar_t* pszTitle) const;
    BOOL CheckControlWatchByList(const wchar_t* pszClass, const wchar_t* pszTitle) const;
    BOOL CheckApplicationRestrict(CLIENT_APP_INFO* pInfo);
    BOOL CheckIELock(CLIENT_APP_INFO* pInfo, HWND hwnd);
    BOOL CheckInternetUrlRestrict(CLIENT_APP_INFO* pInfo, HWND hwnd);
    BOOL IsExemptApplication(const CLIENT_APP_INFO* pInfo, BOOL bExplorerExempt) const;

    // ---- Browser checks (urlrestrict/) ---------------------------------------
    // nMode is MODE_IELOCK (does the window show a web address at all) or
    // MODE_URLRESTRICT (judge the address and enforce). hClose receives
    // WM_CLOSE when bKill is 0; bKill 1 ends the browser's process.
    BOOL CheckInternetRestrictEditbox(HWND hwnd, CLIENT_APP_INFO* pInfo, int nMode, HWND hClose, BOOL bKill);
    BOOL CheckEdgeAddress(int nMode, BOOL bKill, CLIENT_APP_INFO* pInfo, HWND hClose, HWND hwnd);
    // `hwnd` is the window whose child showed `pszText`; the host is asked
    // about it.
    BOOL JudgeAddress(const wchar_t* pszText, int nMode, BOOL bKill, CLIENT_APP_INFO* pInfo, HWND hClose, HWND hwnd);

    // ---- Configuration and hooks --------------------------------------------
    BOOL LoadRestrictConfig();
    void InstallHook();
    void UninstallHook();
    // Only the hooks this process installed; another host's stay.
    void RemoveOwnHooks();

    HostContext Host() const noexcept { return HostContext(m_pHostContext); }
    CHostLog* HostLog() const noexcept { return Host().Log(); }
    HWND HostWindow() const noexcept { return HostWindowHandle(m_pHostWnd); }

    // ---- State (read by the tests of the other subsystems) -------------------
    BOOL m_bInitialized = FALSE;
    void* m_pHostContext = nullptr;
    BOOL* m_pbEnabled = nullptr;
    DWORD m_dwAppWatchStart = 0;
    DWORD m_dwAppWatchPeriod = 0;
    int m_nSweepSkipCount = 0;
    int m_nSweepSkipLimit = kDefaultSweepSkipLimit;
    UINT m_nTimerInterval = kDefaultTimerInterval;
    UINT_PTR m_nTimerId = 0;
    void* m_pHostWnd = nullptr;
    void* m_pIELockParam = nullptr;
    void* m_pUrlList = nullptr;
    void* m_pAppList = nullptr;
    BOOL m_bAppWatch = FALSE;
    BOOL m_bControlWatch = FALSE;
    BOOL m_bIELock = FALSE;
    BOOL m_bUrlRestrict = FALSE;
    BOOL m_bAppRestrict = FALSE;
    DWORD m_nControlWatchFlags = 0;
    DWORD m_nUrlRestrictParam = 0;
    DWORD m_nAppRestrictParam = 0;
    DWORD m_nUrlRestrictExtra = 0;
    StringList m_strControlTitles;
    CriticalSection m_cs;
    int m_ChromeVersion = 0;
    StringList m_ThrowAppExeList;
    FolderList m_ThrowAppPathList;
    std::array<StringList, CATEGORY_COUNT> m_TitleLists;
    BOOL m_bUseTitleLists = FALSE;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnTimer(UINT_PTR nIDEvent);
    void KillTimer();
    BOOL* ModeFlag(int nMode) noexcept;
    const BOOL* ModeFlag(int nMode) const noexcept { return const_cast<CRestrictAction*>(this)->ModeFlag(nMode); }
    bool IsEnabled() const noexcept { return m_pbEnabled && *m_pbEnabled; }

    // Sweep steps (control/Sweep.cpp). `host` is null for a periodic sweep.
    bool SweepForeground(HWND foreground, const HostRequest* host, bool reportDue, ReportList& report,
                         ProcessNames& names);
    void SweepWindow(HWND hwnd, HWND foreground, const HostRequest* host, bool reportDue, ReportList& report,
                     ProcessNames& names);
    bool ApplyModes(HWND hwnd, SweepRecord& record, const std::wstring& caption, bool reportDue, ReportList& report);
    void ApplyHostAction(HWND hwnd, const CLIENT_APP_INFO& info, const HostRequest& host);

    // URL steps (urlrestrict/). `address` is lower case.
    BOOL CheckFirefoxAddress(int nMode, BOOL bKill, CLIENT_APP_INFO* pInfo, HWND hClose, HWND hwnd);
    bool IsWebAddress(const std::wstring& text) const;
    BOOL RestrictAddress(const std::wstring& address, int nMode, const UrlListVariant& variant, BOOL bKill,
                         const CLIENT_APP_INFO* pInfo, HWND hClose, HWND hwnd);
    bool UrlListForbids(const std::wstring& address, const UrlListVariant& variant) const;
    BOOL EnforceUrlRestriction(const UrlListVariant& variant, BOOL bKill, const CLIENT_APP_INFO* pInfo, HWND hClose,
                               HWND hwnd);
};
