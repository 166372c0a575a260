// A shown address judged against the host's URL list, by the way it was
// read: the verdict the sweep gets (it alone acts) and the lines logged. The
// host path runs the same judge (UrlRestrictTest); here every way of reading
// is reached, Edge's and Firefox's included. No text here goes to the probe.
#include "support/ScratchLog.h"
#include "support/TestFolders.h"
#include "tools/refhost/HostList.h"
#include "urlrestrict/UrlMatching.h"

#include <gtest/gtest.h>

namespace {

const HWND kFrame = reinterpret_cast<HWND>(0x1000);   // the window examined
const HWND kReader = reinterpret_cast<HWND>(0x2000);  // the window whose turn read the address

constexpr AddressSource kBar = AddressSource::kEdit;
constexpr AddressSource kEdge = AddressSource::kEdge;
constexpr AddressSource kFirefox = AddressSource::kFirefox;

}  // namespace

TEST(UrlJudging, WebAddressesByHowTheyWereRead) {
    const struct {
        AddressSource source;
        const wchar_t* text;
        int chromeVersion;
        bool web;
    } rows[] = {
        {kBar, L"WWW.Site.invalid", 29, true},       // lower-cased before the prefix test
        {kBar, L"FILE.site.invalid", 0, true},       // before Chrome 29: two dots, no leading lower-case "file"
        {kFirefox, L"HTTPS://site.invalid/", 0, true},
        {kFirefox, L"about:blank", 99, false},
        {kEdge, L"anything", 0, true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsShownWebAddress({row.source, row.text, kReader, row.chromeVersion}), row.web) << Narrow(row.text);
}

TEST(UrlJudging, VerdictsAndLinesByListSenseAndHowTheAddressWasRead) {
    HostList deny, allow;
    deny.Add(L"Xdenied.invalid").Add(L"", L"www.Other.invalid/Path");
    allow.Add(L"", L"http://www.docs.invalid/guide");
    enum Expect { kNothing, kAskThenEnd, kEnd, kAskThenClose, kAskThenCloseAndEnd, kCloseAndEnd };
    const struct Row {
        const char* label;
        AddressSource source;
        const wchar_t* text;
        int chromeVersion;
        HostList* list;
        BOOL checkUrl;
        DWORD extra;
        bool kill;
        Expect expect;
        std::vector<std::string> logged;
    } rows[] = {
        {"deny, first pattern", kBar, L"http://www.XDenied.invalid/", 99, &deny, 1, 0, true, kAskThenEnd, {}},
        {"deny, not asking the host", kBar, L"http://www.xdenied.invalid/", 99, &deny, 1, 1, true, kEnd, {}},
        {"deny, an Explorer window", kBar, L"http://www.xdenied.invalid/", 99, &deny, 1, 0, false, kAskThenClose, {}},
        {"deny, neither pattern", kBar, L"http://denied.invalid/", 99, &deny, 1, 0, true, kNothing, {}},
        {"deny, Firefox, second pattern", kFirefox, L"HTTP://WWW.OTHER.INVALID/PATH/x", 0, &deny, 1, 0, true,
         kAskThenEnd, {}},
        {"deny, Firefox's blank page", kFirefox, L"about:blank", 0, &deny, 1, 0, true, kNothing, {}},
        {"deny, Edge drops the first pattern's first character", kEdge, L"http://denied.invalid/", 0, &deny, 1, 0,
         true, kAskThenCloseAndEnd, {"===denied.invalid  http://denied.invalid/"}},
        {"allow, scheme-stripped before Chrome 29", kBar, L"www.docs.invalid/guide/2", 0, &allow, 1, 0, true,
         kNothing, {"CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=1]"}},
        {"allow, not stripped from Chrome 29", kBar, L"www.docs.invalid/guide/2", 29, &allow, 1, 0, true,
         kAskThenEnd, {"CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=1]"}},
        {"allow, flag cleared", kBar, L"http://elsewhere.invalid/", 99, &allow, 0, 0, true, kNothing,
         {"CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=0]"}},
        {"allow, Edge, a file", kEdge, L"file:///c:/x", 0, &allow, 1, 0, true, kNothing,
         {"CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=1]",
          "===== http://www.docs.invalid/guide file:///c:/x"}},
        {"allow, Edge, held by the second pattern", kEdge, L"www.docs.invalid", 0, &allow, 1, 0, true, kNothing,
         {"CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=1]",
          "===== http://www.docs.invalid/guide www.docs.invalid"}},
        {"allow, Edge, asked: not closed first", kEdge, L"http://elsewhere.invalid/", 0, &allow, 1, 0, true,
         kAskThenEnd,
         {"CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=1]",
          "===== http://www.docs.invalid/guide http://elsewhere.invalid/"}},
        {"allow, Edge, not asked: closed first", kEdge, L"http://elsewhere.invalid/", 0, &allow, 1, 1, true,
         kCloseAndEnd,
         {"CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=1]",
          "===== http://www.docs.invalid/guide http://elsewhere.invalid/"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        ScratchLog log(L"judging.log");
        const UrlRule rule{row.list->get(), row.list == &deny ? 1u : 0u, row.extra, &row.checkUrl};
        const Verdict verdict = JudgeAddress({row.source, row.text, kReader, row.chromeVersion}, rule, row.kill,
                                             kFrame, &log.log);

        const Expect e = row.expect;
        const bool asked = e == kAskThenEnd || e == kAskThenClose || e == kAskThenCloseAndEnd;
        EXPECT_EQ(verdict.action, e == kNothing       ? Verdict::Action::kNone
                                  : e == kAskThenClose ? Verdict::Action::kClose
                                                       : Verdict::Action::kEnd);
        EXPECT_EQ(verdict.askHostAbout, asked ? kReader : nullptr);
        EXPECT_EQ(verdict.closeFirst, e == kAskThenCloseAndEnd || e == kCloseAndEnd);
        if (verdict.Holds()) {
            EXPECT_EQ(verdict.window, kFrame);
            EXPECT_FALSE(verdict.closeIfUnopened) << "a browser that cannot be opened is left alone";
            EXPECT_EQ(verdict.notice, Verdict::Notice::kUrlRestricted);
        }
        EXPECT_EQ(log.Messages(), row.logged);
    }
}
