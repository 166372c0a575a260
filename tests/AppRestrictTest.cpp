// MODE_APPRESTRICT through the host's path: real processes judged by their
// executable name against the host's allow or deny list on the DLL's timer.
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr DWORD kDenyList = 1;
constexpr DWORD kAllowList = 0;
// Generous: a full window walk comes every eleventh 100 ms tick, and the
// DLL runs emulated here.
constexpr DWORD kSweepWaitMs = 30000;

std::string CheckLine(const char* sense, const char* entry, const char* exe) {
    return std::string("CRestrictAction::CheckApplicationRestrict [") + sense + "=" + entry + "] [EXE=" + exe + "]";
}

// Index of the first log line holding `text` at or after `from`, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& text, size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos) return static_cast<int>(i);
    return -1;
}

// Whether `expected` appears as consecutive log lines (one check's walk
// over the list).
bool HasSequence(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
    for (int at = FindLine(lines, expected.front()); at >= 0; at = FindLine(lines, expected.front(), at + 1)) {
        size_t i = 1;
        while (i < expected.size() && static_cast<size_t>(at) + i < lines.size() &&
               lines[at + i].find(expected[i]) != std::string::npos)
            ++i;
        if (i == expected.size()) return true;
    }
    return false;
}

struct ListCase {
    const char* label;
    DWORD sense;
    std::vector<std::wstring> entries;
    bool ended;
    std::vector<std::string> logged;  // one check's lines, in order
};

}  // namespace

TEST(AppRestrict, EndsOrSparesGameByWholeLowerCasedName) {
    const ListCase cases[] = {
        {"deny list naming it in other case", kDenyList, {L"notepad.exe", L"Game.EXE"}, true,
         {CheckLine("RESTRICT", "notepad.exe", "game.exe"), CheckLine("RESTRICT", "Game.EXE", "game.exe")}},
        {"deny list with path, stem, prefix", kDenyList, {L"C:\\apps\\game.exe", L"game", L"gam"}, false,
         {CheckLine("RESTRICT", "C:\\apps\\game.exe", "game.exe"), CheckLine("RESTRICT", "game", "game.exe"),
          CheckLine("RESTRICT", "gam", "game.exe")}},
        {"allow list naming it second", kAllowList, {L"a.exe", L"GAME.exe"}, false,
         {CheckLine("APPROVE", "a.exe", "game.exe"), CheckLine("APPROVE", "GAME.exe", "game.exe")}},
        {"allow list without it", kAllowList, {L"a.exe"}, true, {CheckLine("APPROVE", "a.exe", "game.exe")}},
        {"empty allow list", kAllowList, {}, true, {}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.label);
        TestHost host;
        ASSERT_TRUE(host.Loaded());
        HostList list;
        for (const auto& entry : c.entries) list.Add(entry);
        host.Initial(0, 100);
        host.StartRestrict(MODE_APPRESTRICT, c.sense, list.get());
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
            EXPECT_TRUE(host.WaitFor([&] { return HasSequence(host.LogLines(), c.logged); }, kSweepWaitMs));
            EXPECT_FALSE(app.Ended(500));
            EXPECT_TRUE(host.Received(WM_RA_APP_RESTRICTED).empty());
        }
        const auto lines = host.LogLines();
        if (c.logged.empty())
            EXPECT_EQ(FindLine(lines, "CheckApplicationRestrict"), -1);
        else
            EXPECT_TRUE(HasSequence(lines, c.logged)) << c.logged.front();
    }
}

// A deny list names the exempt program next to game.exe; game.exe ending
// shows the walk has judged both.
TEST(AppRestrict, NeverEndsExemptPrograms) {
    struct ExemptCase {
        const char* label;
        const wchar_t* exe;
        const wchar_t* hostFolder;  // host folder slot 3, or empty
    };
    const ExemptCase cases[] = {
        {"task manager", L"taskmgr.exe", L""},
        {"below a host folder", L"tool.exe", L"\\RATEST\\APPS\\TOOL.EXE"},
    };
    for (const ExemptCase& c : cases) {
        SCOPED_TRACE(c.label);
        TestHost host;
        ASSERT_TRUE(host.Loaded());
        host.folders[3] = c.hostFolder;
        HostList list;
        list.Add(c.exe).Add(L"game.exe");
        host.Initial(0, 100);
        host.StartRestrict(MODE_APPRESTRICT, kDenyList, list.get());
        TestApp exempt(c.exe, L"RaExemptWindow", {L"Exempt"});
        TestApp game(L"game.exe", L"RaGameWindow", {L"Game"});
        ASSERT_TRUE(exempt.Started() && game.Started());

        EXPECT_TRUE(host.WaitFor([&] { return game.Ended(0); }, kSweepWaitMs));
        // Two more full walks.
        host.Pump(2500);
        EXPECT_FALSE(exempt.Ended(0));
        const auto lines = host.LogLines();
        EXPECT_EQ(FindLine(lines, "[EXE=" + Narrow(c.exe) + "]"), -1);
        for (const auto& n : host.Received(WM_RA_APP_RESTRICTED)) EXPECT_STREQ(n.record.szAppExeName, L"game.exe");
    }
}
