// The sweep's two browser checks: MODE_IELOCK forbids web browsing as a
// whole, MODE_URLRESTRICT judges the address shown against the host's list.
#include "apprestrict/ProcessImages.h"
#include "control/CRestrictAction.h"
#include "control/HostLog.h"
#include "control/HostObjects.h"
#include "fw/Text.h"
#include "urlrestrict/BrowserWindows.h"

#include <cwchar>

namespace {

// Endings of browser window titles, compared with case.
const wchar_t* const kBrowserTitleSuffixes[] = {
    L"- Microsoft Internet Explorer", L"- Windows Internet Explorer", L"- Mozilla Firefox", L"- Google Chrome",
    L"Microsoft Edge",
};

struct KnownClass {
    const wchar_t* name;
    bool killed;  // the browser's process is ended; else the window is closed
};

const KnownClass kKnownClasses[] = {
    {L"ExploreWClass", false},      {L"CabinetWClass", false},        {L"IEFrame", true},
    {L"Chrome_WidgetWin_0", true},  {L"Chrome_WidgetWin_1", true},    {L"MozillaWindowClass", true},
    {L"MozillaUIWindowClass", true}, {L"ApplicationFrameWindow", true},
};

// Store apps of every kind live in this frame; only one that hosts content
// is looked at.
constexpr wchar_t kStoreAppFrameClass[] = L"ApplicationFrameWindow";

const KnownClass* FindKnownClass(const std::wstring& windowClass) {
    for (const KnownClass& known : kKnownClasses)
        if (windowClass == known.name) return &known;
    return nullptr;
}

bool HasBrowserTitle(const wchar_t* title) {
    for (const wchar_t* suffix : kBrowserTitleSuffixes)
        if (EndsWith(title, suffix)) return true;
    return false;
}

// A blank entry names no browser, not every window whose image is unknown.
bool IsListedBrowser(const void* list, const wchar_t* exeName) {
    for (const CLIENT_APP_INFO& entry : HostRecords(list))
        if (entry.szAppExeName[0] && wcscmp(entry.szAppExeName, exeName) == 0) return true;
    return false;
}

}  // namespace

BOOL CRestrictAction::CheckIELock(CLIENT_APP_INFO* pInfo, HWND hwnd) {
    if (HasBrowserTitle(pInfo->szWindowTitle) || IsListedBrowser(m_pIELockParam, pInfo->szAppExeName)) {
        TerminateOrClose(pInfo, hwnd);
        return TRUE;
    }
    const KnownClass* known = FindKnownClass(WindowClass(hwnd));
    if (!known || !CheckInternetRestrictEditbox(hwnd, pInfo, MODE_IELOCK, nullptr, FALSE)) return FALSE;
    if (known->killed)
        TerminateOrClose(pInfo, hwnd);
    else
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

BOOL CRestrictAction::CheckInternetUrlRestrict(CLIENT_APP_INFO* pInfo, HWND hwnd) {
    if (wcscmp(pInfo->szAppExeName, L"explorer.exe") == 0) {
        Log(HostLog(), RA_LOG_TRACE,
            L"CRestrictAction::CheckInternetUrlRestrict, the ClientAppInfo szAppExeName szAppExeName is explorer.exe");
        return FALSE;
    }
    const std::wstring windowClass = WindowClass(hwnd);
    if (windowClass == kStoreAppFrameClass && !HasCoreWindowChild(hwnd)) return FALSE;
    const KnownClass* known = FindKnownClass(windowClass);
    if (!known) return FALSE;
    return CheckInternetRestrictEditbox(hwnd, pInfo, MODE_URLRESTRICT, hwnd, known->killed);
}
