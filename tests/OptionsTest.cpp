// The opt-in options of Config\Restrict.ini through the host's path:
// MATCH_ORIGINAL_NAME judges a renamed copy of the stand-in (which says it
// is TestWindow.exe) by that name too; FOREGROUND_EVENTS deals with a
// program as it comes to the front, without waiting for the timer (the
// stand-in raises the event, which Wine does not).
#include "support/FakeBrowser.h"
#include "support/ScratchLog.h"
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

constexpr DWORD kDenyList = 1;
constexpr DWORD kAllowList = 0;
constexpr UINT kMinuteTimer = 60000;
const std::vector<std::wstring> kNotify = {L"--notify-foreground"};

// Initial with these [OPTIONS] lines in a file of the test's own, then
// MODE_APPRESTRICT with the one entry. The list outlives the host.
struct OptionsHost {
    OptionsHost(const char* options, DWORD sense, const wchar_t* entry, UINT timerMs) {
        host.baseFolder = ScratchFolder(L"options");
        CreateDirectoryW((host.baseFolder + L"Config").c_str(), nullptr);
        std::ofstream(Narrow(host.baseFolder + L"Config\\Restrict.ini"), std::ios::trunc) << "[OPTIONS]\n" << options;
        list.Add(entry);
        host.Initial(0, timerMs);
        initialAt = GetTickCount();
        host.StartRestrict(MODE_APPRESTRICT, sense, list.get());
    }
    bool Logged(const std::string& message) const {
        const auto messages = MessagesOf(host.LogLines());
        return std::find(messages.begin(), messages.end(), message) != messages.end();
    }
    HostList list;
    TestHost host;
    DWORD initialAt = 0;
};

}  // namespace

// The record and 0x591 carry the running file's name; the log line names
// both only when there are two names to match.
TEST(Options, MatchOriginalNameJudgesARenamedCopyAsTheOriginal) {
    const struct {
        const char* label;
        const char* options;
        const wchar_t* exe;
        DWORD sense;
        const wchar_t* entry;
        bool ended;
        const char* logged;
    } rows[] = {
        {"deny list, option on", "MATCH_ORIGINAL_NAME=1\n", L"notes.exe", kDenyList, L"testwindow.exe", true,
         "[RESTRICT=testwindow.exe] [EXE=notes.exe] [ORIGINAL=testwindow.exe]"},
        {"deny list, option off", "", L"notes.exe", kDenyList, L"testwindow.exe", false,
         "[RESTRICT=testwindow.exe] [EXE=notes.exe]"},
        {"allow list of either name, option on", "MATCH_ORIGINAL_NAME=1\n", L"notes.exe", kAllowList,
         L"TestWindow.EXE", false, "[APPROVE=TestWindow.EXE] [EXE=notes.exe] [ORIGINAL=testwindow.exe]"},
        {"allow list, option written 0", "MATCH_ORIGINAL_NAME=0\n", L"notes.exe", kAllowList, L"testwindow.exe", true,
         "[APPROVE=testwindow.exe] [EXE=notes.exe]"},
        {"running under its original name", "MATCH_ORIGINAL_NAME=1\n", L"testwindow.exe", kDenyList, L"game.exe",
         false, "[RESTRICT=game.exe] [EXE=testwindow.exe]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        OptionsHost options(row.options, row.sense, row.entry, 100);
        TestHost& host = options.host;
        ASSERT_TRUE(host.Loaded());
        TestApp app(row.exe, L"RaRenamedWindow", {L"Renamed"});
        ASSERT_TRUE(app.Started());
        SetForegroundWindow(app.Window());
        const std::string line = std::string("CRestrictAction::CheckApplicationRestrict ") + row.logged;
        EXPECT_TRUE(host.WaitFor([&] { return options.Logged(line); }, kSweepWaitMs)) << line;
        EXPECT_EQ(host.WaitFor([&] { return app.Ended(0); }, row.ended ? kSweepWaitMs : 500), row.ended);
        host.Pump(200);  // the notification follows the termination
        const auto restricted = host.Received(WM_RA_APP_RESTRICTED);
        EXPECT_EQ(restricted.empty(), !row.ended);
        for (const auto& n : restricted) {
            EXPECT_STREQ(n.record.szAppExeName, row.exe);
            EXPECT_EQ(n.record.dwProcessId, app.Pid());
        }
    }
}

// The timer's first tick comes a minute after Initial. A foreground change
// is the foreground part of a tick alone: it makes no APPWATCH report,
// though one is due at every tick. The hook (seen by its message-only
// window) exists only with the option and goes with the module, also with a
// change on its way (Wine ignores an exception in a hook procedure: a hook
// left behind would show only on Windows, its window everywhere).
TEST(Options, ForegroundEventsEndADeniedProgramBroughtToTheFrontBeforeTheTick) {
    const auto eventsWindow = [] { return FindWindowExW(HWND_MESSAGE, nullptr, L"RestrictActionEvents", nullptr); };
    const struct {
        const char* options;
        bool ended;
    } rows[] = {{"FOREGROUND_EVENTS=1\n", true}, {"FOREGROUND_EVENTS=0\n", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options);
        TestApp game(L"game.exe", L"RaGameWindow", {L"Game"}, L"", kNotify);
        TestApp neutral(L"neutral.exe", L"RaNeutralWindow", {L"Neutral"}, L"", kNotify);
        ASSERT_TRUE(game.Started() && neutral.Started());
        ASSERT_TRUE(MadeForeground(neutral.Window()));
        OptionsHost options(row.options, kDenyList, L"game.exe", kMinuteTimer);
        TestHost& host = options.host;
        ASSERT_TRUE(host.Loaded());
        EXPECT_EQ(eventsWindow() != nullptr, row.ended);
        host.StartRestrict(MODE_APPWATCH);

        SetForegroundWindow(game.Window());
        EXPECT_EQ(host.WaitFor([&] { return game.Ended(0); }, row.ended ? kSweepWaitMs : 3000), row.ended);
        EXPECT_LT(GetTickCount() - options.initialAt, kMinuteTimer) << "the tick came first";
        host.Pump(200);  // the notification follows the termination
        EXPECT_EQ(host.Received(WM_RA_APP_RESTRICTED).size(), row.ended ? 1u : 0u);
        EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty());

        SetForegroundWindow(neutral.Window());
        FreeLibrary(host.ReleaseLibrary());
        host.Pump(300);
        EXPECT_EQ(eventsWindow(), nullptr);
    }
}
