// The sweep: one pass over the interactive desktop applying every active
// mode to the foreground window and, one timer tick in
// (kSweepSkipLimit + 1), to every visible top-level window. The checks
// judge; only the sweep closes windows, ends processes and notifies the host.
#include "apprestrict/ControlWatch.h"
#include "apprestrict/ProcessNames.h"
#include "control/CRestrictAction.h"
#include "control/ReportList.h"
#include "fw/Text.h"
#include "urlrestrict/UrlRestrictEntry.h"

#include <cwchar>
#include <utility>
#include <vector>

// What one sweep keeps while it runs.
struct SweepPass {
    const HostRequest* host = nullptr;  // null but for Restrict
    bool reportDue = false;
    ReportList report;
    ProcessNames names;
};

namespace {

constexpr DWORD kUrlNotifyDelayMs = 500;

// Points the module globals at the window's own process. False when the
// window has gone: the globals then name no process, never an earlier
// window's, and the window gets no record.
bool IdentifyProcess(HWND hwnd, ProcessNames& names) {
    g_dwCurrentPid = 0;
    GetWindowThreadProcessId(hwnd, &g_dwCurrentPid);
    g_strCurrentExePath = g_dwCurrentPid ? names.PathOf(g_dwCurrentPid) : std::wstring();
    return g_dwCurrentPid != 0;
}

// File name with extension, lower case.
std::wstring ExeNameOf(const std::wstring& path) {
    wchar_t name[256] = {};
    wchar_t ext[256] = {};
    _wsplitpath_s(path.c_str(), nullptr, 0, nullptr, 0, name, 256, ext, 256);
    return ToLower(std::wstring(name) + ext);
}

// A record of the window the module globals describe.
SweepRecord MakeRecord(BOOL foreground, const std::wstring& caption) {
    auto record = std::make_unique<CLIENT_APP_INFO>();
    *record = CLIENT_APP_INFO{};
    record->bForeground = foreground;
    CopyToField(record->szWindowTitle, caption);
    CopyToField(record->szAppExeName, ExeNameOf(g_strCurrentExePath));
    CopyToField(record->szAppExePath, g_strCurrentExePath);
    record->dwProcessId = g_dwCurrentPid;
    return record;
}

// The walk passes over owned and child windows, hidden or captionless ones,
// the shell's desktop and the foreground window (examined already).
bool IsSkippedInWalk(HWND hwnd, HWND foreground, std::wstring& caption) {
    if (!IsWindowVisible(hwnd) || GetParent(hwnd)) return true;
    caption = WindowCaption(hwnd);
    return caption.empty() || caption == L"Program Manager" || hwnd == foreground;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    try {
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
        return TRUE;
    } catch (...) {
        return FALSE;  // out of memory: walk the windows listed so far
    }
}

// Every top-level window, top to bottom in the Z order.
std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Marks a sweep as running for its length; Restrict may nest one in a
// timer sweep on the same thread.
class SweepMark {
public:
    explicit SweepMark(bool& sweeping) noexcept : sweeping_(sweeping), outer_(std::exchange(sweeping, true)) {}
    SweepMark(const SweepMark&) = delete;
    SweepMark& operator=(const SweepMark&) = delete;
    ~SweepMark() { sweeping_ = outer_; }

private:
    bool& sweeping_;
    const bool outer_;
};

}  // namespace

void CRestrictAction::RestrictWindows(const HostRequest* host) {
    const SweepMark mark(m_bSweeping);
    SweepPass pass;
    pass.host = host;
    if (!pass.host && m_bAppWatch) {
        const DWORD now = GetTickCount();
        if (now - m_dwAppWatchStart >= m_dwAppWatchPeriod) {
            pass.reportDue = true;
            m_dwAppWatchStart = now;
        }
    }

    const HWND foreground = ForegroundWindow();
    // An exception here ends the sweep; the caller's guard releases m_cs.
    if (foreground && !SweepForeground(foreground, pass) && SkipsWalk(pass.reportDue)) return;

    // Listed first: a window that goes meanwhile (closed by this walk, or a
    // program that opens and closes windows all the time) is passed over
    // instead of ending the walk.
    for (HWND hwnd : TopLevelWindows()) {
        try {
            SweepWindow(hwnd, foreground, pass);
        } catch (...) {
            // Ends this window's turn only.
        }
    }

    if (m_bAppWatch && pass.reportDue)
        SendMessageW(HostWindow(), WM_RA_APPWATCH_REPORT, reinterpret_cast<WPARAM>(pass.report.get()), 0);
}

// The window in front now, as a tick would find it, not the one an event
// named: any program may raise the event for any window. No report is due,
// and the walk's cadence is the timer's alone.
void CRestrictAction::RestrictForeground() {
    const SweepMark mark(m_bSweeping);
    SweepPass pass;
    if (const HWND foreground = ForegroundWindow()) SweepForeground(foreground, pass);
}

// True when the walk follows whatever its cadence: the window has no
// record, the host asked, or its record went into the report.
// The caption first, as in the walk: it costs no call into the process,
// which a captionless window (the taskbar in front) then does not get.
bool CRestrictAction::SweepForeground(HWND foreground, SweepPass& pass) {
    const std::wstring caption = WindowCaption(foreground, RA_TEXT_LEN);
    if (caption.empty() || !IdentifyProcess(foreground, pass.names)) return true;
    g_strCurrentExePath = ToLower(g_strCurrentExePath);

    SweepRecord record = MakeRecord(TRUE, caption);
    if (pass.host) {
        ApplyHostAction(foreground, *record, *pass.host);
        return true;
    }
    return ApplyModes(foreground, record, caption, pass);
}

// A tick walks one time in (kSweepSkipLimit + 1), and whenever a report
// is due.
bool CRestrictAction::SkipsWalk(bool reportDue) {
    if (m_nSweepSkipCount < kSweepSkipLimit && !reportDue) {
        ++m_nSweepSkipCount;
        return true;
    }
    m_nSweepSkipCount = 0;
    return false;
}

void CRestrictAction::SweepWindow(HWND hwnd, HWND foreground, SweepPass& pass) {
    std::wstring caption;
    if (IsSkippedInWalk(hwnd, foreground, caption) || !IdentifyProcess(hwnd, pass.names)) return;
    SweepRecord record = MakeRecord(FALSE, caption);
    if (pass.host)
        ApplyHostAction(hwnd, *record, *pass.host);
    else
        ApplyModes(hwnd, record, caption, pass);
}

// Returns true when the record went into the report, which then owns it.
bool CRestrictAction::ApplyModes(HWND hwnd, SweepRecord& record, const std::wstring& caption, SweepPass& pass) {
    const bool readsClass = m_bControlWatch || m_bIELock || m_bUrlRestrict;
    const Verdict verdict = Judge({hwnd, *record, readsClass ? WindowClass(hwnd) : std::wstring(), caption}, pass);
    if (verdict.Holds()) {
        Enforce(verdict, *record);
        return false;
    }
    const bool foreground = record->bForeground != FALSE;
    if (!m_bAppWatch || (!foreground && pass.report.Contains(*record))) return false;
    if (!pass.reportDue || IsExemptApplication(*record, TRUE, m_exemptions)) return false;
    pass.report.Append(std::move(record));
    return true;
}

Verdict CRestrictAction::Judge(const WindowFacts& window, SweepPass& pass) {
    CHostLog* log = HostLog();
    Verdict verdict;
    if (m_bControlWatch)
        verdict = CheckControlWatch(window, m_nControlWatchFlags, m_configuredTitles ? &*m_configuredTitles : nullptr);
    ProcessNames* originalNames = m_options.matchOriginalName ? &pass.names : nullptr;
    if (!verdict.Holds() && m_bAppRestrict)
        verdict = CheckApplicationRestrict(window, m_appRule, m_exemptions, log, originalNames);
    const bool fields = m_options.currentBrowsers;
    if (!verdict.Holds() && m_bIELock) verdict = CheckIELock(window, m_pIELockParam, m_ChromeVersion, fields, log);
    if (!verdict.Holds() && m_bUrlRestrict)
        verdict = CheckInternetUrlRestrict(window, m_urlRule, m_ChromeVersion, fields, log);
    return verdict;
}

void CRestrictAction::Enforce(const Verdict& verdict, CLIENT_APP_INFO& record) {
    // The host may take the case over; it answers on its own time.
    const bool hostTookIt =
        verdict.askHostAbout && SendMessageW(HostWindow(), WM_RA_URL_CONFIRM,
                                             reinterpret_cast<WPARAM>(verdict.askHostAbout), m_urlRule.param) != 0;
    if (!hostTookIt) Act(verdict, record);
    const auto wParam = reinterpret_cast<WPARAM>(&record);
    switch (verdict.notice) {
    case Verdict::Notice::kAppRestricted:
        SendMessageW(HostWindow(), WM_RA_APP_RESTRICTED, wParam, m_appRule.param);
        break;
    case Verdict::Notice::kUrlRestricted:
        // Gives the browser time to go before the host looks at the desktop.
        if (record.bForeground) Sleep(kUrlNotifyDelayMs);
        SendMessageW(HostWindow(), WM_RA_URL_RESTRICTED, wParam, m_urlRule.param);
        break;
    case Verdict::Notice::kNone: break;
    }
}

void CRestrictAction::Act(const Verdict& verdict, const CLIENT_APP_INFO& record) {
    if (verdict.action == Verdict::Action::kClose) {
        PostMessageW(verdict.window, WM_CLOSE, 0, 0);
    } else if (verdict.action == Verdict::Action::kEnd) {
        if (const UniqueKernelHandle process = OpenProcessToTerminate(&record)) {
            if (verdict.closeFirst) PostMessageW(verdict.window, WM_CLOSE, 0, 0);
            TerminateProcess(process.get(), 0);
        } else if (verdict.closeIfUnopened) {
            PostMessageW(verdict.window, WM_CLOSE, 0, 0);
        }
    }
}

void CRestrictAction::ApplyHostAction(HWND hwnd, const CLIENT_APP_INFO& record, const HostRequest& host) {
    if (host.action == RA_ACTION_MINIMIZE || host.action == RA_ACTION_MAXIMIZE) {
        if (!IsExemptApplication(record, FALSE, m_exemptions))
            PostMessageW(hwnd, WM_SYSCOMMAND, host.action == RA_ACTION_MINIMIZE ? SC_MINIMIZE : SC_MAXIMIZE, 0);
        return;
    }
    const bool titleMatches = host.title && wcscmp(record.szWindowTitle, host.title) == 0;
    // A window whose image was not found has no name; it matches no path.
    const bool nameInPath = host.path && record.szAppExeName[0] && wcsstr(host.path, record.szAppExeName);
    if (titleMatches || nameInPath ||
        (host.action == RA_ACTION_END_ALL && !IsExemptApplication(record, FALSE, m_exemptions)))
        Act(Verdict::End(hwnd, true), record);
}
