#include "urlrestrict/UrlMatching.h"

#include "apprestrict/ProcessImages.h"
#include "control/CRestrictAction.h"
#include "control/HostLog.h"
#include "control/HostObjects.h"
#include "control/InputHooks.h"
#include "fw/Text.h"
#include "urlrestrict/HttpClient.h"

#include <algorithm>
#include <iterator>

const UrlListVariant kAddressBarVariant{0, nullptr, nullptr, true, false, false};
const UrlListVariant kFirefoxVariant{0, nullptr, nullptr, false, false, false};
const UrlListVariant kEdgeVariant{1, L"===%s %s %s", L"=====%s %s %s", false, true, true};

namespace {

// From this Chrome version on an address is recognised by its prefix, and
// the scheme-stripped allow test is no longer made.
constexpr int kChromePrefixVersion = 29;
// A probe answer longer than this shows the text is a web address.
constexpr size_t kProbeAnswerMin = 8;
constexpr wchar_t kProbeUserAgent[] =
    L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727)";

struct SchemePrefix {
    const wchar_t* text;
    size_t stripped;  // characters the scheme strip drops; 0: never stripped
};

const SchemePrefix kSchemePrefixes[] = {
    {L"http:", 7}, {L"https:", 8}, {L"ftp:", 6}, {L"telnet:", 9}, {L"www.", 0},
};

// Two dots with something before and between them, and no leading "file"
// (case-sensitive: "FILE.x.y" is an address).
bool HasDottedName(const std::wstring& text) {
    const size_t first = text.find(L'.');
    if (first == std::wstring::npos || first == 0) return false;
    const size_t second = text.find(L'.', first + 1);
    return second != std::wstring::npos && second > first + 1 && text.find(L"file") != 0;
}

// Text typed without a scheme, as a browser would take it, is tried as an
// http address.
bool AnswersProbe(const std::wstring& text) {
    const std::wstring url = Contains(text, L"://") ? text : L"http://" + text;
    return HttpGet(kProbeUserAgent, url, kProbeAnswerMin + 1).size() > kProbeAnswerMin;
}

// An empty pattern takes part in no test: under plain substring search it
// would match every address, so that an entry filled in one field only
// would allow (or forbid) everything.
bool HoldsPattern(const std::wstring& address, const std::wstring& pattern) {
    return !pattern.empty() && Contains(address, pattern);
}

// What is left of a second pattern after its scheme, or empty when it has
// none of the stripped schemes.
std::wstring WithoutScheme(const std::wstring& pattern) {
    for (const SchemePrefix& prefix : kSchemePrefixes)
        if (prefix.stripped && StartsWith(pattern, prefix.text))
            return pattern.substr(std::min(prefix.stripped, pattern.size()));
    return {};
}

}  // namespace

bool HasWebPrefix(const std::wstring& text) {
    return std::any_of(std::begin(kSchemePrefixes), std::end(kSchemePrefixes),
                       [&](const SchemePrefix& prefix) { return StartsWith(text, prefix.text); });
}

BOOL CRestrictAction::JudgeAddress(const wchar_t* pszText, int nMode, BOOL bKill, CLIENT_APP_INFO* pInfo,
                                   HWND hClose, HWND hwnd) {
    const std::wstring text(pszText ? pszText : L"");
    if (!IsWebAddress(text)) return FALSE;
    return RestrictAddress(ToLower(text), nMode, kAddressBarVariant, bKill, pInfo, hClose, hwnd);
}

bool CRestrictAction::IsWebAddress(const std::wstring& text) const {
    const std::wstring lower = ToLower(text);
    const bool recognised = m_ChromeVersion >= kChromePrefixVersion ? HasWebPrefix(lower) : HasDottedName(text);
    return recognised || AnswersProbe(lower);
}

BOOL CRestrictAction::RestrictAddress(const std::wstring& address, int nMode, const UrlListVariant& variant,
                                      BOOL bKill, const CLIENT_APP_INFO* pInfo, HWND hClose, HWND hwnd) {
    if (nMode == MODE_IELOCK) return TRUE;
    if (nMode != MODE_URLRESTRICT || !UrlListForbids(address, variant)) return FALSE;
    return EnforceUrlRestriction(variant, bKill, pInfo, hClose, hwnd);
}

bool CRestrictAction::UrlListForbids(const std::wstring& address, const UrlListVariant& variant) const {
    const bool denyList = m_nUrlRestrictParam != 0;
    if (!denyList) {
        Log(HostLog(), RA_LOG_TRACE, L"CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=%d]", g_bCheckUrl);
        if (!g_bCheckUrl) return false;
    }
    const wchar_t* entryLine = denyList ? variant.denyEntryLine : variant.allowEntryLine;
    const bool stripsScheme = variant.allowsSchemeStripped && m_ChromeVersion < kChromePrefixVersion;
    bool allowed = false;
    for (const CLIENT_APP_INFO& entry : HostRecords(m_pUrlList)) {
        const std::wstring stored = ToLower(entry.szAppExeName);
        const std::wstring first = stored.substr(std::min(variant.firstPatternSkip, stored.size()));
        const std::wstring second = ToLower(entry.szAppExePath);
        if (entryLine) Log(HostLog(), RA_LOG_TRACE, entryLine, first.c_str(), second.c_str(), address.c_str());

        const bool listed = HoldsPattern(address, first) || HoldsPattern(address, second);
        if (denyList && listed) return true;
        // Every entry of an allow list is examined, also after a hit.
        allowed = allowed || listed || (stripsScheme && HoldsPattern(address, WithoutScheme(second))) ||
                  (variant.allowsWithinPatternAndFiles &&
                   (HoldsPattern(second, address) || StartsWith(address, L"file:")));
    }
    return !denyList && !allowed;
}

BOOL CRestrictAction::EnforceUrlRestriction(const UrlListVariant& variant, BOOL bKill, const CLIENT_APP_INFO* pInfo,
                                            HWND hClose, HWND hwnd) {
    // The host may take the case over; it answers on its own time.
    const bool askedHost = m_nUrlRestrictExtra == 0;
    if (askedHost && SendMessageW(HostWindow(), WM_RA_URL_CONFIRM, reinterpret_cast<WPARAM>(hwnd),
                                  static_cast<LPARAM>(m_nUrlRestrictParam)) != 0)
        return TRUE;
    if (!bKill) {
        PostMessageW(hClose, WM_CLOSE, 0, 0);
        return TRUE;
    }
    const UniqueKernelHandle process = OpenProcessToTerminate(pInfo);
    if (!process) return TRUE;
    if (variant.closesBeforeKill && !(askedHost && m_nUrlRestrictParam == 0)) PostMessageW(hClose, WM_CLOSE, 0, 0);
    TerminateProcess(process.get(), 0);
    return TRUE;
}
