// MODE_URLRESTRICT through the host's path; a host that takes the case lets windows of this process be judged.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

constexpr DWORD kDenyList = 1, kAllowList = 0;
constexpr DWORD kAskHost = 0, kEnforceAtOnce = 1;

class UrlRestrict : public testing::Test {
protected:
    void SetUp() override {
        // An earlier test may have left the shared flag cleared.
        SharedWords()->checkUrl = TRUE;
        host.Initial(0, 100);
    }
    TestHost host;
};

}  // namespace

// With no Chrome installed, an address has two dots, something before and between them, no leading "file".
TEST_F(UrlRestrict, ListsMatchEitherPatternIgnoringCaseInBrowserAndExplorerWindows) {
    const std::wstring longTail(280, L'a');
    host.confirmReply = 1;
    const auto judge = [&](DWORD sense, const std::vector<std::wstring>& list, const std::vector<WindowRow>& rows) {
        host.ClearReceived();
        host.StartRestrict(MODE_URLRESTRICT, sense, host.List(list), kAskHost);
        ExpectFates(host, rows);
        for (const auto& n : host.Received(WM_RA_URL_CONFIRM)) EXPECT_EQ(n.lParam, static_cast<LPARAM>(sense));
    };
    judge(kDenyList, {L"Example.INVALID", L"|例え.jp"}, {
        {"first pattern, other case", nullptr, L"Chrome_WidgetWin_1", L"http://www.example.INValid/a", Fate::kAsked},
        {"one dot: no address", nullptr, L"Chrome_WidgetWin_1", L"example.invalid", Fate::kLeft},
        {"dot first: no address", nullptr, L"ExploreWClass", L".example.invalid", Fate::kLeft},
        {"lower-case file: no address", nullptr, L"CabinetWClass", L"file.example.invalid", Fate::kLeft},
        {"FILE in capitals is one", nullptr, L"CabinetWClass", L"FILE.example.invalid", Fate::kAsked},
        {"an empty second pattern matches nothing", nullptr, L"IEFrame", L"www.other.org", Fate::kLeft},
        {"non-Latin host", nullptr, L"ExploreWClass", L"http://www.例え.jp/", Fate::kAsked},
        {"percent signs, control characters", nullptr, L"CabinetWClass", L"www.example.invalid/%s%n\t\x01", Fate::kAsked},
        {"pattern past the 259 characters read", nullptr, L"IEFrame", L"www.x.org/" + longTail + L"example.invalid", Fate::kLeft},
        {"empty Edit passed over, its child read", nullptr, L"IEFrame", L"www.example.invalid/c", Fate::kAsked, {L"Edit", L"Edit"}},
        {"core window child: only Edge's reader asked", nullptr, L"CabinetWClass", L"www.example.invalid/d", Fate::kLeft,
         {L"Windows.UI.Core.CoreWindow", L"Edit"}},
        {"store-app frame without core window", nullptr, L"ApplicationFrameWindow", L"www.example.invalid/e", Fate::kLeft},
        {"unknown class never read", nullptr, L"RaPlainFrame", L"www.example.invalid/f", Fate::kLeft},
    });
    judge(kAllowList, {L"|www.allowed.com", L"Intranet.Local", L"|http://www.docs.org/guide"}, {
        {"second pattern", nullptr, L"Chrome_WidgetWin_1", L"http://www.allowed.com/x", Fate::kLeft},
        {"second pattern without its scheme", nullptr, L"Chrome_WidgetWin_1", L"www.docs.org/guide/page2", Fate::kLeft},
        {"same host, other path", nullptr, L"Chrome_WidgetWin_1", L"www.docs.org/other", Fate::kAsked},
        {"unlisted: an empty pattern allows nothing", nullptr, L"CabinetWClass", L"www.elsewhere.com", Fate::kAsked},
        {"no address", nullptr, L"CabinetWClass", L"intranet.invalid", Fate::kLeft},
    });
    for (const auto& [sense, checkUrl, fate] : {std::tuple{kAllowList, TRUE, Fate::kAsked},
                                               {kDenyList, TRUE, Fate::kLeft}, {kAllowList, FALSE, Fate::kLeft}}) {
        SharedWords()->checkUrl = checkUrl;
        judge(sense, {}, {{"an empty list", nullptr, L"IEFrame", L"www.any.com", fate}});
    }
    SharedWords()->checkUrl = TRUE;
    EXPECT_GT(host.log.Count("CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=0]"), 0);
}

// A window whose child shows an address ends its turn with it, its parent goes on with its next child, and a
// window that shows none asks Firefox at the end of its turn.
TEST_F(UrlRestrict, WalksTheTreeLevelByLevelEachEndingWithItsAddressOrAFirefoxQuestion) {
    host.confirmReply = 1;
    FakeBrowser frame(L"IEFrame");
    const HWND shown = CreatePlainWindow(L"WorkerW", L"", frame.hwnd());
    CreatePlainWindow(L"Edit", L"www.allowed.invalid/a", shown);
    CreatePlainWindow(L"Edit", L"www.denied.invalid/a", shown);
    CreatePlainWindow(L"WorkerW", L"", frame.hwnd());
    CreatePlainWindow(L"Edit", L"", frame.hwnd());
    const HWND denied = CreatePlainWindow(L"WorkerW", L"", frame.hwnd());
    CreatePlainWindow(L"Edit", L"www.denied.invalid/b", denied);
    const FakeBrowser front(L"RaFrontWindow", L"Front");
    MadeForeground(front.hwnd());
    host.StartRestrict(MODE_URLRESTRICT, kDenyList, host.List({L"denied.invalid"}), kAskHost);
    EXPECT_TRUE(host.WaitFor([&] { return host.AskedAbout(denied); }));
    host.StopRestrict(MODE_URLRESTRICT);
    EXPECT_FALSE(host.AskedAbout(shown) || host.AskedAbout(frame.hwnd()));

    const std::string level = "CRestrictAction::CheckInternetRestrictEditbox GetChromeVersion() m_ChromeVersion = [0]";
    const std::string firefox = "CQvUrlLaunchControl::CheckInternetRestrictEditbox GetLocalURLFirefox().";
    const std::vector<std::string> turn = {level, level, level, firefox, level, firefox, level};
    const std::vector<std::string> messages = host.log.Messages();
    const auto first = std::find(messages.begin(), messages.end(), level);
    ASSERT_GE(messages.end() - first, static_cast<std::ptrdiff_t>(turn.size()));
    EXPECT_EQ(std::vector<std::string>(first, first + turn.size()), turn);
}

TEST_F(UrlRestrict, EnforcesByHostReplyAndWindowKind) {
    for (const auto& [label, extra, reply, fate] :
         {std::tuple{"host takes the case", kAskHost, 1, Fate::kAsked},
          {"host declines", kAskHost, 0, Fate::kActed}, {"host not asked", kEnforceAtOnce, 1, Fate::kActed}}) {
        SCOPED_TRACE(label);
        host.ClearReceived();
        host.confirmReply = reply;
        host.StartRestrict(MODE_URLRESTRICT, kDenyList, host.List({L"blocked"}), extra);
        ExpectFates(host, {{"a folder", nullptr, L"CabinetWClass", L"www.blocked.com/x", fate}});
        EXPECT_EQ(host.Received(WM_RA_URL_CONFIRM).size() > 0, extra == kAskHost);
        EXPECT_FALSE(host.Received(WM_RA_URL_RESTRICTED).empty());
    }
    host.ClearReceived();
    host.StartRestrict(MODE_URLRESTRICT, kDenyList, host.List({L"blocked"}), kEnforceAtOnce);
    ExpectFates(host, {
        {"Internet Explorer", L"browser.exe", L"IEFrame", L"http://www.blocked.com/", Fate::kActed},
        {"Chrome", L"chrome.exe", L"Chrome_WidgetWin_1", L"www.blocked.com/y", Fate::kActed},
        {"Explorer's own process", L"explorer.exe", L"CabinetWClass", L"www.blocked.com/z", Fate::kLeft},
    });
    EXPECT_GT(host.log.Count("szAppExeName szAppExeName is explorer.exe"), 0);
    std::set<std::wstring> notified;
    for (const auto& record : host.Records(WM_RA_URL_RESTRICTED)) notified.insert(record.szAppExeName);
    EXPECT_EQ(notified, (std::set<std::wstring>{L"browser.exe", L"chrome.exe"}));
}
