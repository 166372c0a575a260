// An address judged by how it was read, for readers the host path cannot reach cheaply.
#include "support/TestHost.h"
#include "urlrestrict/UrlMatching.h"

#include <gtest/gtest.h>

namespace {

const HWND kFrame = reinterpret_cast<HWND>(0x1000);   // the window examined
const HWND kReader = reinterpret_cast<HWND>(0x2000);  // the window whose turn read the address

// "!" for a verdict of another shape.
std::string Describe(const Verdict& v) {
    if (!v.Holds()) return "";
    if (v.window != kFrame || v.closeIfUnopened || v.notice != Verdict::Notice::kUrlRestricted ||
        (v.askHostAbout && v.askHostAbout != kReader))
        return "!";
    return std::string(v.askHostAbout ? "ask " : "") +
           (v.action == Verdict::Action::kClose ? "close" : v.closeFirst ? "close+end" : "end");
}

}  // namespace

TEST(UrlJudging, VerdictsAndLinesByListSenseAndHowTheAddressWasRead) {
    HostList denyList, allowList;
    const void* deny = denyList.Add(L"Xdenied.invalid").Add(L"", L"www.Other.invalid/Path").get();
    const void* allow = allowList.Add(L"", L"http://www.docs.invalid/guide").get();
    const std::string checked = "CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=1]";
    constexpr AddressSource kBar = AddressSource::kEdit, kEdge = AddressSource::kEdge, kFox = AddressSource::kFirefox;
    const struct {
        const char* label;
        AddressSource source;
        const wchar_t* text;
        int chromeVersion;
        const void* list;
        DWORD extra;
        std::string verdict;
        std::vector<std::string> logged;
    } rows[] = {
        {"deny, Chrome 29: a prefix in any case", kBar, L"WWW.XDenied.invalid/", 29, deny, 0, "ask end", {}},
        {"deny, Firefox, second pattern", kFox, L"HTTP://WWW.OTHER.INVALID/PATH/x", 0, deny, 0, "ask end", {}},
        {"deny, Firefox's blank page", kFox, L"about:blank", 0, deny, 0, "", {}},
        {"deny, Edge drops the first pattern's first character", kEdge, L"http://denied.invalid/", 0, deny, 0,
         "ask close+end", {"===denied.invalid  http://denied.invalid/"}},
        {"allow, not stripped from Chrome 29", kBar, L"www.docs.invalid/guide/2", 29, allow, 0, "ask end", {checked}},
        {"allow, Edge, a file", kEdge, L"file:///c:/x", 0, allow, 0, "",
         {checked, "===== http://www.docs.invalid/guide file:///c:/x"}},
        {"allow, Edge, held by the second pattern", kEdge, L"www.docs.invalid", 0, allow, 0, "",
         {checked, "===== http://www.docs.invalid/guide www.docs.invalid"}},
        {"allow, Edge, asked: not closed first", kEdge, L"http://else.invalid/", 0, allow, 0, "ask end",
         {checked, "===== http://www.docs.invalid/guide http://else.invalid/"}},
        {"allow, Edge, not asked: closed first", kEdge, L"http://else.invalid/", 0, allow, 1, "close+end",
         {checked, "===== http://www.docs.invalid/guide http://else.invalid/"}},
    };
    for (const auto& row : rows) {
        LogFile log(L"judging.log");
        const BOOL checkUrl = TRUE;
        const UrlRule rule{row.list, row.list == deny ? 1u : 0u, row.extra, &checkUrl};
        EXPECT_EQ(Describe(JudgeAddress({row.source, row.text, kReader, row.chromeVersion}, rule, true, kFrame, &log)),
                  row.verdict)
            << row.label;
        EXPECT_EQ(log.Messages(), row.logged) << row.label;
    }
}
