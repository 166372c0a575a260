// The sweep over real windows of real processes: APPWATCH reports and the
// host's immediate requests (minimise, maximise, end).
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(Sweep, AppWatchReportsEachExeAndCaptionOnceWithCaptionsCut) {
    TestApp app(L"watched.exe", L"RaWatched", {L"Alpha", L"Alpha", L"Beta", std::wstring(300, L'L')});
    ASSERT_TRUE(app.Started());
    TestHost host;
    host.Initial(0, 100);
    host.StartRestrict(MODE_APPWATCH);
    // The stand-in's records in the first report that lists it.
    std::vector<CLIENT_APP_INFO> records;
    host.WaitFor(
        [&] {
            for (const auto& n : host.Received(WM_RA_APPWATCH_REPORT)) {
                for (const auto& r : n.report)
                    if (r.dwProcessId == app.Pid()) records.push_back(r);
                if (!records.empty()) return true;
            }
            return false;
        },
        kSweepWaitMs);

    std::vector<std::wstring> titles;
    for (const auto& r : records) {
        titles.push_back(r.szWindowTitle);
        EXPECT_STREQ(r.szAppExeName, L"watched.exe");
        EXPECT_NE(std::wstring(r.szAppExePath).find(L"watched.exe"), std::wstring::npos);
    }
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"Alpha", L"Beta", std::wstring(259, L'L')}));
}

TEST(Sweep, AppWatchReportsArePacedByThePeriodAndSentWhenEmpty) {
    TestHost host;
    host.Initial(1500, 100);
    host.StartRestrict(MODE_APPWATCH);
    host.Pump(4000);
    const auto reports = host.Received(WM_RA_APPWATCH_REPORT);
    // Ticks every 100 ms, reports at most every 1500 ms.
    EXPECT_GE(reports.size(), 1u);
    EXPECT_LE(reports.size(), 3u);
    EXPECT_EQ(reports.front().lParam, 0);
}

TEST(Sweep, RestrictMinimisesAndMaximisesAllButExemptWindows) {
    TestApp plain(L"plain.exe", L"RaPlain", {L"Plain window"});
    TestApp taskmgr(L"taskmgr.exe", L"RaTaskmgr", {L"Task manager"});
    ASSERT_TRUE(plain.Started() && taskmgr.Started());
    TestHost host;
    host.Initial(0, 0x7FFFFFFF);

    host.Restrict(nullptr, nullptr, RA_ACTION_MINIMIZE);
    EXPECT_TRUE(host.WaitFor([&] { return IsIconic(plain.Window()) != FALSE; }, kSweepWaitMs));
    EXPECT_FALSE(IsIconic(taskmgr.Window()));

    host.Restrict(nullptr, nullptr, RA_ACTION_MAXIMIZE);
    EXPECT_TRUE(host.WaitFor([&] { return IsZoomed(plain.Window()) != FALSE; }, kSweepWaitMs));
    EXPECT_FALSE(IsZoomed(taskmgr.Window()));
}

// A matching request ends the windows of its title or of an executable its
// path names, and no other; "end all" spares exempt programs.
TEST(Sweep, RestrictEndsMatchingWindowsOrAllButExemptProgramsAndProgramManager) {
    // The shell first: a newer window takes the foreground, and only the
    // walk passes over "Program Manager".
    TestApp shell(L"progman.exe", L"Progman", {L"Program Manager"});
    TestApp game(L"game.exe", L"RaGame", {L"Game window"});
    TestApp chat(L"chat.exe", L"RaChat", {L"Chat window"});
    TestApp victim(L"victim.exe", L"RaVictim", {L"Victim"});
    TestApp taskmgr(L"taskmgr.exe", L"RaTaskmgr", {L"Task manager"});
    ASSERT_TRUE(shell.Started() && game.Started() && chat.Started() && victim.Started() && taskmgr.Started());
    TestHost host;
    // This test program is the host: its folder exempts it.
    host.folders[3] = ProgramFolder();
    host.folders[4] = ImageFolder();
    host.Initial(0, 0x7FFFFFFF);

    host.Restrict(L"Game window", nullptr, RA_ACTION_END_MATCHING);
    EXPECT_TRUE(game.Ended(kSweepWaitMs));
    host.Restrict(L"no such caption", L"c:\\apps\\chat.exe", RA_ACTION_END_MATCHING);
    EXPECT_TRUE(chat.Ended(kSweepWaitMs));
    EXPECT_FALSE(victim.Ended(0));

    host.Restrict(nullptr, nullptr, RA_ACTION_END_ALL);
    EXPECT_TRUE(victim.Ended(kSweepWaitMs));
    EXPECT_FALSE(taskmgr.Ended(500));
    EXPECT_FALSE(shell.Ended(0));
}
