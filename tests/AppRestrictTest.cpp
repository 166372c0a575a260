// MODE_APPRESTRICT through the host's path: real processes judged by their
// executable name against the host's allow or deny list on the DLL's timer.
#include "support/ScratchLog.h"
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kDenyList = 1;
constexpr DWORD kAllowList = 0;

std::string CheckLine(const char* sense, const char* entry, const char* exe) {
    return std::string("CRestrictAction::CheckApplicationRestrict [") + sense + "=" + entry + "] [EXE=" + exe + "]";
}

// A host restricting applications with these entries, its timer at 100 ms.
// The module keeps the list's address: the list outlives the host.
struct RestrictingHost {
    RestrictingHost(DWORD sense, const std::vector<std::wstring>& entries) {
        if (!host.Loaded()) return;  // the test asserts it
        for (const auto& entry : entries) list.Add(entry);
        host.Initial(0, 100);
        host.StartRestrict(MODE_APPRESTRICT, sense, list.get());
    }
    HostList list;
    TestHost host;
};

}  // namespace

TEST(AppRestrict, EndsOrSparesGameByWholeLowerCasedName) {
    struct Case {
        const char* label;
        DWORD sense;
        std::vector<std::wstring> entries;
        bool ended;
        std::vector<std::string> logged;  // one check's lines, in order
    };
    const Case cases[] = {
        {"deny list naming it in other case", kDenyList, {L"notepad.exe", L"Game.EXE"}, true,
         {CheckLine("RESTRICT", "notepad.exe", "game.exe"), CheckLine("RESTRICT", "Game.EXE", "game.exe")}},
        {"deny list with path, stem, prefix", kDenyList, {L"C:\\apps\\game.exe", L"game", L"gam"}, false,
         {CheckLine("RESTRICT", "C:\\apps\\game.exe", "game.exe"), CheckLine("RESTRICT", "game", "game.exe"),
          CheckLine("RESTRICT", "gam", "game.exe")}},
        {"allow list naming it second", kAllowList, {L"a.exe", L"GAME.exe"}, false,
         {CheckLine("APPROVE", "a.exe", "game.exe"), CheckLine("APPROVE", "GAME.exe", "game.exe")}},
        {"allow list without it", kAllowList, {L"a.exe"}, true, {CheckLine("APPROVE", "a.exe", "game.exe")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RestrictingHost restricting(c.sense, c.entries);
        TestHost& host = restricting.host;
        ASSERT_TRUE(host.Loaded());
        TestApp app(L"game.exe", L"RaGameWindow", {L"Game"});
        ASSERT_TRUE(app.Started());
        SetForegroundWindow(app.Window());
        if (c.ended) {
            EXPECT_TRUE(host.WaitFor([&] { return app.Ended(0); }, kSweepWaitMs));
            host.Pump(200);  // the notification follows the termination
            const auto restricted = host.Received(WM_RA_APP_RESTRICTED);
            ASSERT_FALSE(restricted.empty());
            EXPECT_STREQ(restricted.front().record.szAppExeName, L"game.exe");
            EXPECT_EQ(restricted.front().record.dwProcessId, app.Pid());
            EXPECT_EQ(restricted.front().lParam, static_cast<LPARAM>(c.sense));
        } else {
            EXPECT_TRUE(host.WaitFor([&] { return HasRun(host.LogLines(), c.logged); }, kSweepWaitMs));
            EXPECT_FALSE(app.Ended(500));
            EXPECT_TRUE(host.Received(WM_RA_APP_RESTRICTED).empty());
        }
        EXPECT_TRUE(HasRun(host.LogLines(), c.logged)) << c.logged.front();
    }
}

// A deny list names the exempt task manager next to game.exe; game.exe
// ending shows the walk has judged both.
TEST(AppRestrict, NeverEndsExemptPrograms) {
    RestrictingHost restricting(kDenyList, {L"taskmgr.exe", L"game.exe"});
    TestHost& host = restricting.host;
    ASSERT_TRUE(host.Loaded());
    TestApp exempt(L"taskmgr.exe", L"RaExemptWindow", {L"Exempt"});
    TestApp game(L"game.exe", L"RaGameWindow", {L"Game"});
    ASSERT_TRUE(exempt.Started() && game.Started());

    EXPECT_TRUE(host.WaitFor([&] { return game.Ended(0); }, kSweepWaitMs));
    host.Pump(kTwoWalksMs);
    EXPECT_FALSE(exempt.Ended(0));
    EXPECT_EQ(CountLines(host.LogLines(), "[EXE=taskmgr.exe]"), 0);
    for (const auto& n : host.Received(WM_RA_APP_RESTRICTED)) EXPECT_STREQ(n.record.szAppExeName, L"game.exe");
}
