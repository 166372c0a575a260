// The sweep against hosts and programs that behave badly but legally.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <thread>

TEST(SweepRobustness, RestrictOnAHostWorkerThreadWhileTheHostTakesTicksAndShowsAWindow) {
    TestHost host;
    host.Initial(0, 10);
    host.StartRestrict(MODE_APPWATCH);
    const FakeBrowser shown(L"STATIC", L"Host dialog");
    const UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread worker([&] {
        for (int i = 0; i < 10; ++i) host.Restrict(L"\x1", L"\x1", RA_ACTION_END_MATCHING);
        SetEvent(done.get());
    });
    std::thread watchdog([&] {
        if (WaitForSingleObject(done.get(), 60000) == WAIT_OBJECT_0) return;
        fputs("FAILED: Restrict on a worker thread deadlocked with the host's ticks\n", stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    });
    EXPECT_TRUE(host.WaitFor([&] { return WaitForSingleObject(done.get(), 0) == WAIT_OBJECT_0; }, 60000));
    worker.join();
    watchdog.join();
    host.ClearReceived();
    EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }));
}

TEST(SweepRobustness, WindowsComingAndGoingHideNoOtherWindow) {
    const std::vector<std::wstring> steadyTitles = {L"Steady 1", L"Steady 2", L"Steady 3", L"Steady 4", L"Steady 5"};
    const ChildProcess steady = StandIn(L"steady.exe", L"RaSteady", steadyTitles);
    const ChildProcess denied = StandIn(L"denied.exe", L"RaDenied", {L"Denied"});
    const ChildProcess flicker = StandIn(L"flicker.exe", L"RaFlicker", {L"Flicker base"}, {L"--flicker"});
    ASSERT_TRUE(steady.Window() && denied.Window() && flicker.Window());
    MadeForeground(steady.Window());
    TestHost host;
    host.Initial(0, 100);
    host.StartRestrict(MODE_APPRESTRICT, 1, host.List({L"denied.exe"}));
    host.StartRestrict(MODE_APPWATCH);
    EXPECT_TRUE(host.WaitFor([&] { return host.Received(WM_RA_APPWATCH_REPORT).size() >= 10; }));
    EXPECT_TRUE(denied.Ended(0));
    for (const auto& report : host.Received(WM_RA_APPWATCH_REPORT)) {
        std::vector<std::wstring> steadySeen;
        for (const auto& r : report.records) {
            const std::wstring title = r.szWindowTitle;
            const bool isSteady = title.rfind(L"Steady", 0) == 0;
            if (!isSteady && title.rfind(L"Flicker", 0) != 0) continue;
            if (isSteady) steadySeen.push_back(title);
            EXPECT_EQ(r.dwProcessId, (isSteady ? steady : flicker).Pid()) << Narrow(title);
        }
        std::sort(steadySeen.begin(), steadySeen.end());
        EXPECT_EQ(steadySeen, steadyTitles);
    }
}

// A Chrome in front that stops answering: its read is left behind with one error line, made again later.
TEST(SweepRobustness, DeniedProgramIsEndedWhileChromeInFrontStopsAnswering) {
    const ChromeRegistered chrome;
    const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, L"RaStalledChrome"));
    const ChildProcess stalled = StandIn(L"chrome.exe", L"Chrome_WidgetWin_1", {L"Stalled"},
                                         {L"--tree", L"chrome-legacy", L"x", L"--stall", L"RaStalledChrome"});
    const ChildProcess game = StandIn(L"game.exe", L"RaGameWindow", {L"Game"});
    ASSERT_TRUE(game.Window() && MadeForeground(stalled.Window()));
    TestHost host;
    host.Initial(0, 100);
    host.StartRestrict(MODE_URLRESTRICT, 1, host.List({L"example.com"}), 0);
    host.StartRestrict(MODE_APPRESTRICT, 1, host.List({L"game.exe"}));
    EXPECT_TRUE(host.WaitFor([&] { return game.Ended(0); }, 8000));
    host.Pump(kTwoWalksMs);
    const std::string noAnswer = "CRestrictAction::GetChromeURL [No answer from window 0x";
    EXPECT_EQ(host.log.Count(noAnswer), 1);
    EXPECT_EQ(host.log.Count("the main UI numChildren2"), 0);
    SetEvent(release.get());
    EXPECT_TRUE(host.WaitFor([&] { return host.log.Count("the main UI numChildren2") > 0; }));
    EXPECT_EQ(host.log.Count(noAnswer), 1);
}

// Once every mode is off the host may free its enable flag.
TEST(SweepRobustness, TicksSkipTheirTurnInsideANotificationAndReadNoFlagOnceEveryModeIsOff) {
    struct PageTraits {
        using Type = void*;
        static Type Invalid() noexcept { return nullptr; }
        static void Close(Type p) noexcept { VirtualFree(p, 0, MEM_RELEASE); }
    };
    const UniqueHandle<PageTraits> page(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    TestHost host;
    host.pumpInHandlerMs = 200;
    host.enabledFlag = static_cast<BOOL*>(page.get());
    *host.enabledFlag = TRUE;
    host.Initial(0, 10);
    host.StartRestrict(MODE_APPWATCH);
    EXPECT_TRUE(host.WaitFor([&] { return host.Received(WM_RA_APPWATCH_REPORT).size() >= 3; }));
    EXPECT_EQ(host.deepestNotification, 1);
    host.StopRestrict(MODE_APPWATCH);
    DWORD was = 0;
    ASSERT_TRUE(VirtualProtect(page.get(), 4096, PAGE_NOACCESS, &was));
    host.Pump(500);
    VirtualProtect(page.get(), 4096, was, &was);
}
