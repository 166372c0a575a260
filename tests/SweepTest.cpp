// The sweep over real windows of real processes: APPWATCH reports and the host's requests.
#include "apprestrict/ProcessImages.h"
#include "fw/Text.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>

// Four windows (one caption twice, one past 259 characters), a sealed program, the host's own and a denied
// one whose second window goes mid-walk: each caption reported once, the foreground's path lower case.
TEST(Sweep, EachRecordNamesItsWindowsOwnProcessOncePerCaption) {
    const std::wstring longCaption(300, L'L');
    const ChildProcess ending = StandIn(L"ending.exe", L"RaEnding", {L"Ending one", L"Ending two"});
    const ChildProcess sealed = StandIn(L"sealed.exe", L"RaSealed", {L"Sealed"}, {L"--sealed"});
    const ChildProcess several =
        StandIn(L"several.exe", L"RaSeveral", {L"Several one", L"Several two", L"Several two", longCaption});
    ASSERT_TRUE(ending.Window() && sealed.Window() && several.Window());
    TestHost host;
    host.Initial(0, 0x7FFFFFFF);
    host.StartRestrict(MODE_APPRESTRICT, 1, host.List({L"ending.exe"}));
    host.StartRestrict(MODE_APPWATCH);
    const UniqueWindow own(CreateWindowExW(0, L"STATIC", L"Host window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                           100, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(MadeForeground(several.Window()));

    BindProcessEntryPoints();
    const std::wstring severalPath = ProcessImagePath(several.Pid()), endingPath = ProcessImagePath(ending.Pid());
    FreeProcessLibraries();
    wchar_t ownPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, ownPath, MAX_PATH);
    const struct {
        std::wstring caption;
        DWORD pid;
        std::wstring path;
        const wchar_t* exe;
    } table[] = {
        {L"Several one", several.Pid(), ToLower(severalPath), L"several.exe"},
        {L"Several two", several.Pid(), severalPath, L"several.exe"},
        {longCaption.substr(0, 259), several.Pid(), severalPath, L"several.exe"},
        {L"Sealed", sealed.Pid(), L"", L""},
        {L"Host window", GetCurrentProcessId(), ownPath, L"host_tests.exe"},
        {L"Ending one", ending.Pid(), endingPath, L"ending.exe"},
        {L"Ending two", ending.Pid(), endingPath, L"ending.exe"},
    };
    host.Tick();
    std::vector<CLIENT_APP_INFO> records = host.Records(WM_RA_APP_RESTRICTED);
    const auto report = host.Records(WM_RA_APPWATCH_REPORT);
    records.insert(records.end(), report.begin(), report.end());
    EXPECT_TRUE(ending.Ended(0));
    int endingRecords = 0;
    for (const auto& e : table) {
        SCOPED_TRACE(Narrow(e.caption.substr(0, 20)));
        const auto isIt = [&](const CLIENT_APP_INFO& r) { return r.szWindowTitle == e.caption; };
        const auto record = std::find_if(records.begin(), records.end(), isIt);
        EXPECT_EQ(std::count_if(records.begin(), records.end(), isIt), record == records.end() ? 0 : 1);
        const bool mayHaveGone = e.pid == ending.Pid();
        EXPECT_TRUE(record != records.end() || mayHaveGone);
        if (record == records.end()) continue;
        endingRecords += mayHaveGone;
        EXPECT_EQ(record->dwProcessId, e.pid);
        EXPECT_EQ(record->szAppExePath, e.path);
        EXPECT_STREQ(record->szAppExeName, e.exe);
        EXPECT_EQ(record->bForeground != FALSE, &e == &table[0]);
    }
    EXPECT_GE(endingRecords, 1);
}

// Minimise, maximise and "end all" spare exempt programs and the shell; a matching request ends the
// windows of its title or of the executable its path names.
TEST(Sweep, RestrictActsOnAllButExemptWindowsOrEndsMatchingOnes) {
    const ChildProcess shell = StandIn(L"progman.exe", L"Progman", {L"Program Manager"});
    const ChildProcess game = StandIn(L"game.exe", L"RaGame", {L"Game window"});
    const ChildProcess chat = StandIn(L"chat.exe", L"RaChat", {L"Chat window"});
    const ChildProcess victim = StandIn(L"victim.exe", L"RaVictim", {L"Victim"});
    const ChildProcess taskmgr = StandIn(L"taskmgr.exe", L"RaTaskmgr", {L"Task manager"});
    const ChildProcess sealed = StandIn(L"sealed.exe", L"RaSealed", {L"Sealed"}, {L"--sealed"});
    ASSERT_TRUE(shell.Window() && game.Window() && chat.Window() && victim.Window() && taskmgr.Window() &&
                sealed.Window());
    TestHost host;
    host.folders[3] = ProgramFolder();
    host.folders[4] = ImageFolder();
    host.Initial(0, 0x7FFFFFFF);

    host.Restrict(nullptr, nullptr, RA_ACTION_MINIMIZE);
    EXPECT_TRUE(host.WaitFor([&] { return IsIconic(victim.Window()) != FALSE; }));
    host.Restrict(nullptr, nullptr, RA_ACTION_MAXIMIZE);
    EXPECT_TRUE(host.WaitFor([&] { return IsZoomed(victim.Window()) != FALSE; }));
    EXPECT_FALSE(IsIconic(taskmgr.Window()) || IsZoomed(taskmgr.Window()));

    host.Restrict(L"Game window", nullptr, RA_ACTION_END_MATCHING);
    EXPECT_TRUE(game.Ended(kSweepWaitMs));
    host.Restrict(L"no such caption", L"c:\\apps\\chat.exe", RA_ACTION_END_MATCHING);
    EXPECT_TRUE(chat.Ended(kSweepWaitMs));
    MadeForeground(victim.Window());
    host.Restrict(L"Sealed", nullptr, RA_ACTION_END_MATCHING);
    EXPECT_TRUE(sealed.Ended(kSweepWaitMs));
    EXPECT_FALSE(victim.Ended(500));

    host.Restrict(nullptr, nullptr, RA_ACTION_END_ALL);
    EXPECT_TRUE(victim.Ended(kSweepWaitMs));
    EXPECT_FALSE(taskmgr.Ended(500));
    EXPECT_FALSE(shell.Ended(0));
}
