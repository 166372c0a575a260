#include "urlrestrict/UrlRestrictEntry.h"

#include "fw/HostLog.h"
#include "fw/HostObjects.h"
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

Verdict CheckIELock(const WindowFacts& window, const void* browserList, int& chromeVersion, bool readsFields,
                    CHostLog* log) {
    const CLIENT_APP_INFO& record = window.record;
    if (HasBrowserTitle(record.szWindowTitle) || IsListedBrowser(browserList, record.szAppExeName))
        return Verdict::End(window.window, true);
    const KnownClass* known = FindKnownClass(window.windowClass);
    if (!known || !CheckInternetRestrictEditbox(window.window, chromeVersion, readsFields, log, IsShownWebAddress))
        return {};
    return known->killed ? Verdict::End(window.window, true) : Verdict::Close(window.window);
}

Verdict CheckInternetUrlRestrict(const WindowFacts& window, const UrlRule& rule, int& chromeVersion, bool readsFields,
                                 CHostLog* log) {
    if (wcscmp(window.record.szAppExeName, L"explorer.exe") == 0) {
        Log(log, RA_LOG_TRACE,
            L"CRestrictAction::CheckInternetUrlRestrict, the ClientAppInfo szAppExeName szAppExeName is explorer.exe");
        return {};
    }
    if (window.windowClass == kStoreAppFrameClass && !HasCoreWindowChild(window.window)) return {};
    const KnownClass* known = FindKnownClass(window.windowClass);
    if (!known) return {};
    Verdict verdict;
    CheckInternetRestrictEditbox(window.window, chromeVersion, readsFields, log, [&](const ShownAddress& address) {
        verdict = JudgeAddress(address, rule, known->killed, window.window, log);
        return verdict.Holds();
    });
    return verdict;
}
