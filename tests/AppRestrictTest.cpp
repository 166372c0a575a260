// MODE_APPRESTRICT through the host's path; the stand-in's original name is TestWindow.exe.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr DWORD kDenyList = 1, kAllowList = 0;

std::string Check(DWORD sense, const char* entry, const char* exe, const char* original = nullptr) {
    return std::string("CRestrictAction::CheckApplicationRestrict [") + (sense ? "RESTRICT=" : "APPROVE=") + entry +
           "] [EXE=" + exe + "]" + (original ? std::string(" [ORIGINAL=") + original + "]" : "");
}

void Start(TestHost& host, const char* options, DWORD sense, const std::vector<std::wstring>& entries, UINT timerMs) {
    WriteRestrictIni(host.baseFolder, std::string("[OPTIONS]\n") + options);
    host.Initial(0, timerMs);
    host.StartRestrict(MODE_APPRESTRICT, sense, host.List(entries));
}

}  // namespace

// The exempt task manager is never judged; the log names the original name only when it differs.
TEST(AppRestrict, EndsOrSparesProgramsByWholeLowerCasedNameAndNeverJudgesExemptOnes) {
    const char* const kMatch = "MATCH_ORIGINAL_NAME=1\n";
    const struct {
        const char* label;
        const char* options;
        const wchar_t* exe;
        DWORD sense;
        std::vector<std::wstring> entries;
        bool ended;
        std::vector<std::string> logged;
    } rows[] = {
        {"deny list naming it in other case", "", L"game.exe", kDenyList, {L"notepad.exe", L"Game.EXE", L"taskmgr.exe"},
         true, {Check(1, "notepad.exe", "game.exe"), Check(1, "Game.EXE", "game.exe")}},
        {"deny list with path, stem, prefix", "", L"game.exe", kDenyList, {L"C:\\apps\\game.exe", L"game", L"gam"},
         false, {Check(1, "C:\\apps\\game.exe", "game.exe"), Check(1, "game", "game.exe"), Check(1, "gam", "game.exe")}},
        {"allow list naming it second", "", L"game.exe", kAllowList, {L"a.exe", L"GAME.exe"}, false,
         {Check(0, "a.exe", "game.exe"), Check(0, "GAME.exe", "game.exe")}},
        {"allow list without it", "", L"game.exe", kAllowList, {L"a.exe"}, true, {Check(0, "a.exe", "game.exe")}},
        {"original name denied", kMatch, L"notes.exe", kDenyList, {L"testwindow.exe"}, true,
         {Check(1, "testwindow.exe", "notes.exe", "testwindow.exe")}},
        {"original name allowed", kMatch, L"notes.exe", kAllowList, {L"TestWindow.EXE"}, false,
         {Check(0, "TestWindow.EXE", "notes.exe", "testwindow.exe")}},
        {"original name allowed, option written 0", "MATCH_ORIGINAL_NAME=0\n", L"notes.exe", kAllowList,
         {L"testwindow.exe"}, true, {Check(0, "testwindow.exe", "notes.exe")}},
        {"running under its original name", kMatch, L"testwindow.exe", kDenyList, {L"game.exe"}, false,
         {Check(1, "game.exe", "testwindow.exe")}},
    };
    const ChildProcess exempt = StandIn(L"taskmgr.exe", L"RaExemptWindow", {L"Exempt"});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        TestHost host;
        Start(host, row.options, row.sense, row.entries, 100);
        const ChildProcess app = StandIn(row.exe, L"RaAppWindow", {L"App"});
        ASSERT_TRUE(app.Window());
        const auto logged = [&] {
            const auto messages = host.log.Messages();
            return std::search(messages.begin(), messages.end(), row.logged.begin(), row.logged.end()) != messages.end();
        };
        EXPECT_TRUE(host.WaitFor([&] { return logged() && app.Ended(0) == row.ended; }));
        host.Pump(500);
        EXPECT_EQ(app.Ended(0), row.ended);
        EXPECT_FALSE(exempt.Ended(0));
        EXPECT_EQ(host.log.Count("[EXE=taskmgr.exe]"), 0);
        const auto restricted = host.Received(WM_RA_APP_RESTRICTED);
        ASSERT_EQ(restricted.empty(), !row.ended);
        if (!row.ended) continue;
        EXPECT_EQ(restricted[0].records[0].szAppExeName, std::wstring(row.exe));
        EXPECT_EQ(restricted[0].records[0].dwProcessId, app.Pid());
        EXPECT_EQ(restricted[0].lParam, static_cast<LPARAM>(row.sense));
    }
}

// The first tick comes a minute after Initial. The hook's window exists only with the option and goes with
// the module, also with a change on its way.
TEST(AppRestrict, ForegroundEventsEndADeniedProgramBroughtToTheFrontBeforeTheTick) {
    const auto eventsWindow = [] { return FindWindowExW(HWND_MESSAGE, nullptr, L"RestrictActionEvents", nullptr); };
    for (const auto& [options, ended] : {std::pair{"FOREGROUND_EVENTS=1\n", true}, {"FOREGROUND_EVENTS=0\n", false}}) {
        SCOPED_TRACE(options);
        const ChildProcess game = StandIn(L"game.exe", L"RaGameWindow", {L"Game"}, {L"--notify-foreground"});
        const ChildProcess neutral = StandIn(L"neutral.exe", L"RaNeutralWindow", {L"Neutral"}, {L"--notify-foreground"});
        ASSERT_TRUE(game.Window() && MadeForeground(neutral.Window()));
        TestHost host;
        const DWORD initialAt = GetTickCount();
        Start(host, options, kDenyList, {L"game.exe"}, 60000);
        EXPECT_EQ(eventsWindow() != nullptr, ended);
        host.StartRestrict(MODE_APPWATCH);

        SetForegroundWindow(game.Window());
        EXPECT_EQ(host.WaitFor([&] { return game.Ended(0); }, ended ? kSweepWaitMs : 3000), ended);
        EXPECT_LT(GetTickCount() - initialAt, 60000u) << "the tick came first";
        host.Pump(200);
        EXPECT_EQ(host.Received(WM_RA_APP_RESTRICTED).size(), ended ? 1u : 0u);
        EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty());

        SetForegroundWindow(neutral.Window());
        FreeLibrary(host.ReleaseLibrary());
        host.Pump(300);
        EXPECT_EQ(eventsWindow(), nullptr);
    }
}
