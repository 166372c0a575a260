#include "urlrestrict/UrlMatching.h"

#include "fw/HostLog.h"
#include "fw/HostObjects.h"
#include "fw/Text.h"
#include "urlrestrict/HttpClient.h"

#include <algorithm>
#include <iterator>

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

// How an address read one way is judged. Address bars, Firefox and Edge
// share one list test; what differs between them is this data.
struct Judging {
    enum class Test {
        kAddressBar,  // a scheme prefix or two dots, else an HTTP probe
        kWebPrefix,   // a scheme prefix
        kAnyText,
    } test;
    // Characters dropped from the front of every first pattern.
    size_t firstPatternSkip;
    // Level-4 line per entry (first pattern, second pattern, address); null
    // for none.
    const wchar_t* denyEntryLine;
    const wchar_t* allowEntryLine;
    // Allow list, while the installed Chrome is older than 29: a second
    // pattern with a scheme also allows the address holding the rest of it.
    bool allowsSchemeStripped;
    // Allow list: a second pattern holding the whole address allows it, and
    // so does any "file:" address.
    bool allowsWithinPatternAndFiles;
    // The frame is sent WM_CLOSE before the browser's process is ended.
    bool closesBeforeKill;
};

const Judging kAddressBar{Judging::Test::kAddressBar, 0, nullptr, nullptr, true, false, false};
const Judging kFirefox{Judging::Test::kWebPrefix, 0, nullptr, nullptr, false, false, false};
const Judging kEdge{Judging::Test::kAnyText, 1, L"===%s %s %s", L"=====%s %s %s", false, true, true};
// What an address field shows is the address, often without its scheme
// ("example.com/path"): no prefix, dot rule or probe decides it.
const Judging kAddressField{Judging::Test::kAnyText, 0, nullptr, nullptr, false, false, false};

const Judging& JudgingOf(AddressSource source) {
    switch (source) {
    case AddressSource::kEdge: return kEdge;
    case AddressSource::kFirefox: return kFirefox;
    case AddressSource::kAddressField: return kAddressField;
    default: return kAddressBar;
    }
}

// Whether lower-case `text` begins with "http:", "https:", "ftp:",
// "telnet:" or "www.".
bool HasWebPrefix(const std::wstring& text) {
    return std::any_of(std::begin(kSchemePrefixes), std::end(kSchemePrefixes),
                       [&](const SchemePrefix& prefix) { return StartsWith(text, prefix.text); });
}

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
    return CHttpClient(kProbeUserAgent).Get(url, kProbeAnswerMin + 1).size() > kProbeAnswerMin;
}

bool IsWebAddress(const ShownAddress& address, Judging::Test test) {
    const std::wstring lower = ToLower(address.text);
    switch (test) {
    case Judging::Test::kAddressBar: {
        const bool recognised = address.chromeVersion >= kChromePrefixVersion ? HasWebPrefix(lower)
                                                                                : HasDottedName(address.text);
        return recognised || AnswersProbe(lower);
    }
    case Judging::Test::kWebPrefix: return HasWebPrefix(lower);
    default: return true;
    }
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

// `address` is lower case.
bool UrlListForbids(const std::wstring& address, int chromeVersion, const Judging& judging, const UrlRule& rule,
                    CHostLog* log) {
    const bool denyList = rule.param != 0;
    if (!denyList) {
        Log(log, RA_LOG_TRACE, L"CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=%d]", *rule.checkUrl);
        if (!*rule.checkUrl) return false;
    }
    const wchar_t* entryLine = denyList ? judging.denyEntryLine : judging.allowEntryLine;
    const bool stripsScheme = judging.allowsSchemeStripped && chromeVersion < kChromePrefixVersion;
    bool allowed = false;
    for (const CLIENT_APP_INFO& entry : HostRecords(rule.list)) {
        const std::wstring stored = ToLower(entry.szAppExeName);
        const std::wstring first = stored.substr(std::min(judging.firstPatternSkip, stored.size()));
        const std::wstring second = ToLower(entry.szAppExePath);
        if (entryLine) Log(log, RA_LOG_TRACE, entryLine, first.c_str(), second.c_str(), address.c_str());

        const bool listed = HoldsPattern(address, first) || HoldsPattern(address, second);
        if (denyList && listed) return true;
        // Every entry of an allow list is examined, also after a hit.
        allowed = allowed || listed || (stripsScheme && HoldsPattern(address, WithoutScheme(second))) ||
                  (judging.allowsWithinPatternAndFiles &&
                   (HoldsPattern(second, address) || StartsWith(address, L"file:")));
    }
    return !denyList && !allowed;
}

}  // namespace

bool IsShownWebAddress(const ShownAddress& address) {
    return IsWebAddress(address, JudgingOf(address.source).test);
}

Verdict JudgeAddress(const ShownAddress& address, const UrlRule& rule, bool kill, HWND frame, CHostLog* log) {
    const Judging& judging = JudgingOf(address.source);
    if (!IsWebAddress(address, judging.test) ||
        !UrlListForbids(ToLower(address.text), address.chromeVersion, judging, rule, log))
        return {};
    const bool askHost = rule.extra == 0;
    Verdict verdict = kill ? Verdict::End(frame, false) : Verdict::Close(frame);
    verdict.closeFirst = kill && judging.closesBeforeKill && !(askHost && rule.param == 0);
    verdict.askHostAbout = askHost ? address.window : nullptr;
    verdict.notice = Verdict::Notice::kUrlRestricted;
    return verdict;
}
