// The module's one controller: modes and their parameters, the host's
// pointers, the configuration, the timer-driven sweep and its lock.
//
// Threads: the object and its hidden window belong to the thread that loaded
// the library; Initial runs there (it sets the window's timer, and with
// [OPTIONS] FOREGROUND_EVENTS=1 installs the foreground event hook there).
// The other exports may come from any host thread. Each sweep holds m_cs
// from start to end. A timer tick or a foreground change that finds a sweep
// running, on another thread or nested on its own (a host that pumps
// messages while it handles a notification), skips its turn; Restrict waits
// for the lock. Mode words are single aligned 32-bit values written without
// a lock.
//
// The sweep (Sweep.cpp) is the only code that closes windows, ends processes
// and notifies the host: the checks it asks only return verdicts.
#pragma once

#include "RestrictAction.h"
#include "apprestrict/ApplicationCheck.h"
#include "apprestrict/Exemption.h"
#include "config/RestrictConfig.h"
#include "control/ForegroundEvents.h"
#include "fw/CriticalSection.h"
#include "fw/HostObjects.h"
#include "fw/Verdict.h"
#include "fw/Window.h"
#include "urlrestrict/UrlMatching.h"

#include <memory>
#include <optional>
#include <string>

struct SweepPass;
using SweepRecord = std::unique_ptr<CLIENT_APP_INFO>;

// What the host asked for with Restrict.
struct HostRequest {
    LPCWSTR title;
    LPCWSTR path;
    int action;
};

// kSweepSkipLimit: the timer ticks that pass over the walk between two walks.
enum { kTimerEventId = 100, kSweepSkipLimit = 10 };

class CRestrictAction : public Window {
public:
    CRestrictAction();
    ~CRestrictAction() override;

    // Creates the hidden "RestrictAction" window, then binds the
    // process-enumeration entry points. A controller whose window failed
    // still answers the exports.
    bool CreateControllerWindow();

    // ---- The exports' operations -----------------------------------------
    BOOL Initial(void* pHostWnd, void* pHostContext, BOOL* pbEnabled, DWORD dwAppWatchPeriod, UINT nTimerInterval);
    BOOL StartRestrictAction(int nMode, DWORD nParam, void* pParam, DWORD nExtra);
    BOOL StopRestrictAction(int nMode);
    BOOL IsRestrict(int nMode) const;
    BOOL RestrictAction(LPCWSTR pszTitle, LPCWSTR pszPath, int nAction);
    // Only the input hooks this process installed; another host's stay.
    void RemoveOwnHooks();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The turns the window's own thread takes.
    enum class OwnTurn { kTick, kForegroundChange };
    void OnTimer(UINT_PTR nIDEvent);
    void TakeTurn(OwnTurn turn);
    void KillTimer();
    BOOL* ModeFlag(int nMode) noexcept;
    const BOOL* ModeFlag(int nMode) const noexcept { return const_cast<CRestrictAction*>(this)->ModeFlag(nMode); }
    bool AnyMode() const noexcept;
    bool IsEnabled() const noexcept { return m_pbEnabled && *m_pbEnabled; }
    CHostLog* HostLog() const noexcept { return m_host.Log(); }
    HWND HostWindow() const noexcept { return HostWindowHandle(m_pHostWnd); }
    void InstallHook();
    void UninstallHook();

    // The sweep (Sweep.cpp): a timer tick's (`host` null) or the host's,
    // over the foreground window and, when due, every window; or, for a
    // foreground change, the foreground window alone, as a tick examines it.
    void RestrictWindows(const HostRequest* host);
    void RestrictForeground();
    bool SweepForeground(HWND foreground, SweepPass& pass);
    bool SkipsWalk(bool reportDue);
    void SweepWindow(HWND hwnd, HWND foreground, SweepPass& pass);
    bool ApplyModes(HWND hwnd, SweepRecord& record, const std::wstring& caption, SweepPass& pass);
    // The active modes' checks in fixed order; the first that holds decides.
    Verdict Judge(const WindowFacts& window, SweepPass& pass);
    void ApplyHostAction(HWND hwnd, const CLIENT_APP_INFO& record, const HostRequest& host);
    // Asks the host first when the verdict says so, acts, notifies.
    void Enforce(const Verdict& verdict, CLIENT_APP_INFO& record);
    void Act(const Verdict& verdict, const CLIENT_APP_INFO& record);

    BOOL m_bInitialized = FALSE;
    HostContext m_host;
    void* m_pHostWnd = nullptr;
    BOOL* m_pbEnabled = nullptr;
    UINT_PTR m_nTimerId = 0;

    // Mode switches, and what each mode was started with.
    BOOL m_bIELock = FALSE;
    BOOL m_bUrlRestrict = FALSE;
    BOOL m_bAppRestrict = FALSE;
    BOOL m_bAppWatch = FALSE;
    BOOL m_bControlWatch = FALSE;
    const void* m_pIELockParam = nullptr;
    UrlRule m_urlRule;
    AppRule m_appRule;
    DWORD m_nControlWatchFlags = 0;

    // From Config\Restrict.ini, as read by the first Initial: the
    // exemptions, the title lists that replace the built-in titles, and the
    // options (their defaults without a file).
    Exemptions m_exemptions;
    std::optional<TitleLists> m_configuredTitles;
    RestrictOptions m_options;

    // The sweep's own.
    CriticalSection m_cs;
    bool m_bSweeping = false;  // under m_cs
    DWORD m_dwAppWatchStart = 0;
    DWORD m_dwAppWatchPeriod = 0;
    int m_nSweepSkipCount = 0;
    int m_ChromeVersion = 0;  // the installed Chrome's, once found

    // Its callback takes m_cs. On another thread than the window's, Windows
    // refuses to remove its hook (Wine does not): the host guide asks for an
    // unload on the loading thread when FOREGROUND_EVENTS is on.
    std::unique_ptr<ForegroundEvents> m_foregroundEvents;
};
