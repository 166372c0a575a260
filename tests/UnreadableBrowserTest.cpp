// Through the host's path: a Chrome window in front whose accessible tree
// cannot be read, because Chrome stopped answering or because the tree
// never ends, must not hold the sweep. A program on the MODE_APPRESTRICT
// deny list beside it is still ended within a few seconds.
#include "support/FakeAccessible.h"
#include "support/FakeBrowser.h"
#include "support/ScratchLog.h"
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kDenyList = 1;
constexpr DWORD kAskHost = 0;
// A stalled read costs the sweep 1 s; the walk that reaches the program
// comes every 11 ticks of 100 ms.
constexpr DWORD kFewSecondsMs = 8000;

class UnreadableBrowser : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Loaded());
        host.Initial(0, 100);
        apps.Add(L"game.exe");
        urls.Add(L"example.com");
    }

    // With `browser` in front, starts restricting URLs and applications;
    // game.exe, on the deny list, must be ended within a few seconds.
    void ExpectGameEndedBeside(HWND browser) {
        TestApp game(L"game.exe", L"RaGameWindow", {L"Game"});
        ASSERT_TRUE(game.Started());
        ASSERT_TRUE(MadeForeground(browser));
        host.StartRestrict(MODE_URLRESTRICT, kDenyList, urls.get(), kAskHost);
        host.StartRestrict(MODE_APPRESTRICT, kDenyList, apps.get());
        EXPECT_TRUE(host.WaitFor([&] { return game.Ended(0); }, kFewSecondsMs));
    }

    const ChromeRegistered chrome;
    HostList apps, urls;  // read by the module until the modes stop
    TestHost host;
};

}  // namespace

// The stand-in Chrome hands out its accessible object and then stops
// answering: the read is left behind after its deadline with one error
// line, the window is passed over while that read runs, and read again
// once Chrome answers.
TEST_F(UnreadableBrowser, DeniedProgramIsEndedWhileChromeInFrontStopsAnswering_OneErrorLine) {
    const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, L"RaStalledTreeRelease"));
    TestApp stalled(L"chrome.exe", L"Chrome_WidgetWin_1", {L"Stalled"}, L"", {L"--stall-tree", L"RaStalledTreeRelease"});
    ASSERT_TRUE(stalled.Started());
    ExpectGameEndedBeside(stalled.Window());
    host.Pump(kTwoWalksMs);
    const std::string noAnswer = NoAnswerLine("GetChromeURL", stalled.Window());
    EXPECT_EQ(CountLines(host.LogLines(), noAnswer), 1);
    EXPECT_EQ(CountLines(host.LogLines(), "the main UI numChildren2"), 0);

    SetEvent(release.get());
    EXPECT_TRUE(
        host.WaitFor([&] { return CountLines(host.LogLines(), "the main UI numChildren2") > 0; }, kSweepWaitMs));
    EXPECT_EQ(CountLines(host.LogLines(), noAnswer), 1);
}

// A tree whose root claims ten million children is cut by the search's
// budget: no error, and the sweep goes on.
TEST_F(UnreadableBrowser, DeniedProgramIsEndedWhileChromeInFrontClaimsMillionsOfChildren) {
    FakeTree tree;
    FakeAccessible* root = tree.Add(L"Frame", L"window");
    root->claimedChildren = 10000000;
    UniqueWindow browser = OpenFakeAccWindow(L"Chrome_WidgetWin_1", root);
    ExpectGameEndedBeside(browser.get());
    EXPECT_GT(CountLines(host.LogLines(), "the main UI numChildren2 = 10000000"), 0);
    EXPECT_EQ(CountLines(host.LogLines(), "No answer"), 0);
    browser.reset();
    EXPECT_EQ(tree.Leaks(), L"");
}
