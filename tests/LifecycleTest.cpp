// The exports in the host's order, and what a host sees of them: the log
// lines, the timer and the enable flag.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// "<date>  <time> [TAG] : <message> <offset>\r"
std::string MessageOf(const std::string& line) {
    static const std::regex shape(R"(^\d{4}-\d\d-\d\d  \d\d:\d\d:\d\d:\d{3} \[[A-Z]+\] : (.*) \d+\r$)");
    std::smatch m;
    return std::regex_match(line, m, shape) ? m[1].str() : "<malformed> " + line;
}

std::vector<std::string> Messages(const TestHost& host) {
    std::vector<std::string> out;
    for (const auto& line : host.LogLines()) out.push_back(MessageOf(line));
    return out;
}

}  // namespace

TEST(Lifecycle, ExportsBeforeInitialReturnOneAndDoNothing) {
    TestHost host;
    EXPECT_EQ(host.StartRestrict(MODE_APPWATCH), 1);
    EXPECT_EQ(host.IsRestrict(MODE_APPWATCH), 1);
    EXPECT_EQ(host.Restrict(L"x", L"y", RA_ACTION_END_ALL), 1);
    EXPECT_EQ(host.StopRestrict(MODE_APPWATCH), 1);
    EXPECT_TRUE(host.LogLines().empty());

    // The early start did not take: no report once the timer runs.
    host.Initial(0, 50);
    host.Pump(600);
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty());
}

TEST(Lifecycle, ModeChangesWriteTheirLinesAndIgnoreUnknownModes) {
    TestHost host;
    HostList apps, urls, browsers;
    host.Initial(600000, 100000);
    const int modes[] = {MODE_IELOCK, MODE_URLRESTRICT, MODE_APPRESTRICT, MODE_APPWATCH, MODE_CONTROLWATCH};
    void* lists[] = {browsers.get(), urls.get(), apps.get(), nullptr, nullptr};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(host.StartRestrict(modes[i], 1, lists[i]), 1);
    EXPECT_EQ(host.StartRestrict(MODE_APPWATCH), 1);  // again: a second line
    EXPECT_EQ(host.StartRestrict(7), 1);
    EXPECT_EQ(host.StopRestrict(0), 1);
    EXPECT_EQ(host.IsRestrict(7), 1);
    for (int mode : modes) EXPECT_EQ(host.StopRestrict(mode), 1);

    const std::vector<std::string> expected = {
        "CRestrictAction::StartRestrictAction [MODE_IELOCK].",
        "CRestrictAction::StartRestrictAction [MODE_URLRESTRICT].",
        "CRestrictAction::Install WH_KEYBOARD_LL",
        "CRestrictAction::Install WH_MOUSE_LL",
        "CRestrictAction::StartRestrictAction [MODE_APPRESTRICT].",
        "CRestrictAction::StartRestrictAction [MODE_APPWATCH].",
        "CRestrictAction::StartRestrictAction [MODE_CONTROLWATCH].",
        "CRestrictAction::StartRestrictAction [MODE_APPWATCH].",
        "CRestrictAction::StopRestrictAction [MODE_IELOCK].",
        "CRestrictAction::StopRestrictAction [MODE_URLRESTRICT].",
        "CRestrictAction::StopRestrictAction [MODE_APPRESTRICT].",
        "CRestrictAction::StopRestrictAction [MODE_APPWATCH].",
        "CRestrictAction::StopRestrictAction [MODE_CONTROLWATCH].",
    };
    EXPECT_EQ(Messages(host), expected);
}

TEST(Lifecycle, SecondInitialOnlyReplacesTheReportPeriod) {
    TestHost host;
    host.Initial(600000, 50);
    host.StartRestrict(MODE_APPWATCH);
    host.Pump(400);
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty());

    // The new timer interval is not taken (ticks go on); the period is.
    host.Initial(0, 0x7FFFFFFF);
    EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }, 20000));
}

TEST(Lifecycle, EnableFlagAtZeroStopsTimerAndRestrict) {
    TestHost host;
    host.enabled = FALSE;
    host.Initial(0, 50);
    host.StartRestrict(MODE_APPWATCH);
    host.Restrict(L"title", L"path", RA_ACTION_MINIMIZE);
    host.Pump(600);
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty());
    EXPECT_EQ(Messages(host), std::vector<std::string>{"CRestrictAction::StartRestrictAction [MODE_APPWATCH]."});

    host.enabled = TRUE;
    EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }, 20000));
}

TEST(Lifecycle, TimerMessagesWithAnotherIdRunNoSweep) {
    TestHost host;
    host.Initial(0, 0x7FFFFFFF);  // no natural tick during the test
    host.StartRestrict(MODE_APPWATCH);
    const HWND controller = host.ControllerWindow();
    ASSERT_NE(controller, nullptr);
    SendMessageW(controller, WM_TIMER, 99, 0);
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty());
    SendMessageW(controller, WM_TIMER, 100, 0);
    EXPECT_EQ(host.Received(WM_RA_APPWATCH_REPORT).size(), 1u);
}
