// Finding the address a browser or Explorer window shows: Edge's
// accessibility value, Chrome's reader, a plain "Edit" child, and last the
// foreground Firefox window.
#include "browsers/ChromeReader.h"
#include "browsers/EdgeReader.h"
#include "control/CRestrictAction.h"
#include "control/HostLog.h"
#include "fw/Text.h"
#include "urlrestrict/BrowserWindows.h"
#include "urlrestrict/FirefoxReader.h"
#include "urlrestrict/UrlMatching.h"

#include <clocale>

namespace {

// 260 characters and a terminator, as the readers expect.
constexpr int kAddressChars = 260;
constexpr int kAddressBufferChars = kAddressChars + 1;
// From this version on Chrome's own window is read before its children.
constexpr int kChromeOwnAddressVersion = 31;
// A hung browser stalls the check no longer than this per "Edit" child.
constexpr UINT kGetTextTimeoutMs = 500;

int ReadEditText(HWND edit, wchar_t* buffer) {
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(edit, WM_GETTEXT, kAddressChars, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                             kGetTextTimeoutMs, &copied))
        return 0;
    return static_cast<int>(copied);
}

int ReadChromeURL(HWND hwnd, wchar_t* buffer, CHostLog* log, const wchar_t* line) {
    const int length = GetChromeURL(hwnd, buffer, log);
    if (length > 0) Log(log, RA_LOG_SYSTEM, line, buffer);
    return length;
}

// The address that `child` (of `hwnd`, class `hwndClass`) leads to, read
// into the cleared `buffer`; its length, 0 or less for none.
int ReadChildAddress(HWND hwnd, const std::wstring& hwndClass, HWND child, wchar_t* buffer, CHostLog* log) {
    const std::wstring childClass = WindowClass(child);
    if (childClass.empty()) return 0;
    if (childClass == L"Chrome_OmniboxView")
        return ReadChromeURL(child, buffer, log, L"CQvUrlLaunchControl::GetURLChrome 1,[strEdit %s] .");
    if (childClass == L"Edit") return ReadEditText(child, buffer);
    if (hwndClass == kChromeFrameClass)
        return ReadChromeURL(hwnd, buffer, log, L"CQvUrlLaunchControl::GetURLChrome 2,[strEdit %s] .");
    return 0;
}

}  // namespace

// Depth first; an address read ends the call with its judgement. Every call
// that read none asks Firefox at its end, so the calls below do too.
BOOL CRestrictAction::CheckInternetRestrictEditbox(HWND hwnd, CLIENT_APP_INFO* pInfo, int nMode, HWND hClose,
                                                   BOOL bKill) {
    // Lower-casing of addresses follows the user's locale.
    setlocale(LC_ALL, "");
    if (HasCoreWindowChild(hwnd)) return CheckEdgeAddress(nMode, bKill, pInfo, hClose, hwnd);

    const std::wstring windowClass = WindowClass(hwnd);
    // 0 means no Chrome found yet: asked again next time.
    if (m_ChromeVersion == 0) m_ChromeVersion = GetChromeVersion();
    if (m_ChromeVersion < kChromeOwnAddressVersion) {
        Log(HostLog(), RA_LOG_TRACE,
            L"CRestrictAction::CheckInternetRestrictEditbox GetChromeVersion() m_ChromeVersion = [%d]", m_ChromeVersion);
    } else if (windowClass == kChromeFrameClass) {
        wchar_t buffer[kAddressBufferChars] = {};
        if (GetChromeURL(hwnd, buffer, HostLog()) > 0) {
            Log(HostLog(), RA_LOG_TRACE,
                L"CRestrictAction::CheckInternetRestrictEditbox GetChromeURL() return szEdit = [%s]", buffer);
            return JudgeAddress(buffer, nMode, bKill, pInfo, hClose, hwnd);
        }
        Log(HostLog(), RA_LOG_TRACE, L"CRestrictAction::CheckInternetRestrictEditbox GetChromeURL() return lenth = 0");
    }

    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t buffer[kAddressBufferChars] = {};
        if (ReadChildAddress(hwnd, windowClass, child, buffer, HostLog()) > 0)
            return JudgeAddress(buffer, nMode, bKill, pInfo, hClose, hwnd);
        if (const BOOL dealt = CheckInternetRestrictEditbox(child, pInfo, nMode, hClose, bKill)) return dealt;
    }
    return CheckFirefoxAddress(nMode, bKill, pInfo, hClose, hwnd);
}

BOOL CRestrictAction::CheckFirefoxAddress(int nMode, BOOL bKill, CLIENT_APP_INFO* pInfo, HWND hClose, HWND hwnd) {
    Log(HostLog(), RA_LOG_SYSTEM, L"CQvUrlLaunchControl::CheckInternetRestrictEditbox GetLocalURLFirefox().");
    const std::wstring address = ToLower(GetLocalURLFirefox(HostLog()));
    if (!HasWebPrefix(address)) return FALSE;
    return RestrictAddress(address, nMode, kFirefoxVariant, bKill, pInfo, hClose, hwnd);
}

// Any text Edge shows counts as an address.
BOOL CRestrictAction::CheckEdgeAddress(int nMode, BOOL bKill, CLIENT_APP_INFO* pInfo, HWND hClose, HWND hwnd) {
    std::wstring address;
    GetEdgeURL(hwnd, address, HostLog());
    if (address.empty()) return FALSE;
    return RestrictAddress(ToLower(address), nMode, kEdgeVariant, bKill, pInfo, hClose, hwnd);
}
