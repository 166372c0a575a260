// MODE_APPRESTRICT through the host's path: real processes judged by their
// executable name against the host's allow or deny list on the DLL's timer.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The line of one comparison, as hosts read it in their log.
std::string Check(const char* sense, const char* entry, const char* exe) {
    return std::string("CRestrictAction::CheckApplicationRestrict [") + sense + "=" + entry + "] [EXE=" + exe + "]";
}

}  // namespace

// The deny list also names the exempt task manager, which is never judged.
TEST(AppRestrict, EndsOrSparesGameByWholeLowerCasedNameAndNeverJudgesExemptPrograms) {
    const struct {
        const char* label;
        DWORD sense;  // 1 deny list, 0 allow list
        std::vector<std::wstring> entries;
        bool ended;
        std::vector<std::string> logged;  // one check's lines, in order
    } rows[] = {
        {"deny list naming it in other case", 1, {L"notepad.exe", L"Game.EXE", L"taskmgr.exe"}, true,
         {Check("RESTRICT", "notepad.exe", "game.exe"), Check("RESTRICT", "Game.EXE", "game.exe")}},
        {"deny list with path, stem, prefix", 1, {L"C:\\apps\\game.exe", L"game", L"gam"}, false,
         {Check("RESTRICT", "C:\\apps\\game.exe", "game.exe"), Check("RESTRICT", "game", "game.exe"),
          Check("RESTRICT", "gam", "game.exe")}},
        {"allow list naming it second", 0, {L"a.exe", L"GAME.exe"}, false,
         {Check("APPROVE", "a.exe", "game.exe"), Check("APPROVE", "GAME.exe", "game.exe")}},
        {"allow list without it", 0, {L"a.exe"}, true, {Check("APPROVE", "a.exe", "game.exe")}},
    };
    const ChildProcess exempt = StandIn(L"taskmgr.exe", L"RaExemptWindow", {L"Exempt"});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        TestHost host;
        host.Initial(0, 100);
        host.StartRestrict(MODE_APPRESTRICT, row.sense, host.List(row.entries));
        const ChildProcess game = StandIn(L"game.exe", L"RaGameWindow", {L"Game"});
        ASSERT_TRUE(game.Window());
        const auto logged = [&] {
            const auto messages = host.log.Messages();
            return std::search(messages.begin(), messages.end(), row.logged.begin(), row.logged.end()) != messages.end();
        };
        EXPECT_TRUE(host.WaitFor([&] { return logged() && game.Ended(0) == row.ended; }));
        host.Pump(500);  // the notification follows the termination
        EXPECT_EQ(game.Ended(0), row.ended);
        EXPECT_FALSE(exempt.Ended(0));
        EXPECT_EQ(host.log.Count("[EXE=taskmgr.exe]"), 0);
        const auto restricted = host.Received(WM_RA_APP_RESTRICTED);
        ASSERT_EQ(restricted.empty(), !row.ended);
        for (const auto& n : restricted) {
            EXPECT_STREQ(n.records[0].szAppExeName, L"game.exe");
            EXPECT_EQ(n.records[0].dwProcessId, game.Pid());
            EXPECT_EQ(n.lParam, static_cast<LPARAM>(row.sense));
        }
    }
}
