// The sweep against hosts and programs that behave badly but legally: a
// host thread's Restrict while the host's window thread takes ticks, a
// window gone as its caption is read, windows that come and go all the time,
// a browser in front that stops answering, a host that pumps inside a
// notification or frees its flag.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

// Once armed, answers WM_GETTEXT with "Doomed", which its own text is not,
// and goes at once: a window that vanishes between its caption read and its
// record. (Wine itself asks for the text while the window is being shown.)
bool g_doomedArmed = false;
LRESULT CALLBACK DoomedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_GETTEXT || !g_doomedArmed) return DefWindowProcW(hwnd, message, wParam, lParam);
    lstrcpynW(reinterpret_cast<wchar_t*>(lParam), L"Doomed", static_cast<int>(wParam));
    DestroyWindow(hwnd);
    return lstrlenW(reinterpret_cast<wchar_t*>(lParam));
}

}  // namespace

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
    // A deadlock cannot be undone from inside: fail the run at once instead.
    std::thread watchdog([&] {
        if (WaitForSingleObject(done.get(), 60000) == WAIT_OBJECT_0) return;
        fputs("FAILED: Restrict on a worker thread deadlocked with the host's ticks\n", stderr);
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    });
    EXPECT_TRUE(host.WaitFor([&] { return WaitForSingleObject(done.get(), 0) == WAIT_OBJECT_0; }, 60000));
    worker.join();
    watchdog.join();
    // Ticks that found the lock taken skipped their turn only.
    host.ClearReceived();
    EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }));
}

// The foreground window is examined first; the walk then meets a window of
// the host that goes as its caption is read, and a window of a program no
// one may open. Neither may pass its fate on to the foreground's program.
TEST(SweepRobustness, WindowsWithoutAProcessToEndNeverEndAnotherProgram) {
    const ChildProcess sealed = StandIn(L"sealed.exe", L"RaSealed", {L"Doomed"}, {L"--sealed"});
    const ChildProcess victim = StandIn(L"victim.exe", L"RaVictim", {L"Victim"});
    ASSERT_TRUE(sealed.Window() && victim.Window());
    TestHost host;
    host.Initial(0, 0x7FFFFFFF);
    const FakeBrowser doomed(L"RaDoomed", L"Not the title asked for");
    SetWindowLongPtrW(doomed.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DoomedProc));
    MadeForeground(victim.Window());
    g_doomedArmed = true;
    host.Restrict(L"Doomed", nullptr, RA_ACTION_END_MATCHING);
    g_doomedArmed = false;
    // The sealed program cannot be ended: its window is asked to close.
    EXPECT_TRUE(sealed.Ended(kSweepWaitMs));
    EXPECT_FALSE(victim.Ended(500));
}

// Steady windows and a denied program below a program that opens and closes
// windows on top of them all the time.
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
            // Each window under its own program's name and id.
            EXPECT_STREQ(r.szAppExeName, isSteady ? L"steady.exe" : L"flicker.exe") << Narrow(title);
            EXPECT_EQ(r.dwProcessId, (isSteady ? steady : flicker).Pid()) << Narrow(title);
        }
        std::sort(steadySeen.begin(), steadySeen.end());
        EXPECT_EQ(steadySeen, steadyTitles);
    }
}

// A Chrome in front hands out its accessible tree and then stops answering:
// a program on the deny list beside it is still ended within a few seconds
// (a stalled read costs the sweep 1 s; the walk that reaches the program
// comes every 11 ticks of 100 ms). The read is left behind with one error
// line, the window passed over while it runs, and read again once Chrome
// answers.
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

// A host that pumps messages while it handles a notification lets the
// module's timer tick in: the tick finds the sweep running and skips its
// turn instead of sweeping inside it.
TEST(SweepRobustness, ATickWhileTheHostPumpsInsideANotificationSkipsItsTurn) {
    TestHost host;
    host.pumpInHandlerMs = 200;
    host.Initial(0, 10);
    host.StartRestrict(MODE_APPWATCH);
    EXPECT_TRUE(host.WaitFor([&] { return host.Received(WM_RA_APPWATCH_REPORT).size() >= 3; }));
    EXPECT_EQ(host.deepestNotification, 1);
}

// Once every mode is off the host may free its enable flag while the module
// stays loaded (a read left behind holds it): the ticks no longer read it.
TEST(SweepRobustness, TicksReadNoHostMemoryOnceEveryModeIsOff) {
    struct PageTraits {
        using Type = void*;
        static Type Invalid() noexcept { return nullptr; }
        static void Close(Type p) noexcept { VirtualFree(p, 0, MEM_RELEASE); }
    };
    const UniqueHandle<PageTraits> page(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    TestHost host;
    host.enabledFlag = static_cast<BOOL*>(page.get());
    *host.enabledFlag = TRUE;
    host.Initial(0, 10);
    host.StartRestrict(MODE_APPWATCH);
    EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }));
    host.StopRestrict(MODE_APPWATCH);
    DWORD was = 0;
    ASSERT_TRUE(VirtualProtect(page.get(), 4096, PAGE_NOACCESS, &was));
    host.Pump(500);  // fifty ticks, each of which would fault on the flag
    VirtualProtect(page.get(), 4096, was, &was);
}
