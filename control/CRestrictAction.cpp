#include "control/CRestrictAction.h"

#include "apprestrict/ProcessImages.h"
#include "control/InputHooks.h"
#include "fw/HostLog.h"

namespace {

const wchar_t* const kStartLines[] = {
    nullptr,
    L"CRestrictAction::StartRestrictAction [MODE_IELOCK].",
    L"CRestrictAction::StartRestrictAction [MODE_URLRESTRICT].",
    L"CRestrictAction::StartRestrictAction [MODE_APPRESTRICT].",
    L"CRestrictAction::StartRestrictAction [MODE_APPWATCH].",
    L"CRestrictAction::StartRestrictAction [MODE_CONTROLWATCH].",
};

const wchar_t* const kStopLines[] = {
    nullptr,
    L"CRestrictAction::StopRestrictAction [MODE_IELOCK].",
    L"CRestrictAction::StopRestrictAction [MODE_URLRESTRICT].",
    L"CRestrictAction::StopRestrictAction [MODE_APPRESTRICT].",
    L"CRestrictAction::StopRestrictAction [MODE_APPWATCH].",
    L"CRestrictAction::StopRestrictAction [MODE_CONTROLWATCH].",
};

bool IsMode(int nMode) { return nMode >= MODE_IELOCK && nMode <= MODE_CONTROLWATCH; }

}  // namespace

CRestrictAction::CRestrictAction() {
    m_urlRule.checkUrl = &g_bCheckUrl;
}

// What can call into this object goes before any of its members: the event
// hook, the timer, then the window, which from another thread is handed
// back to the system's procedure (Window::Destroy).
CRestrictAction::~CRestrictAction() {
    m_foregroundEvents.reset();
    KillTimer();
    Destroy();
    FreeProcessLibraries();
}

bool CRestrictAction::CreateControllerWindow() {
    if (!Create(L"RestrictActionWnd", L"RestrictAction", WS_DLGFRAME)) return false;
    BindProcessEntryPoints();
    return true;
}

BOOL* CRestrictAction::ModeFlag(int nMode) noexcept {
    switch (nMode) {
    case MODE_IELOCK: return &m_bIELock;
    case MODE_URLRESTRICT: return &m_bUrlRestrict;
    case MODE_APPRESTRICT: return &m_bAppRestrict;
    case MODE_APPWATCH: return &m_bAppWatch;
    case MODE_CONTROLWATCH: return &m_bControlWatch;
    default: return nullptr;
    }
}

bool CRestrictAction::AnyMode() const noexcept {
    return m_bAppWatch || m_bControlWatch || m_bIELock || m_bUrlRestrict || m_bAppRestrict;
}

BOOL CRestrictAction::Initial(void* pHostWnd, void* pHostContext, BOOL* pbEnabled, DWORD dwAppWatchPeriod,
                              UINT nTimerInterval) {
    m_dwAppWatchPeriod = dwAppWatchPeriod;
    if (m_bInitialized) return TRUE;
    m_pbEnabled = pbEnabled;
    m_host = HostContext(pHostContext);
    m_pHostWnd = pHostWnd;
    m_bInitialized = TRUE;
    m_nTimerId = SetTimer(hwnd(), kTimerEventId, nTimerInterval, nullptr);
    m_exemptions.host = m_host;
    std::optional<RestrictConfig> config = LoadRestrictConfig(m_host.Text(RA_SLOT_BASE_FOLDER));
    if (!config) return FALSE;
    m_exemptions.exes = std::move(config->exemptExes);
    m_exemptions.folders.assign(config->exemptFolders.begin(), config->exemptFolders.end());
    if (config->useTitleLists) m_configuredTitles = std::move(config->titleLists);
    m_options = config->options;
    // The events come to the installing thread, which must be the window's:
    // it pumps, and the hook goes with the window.
    if (m_options.foregroundEvents && GetWindowThreadProcessId(hwnd(), nullptr) == GetCurrentThreadId())
        m_foregroundEvents = std::make_unique<ForegroundEvents>([this](HWND) { TakeTurn(OwnTurn::kForegroundChange); });
    return TRUE;
}

BOOL CRestrictAction::StartRestrictAction(int nMode, DWORD nParam, void* pParam, DWORD nExtra) {
    if (!m_bInitialized) return FALSE;
    if (!IsMode(nMode)) return TRUE;
    Log(HostLog(), RA_LOG_SYSTEM, kStartLines[nMode]);
    switch (nMode) {
    case MODE_IELOCK:
        m_pIELockParam = pParam;
        break;
    case MODE_URLRESTRICT:
        m_urlRule.list = pParam;
        m_urlRule.param = nParam;
        m_urlRule.extra = nExtra;
        break;
    case MODE_APPRESTRICT:
        m_appRule.list = pParam;
        m_appRule.param = nParam;
        break;
    case MODE_CONTROLWATCH:
        m_nControlWatchFlags = nParam;
        break;
    }
    *ModeFlag(nMode) = TRUE;
    if (nMode == MODE_APPWATCH) m_dwAppWatchStart = GetTickCount();
    if (nMode == MODE_URLRESTRICT) InstallHook();
    return TRUE;
}

BOOL CRestrictAction::StopRestrictAction(int nMode) {
    if (!m_bInitialized) return FALSE;
    if (!IsMode(nMode)) return TRUE;
    Log(HostLog(), RA_LOG_SYSTEM, kStopLines[nMode]);
    *ModeFlag(nMode) = FALSE;
    if (nMode == MODE_URLRESTRICT) UninstallHook();
    return TRUE;
}

BOOL CRestrictAction::IsRestrict(int nMode) const {
    const BOOL* flag = ModeFlag(nMode);
    return m_bInitialized && flag ? *flag : FALSE;
}

BOOL CRestrictAction::RestrictAction(LPCWSTR pszTitle, LPCWSTR pszPath, int nAction) {
    if (!m_bInitialized || !IsEnabled()) return TRUE;
    Log(HostLog(), RA_LOG_SYSTEM, L"CRestrictAction::RestrictAction, [TITLE=%s] [PATH=%s].",
        pszTitle ? pszTitle : L"", pszPath ? pszPath : L"");
    const HostRequest request{pszTitle, pszPath, nAction};
    const auto lock = m_cs.Lock();
    RestrictWindows(&request);
    return TRUE;
}

void CRestrictAction::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == m_nTimerId) TakeTurn(OwnTurn::kTick);
}

void CRestrictAction::TakeTurn(OwnTurn turn) {
    // The modes first: a module kept loaded past the host's FreeLibrary (by
    // a read left behind) touches no host memory once every mode is off.
    if (!AnyMode() || !IsEnabled()) return;
    // A host thread's sweep holds the lock: skip this turn rather than stop
    // this thread's messages, which that sweep may be waiting for. A sweep
    // of this thread runs when the host pumps messages inside a
    // notification: a second one inside it would act on the windows the
    // first is acting on.
    const auto lock = m_cs.TryLock();
    if (!lock || m_bSweeping) return;
    if (turn == OwnTurn::kTick)
        RestrictWindows(nullptr);
    else
        RestrictForeground();
}

LRESULT CRestrictAction::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) OnTimer(static_cast<UINT_PTR>(wParam));
    return Window::HandleMessage(message, wParam, lParam);
}

void CRestrictAction::KillTimer() {
    if (m_nTimerId == 0) return;
    ::KillTimer(hwnd(), kTimerEventId);
    m_nTimerId = 0;
}
