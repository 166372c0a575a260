// The exports as a host sees them: log lines, timer, enable flag; loading and unloading.
#include "support/LoadCycles.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <thread>

TEST(Lifecycle, ModeChangesWriteTheirLinesOnlyAfterInitialAndForKnownModes) {
    TestHost host;
    host.StartRestrict(MODE_APPWATCH);
    host.Restrict(L"x", L"y", RA_ACTION_END_ALL);
    host.StopRestrict(MODE_CONTROLWATCH);
    host.IsRestrict(MODE_APPWATCH);
    host.Initial(0, 50);
    host.Pump(300);
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty());
    EXPECT_EQ(host.log.Messages(), std::vector<std::string>{});

    const int modes[] = {MODE_IELOCK, MODE_URLRESTRICT, MODE_APPRESTRICT, MODE_APPWATCH, MODE_CONTROLWATCH};
    for (int mode : modes) host.StartRestrict(mode, 1, host.List({}));
    host.StartRestrict(MODE_APPWATCH);
    host.StartRestrict(7);
    host.StopRestrict(0);
    host.IsRestrict(7);
    for (int mode : modes) host.StopRestrict(mode);
    const std::string start = "CRestrictAction::StartRestrictAction [MODE_",
                      stop = "CRestrictAction::StopRestrictAction [MODE_";
    EXPECT_EQ(host.log.Messages(),
              (std::vector<std::string>{
                  start + "IELOCK].", start + "URLRESTRICT].", "CRestrictAction::Install WH_KEYBOARD_LL",
                  "CRestrictAction::Install WH_MOUSE_LL", start + "APPRESTRICT].", start + "APPWATCH].",
                  start + "CONTROLWATCH].", start + "APPWATCH].", stop + "IELOCK].", stop + "URLRESTRICT].",
                  stop + "APPRESTRICT].", stop + "APPWATCH].", stop + "CONTROLWATCH]."}));
}

TEST(Lifecycle, EnableFlagSecondInitialAndTimerId) {
    TestHost host;
    host.enabled = FALSE;
    host.Initial(0, 0x7FFFFFFF);
    host.StartRestrict(MODE_APPWATCH);
    host.Restrict(L"title", L"path", RA_ACTION_MINIMIZE);
    host.Tick();
    EXPECT_EQ(host.log.Count("RestrictAction, [TITLE="), 0);
    host.enabled = TRUE;
    host.Restrict(std::wstring(300, L'T').c_str(), nullptr, RA_ACTION_MINIMIZE);
    const LogLine last = host.log.Lines().back();
    EXPECT_EQ(last.tag + " " + last.message,
              ("[SYSTEM] CRestrictAction::RestrictAction, [TITLE=" + std::string(300, 'T')).substr(0, 268));

    host.Initial(600000, 50);
    host.Tick();
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty()) << "disabled, then the period has not passed";
    host.Initial(0, 50);
    SendMessageW(host.ControllerWindow(), WM_TIMER, 99, 0);
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty()) << "another timer";
    host.Tick();
    host.Pump(400);
    EXPECT_EQ(host.Received(WM_RA_APPWATCH_REPORT).size(), 1u) << "one tick: the new interval is not taken";
    EXPECT_EQ(host.Received(WM_RA_APPWATCH_REPORT).front().lParam, 0);

    host.Initial(700, 50);
    host.ClearReceived();
    const DWORD start = GetTickCount();
    for (int i = 0; i < 25; ++i, host.Pump(100)) host.Tick();
    const size_t reports = host.Received(WM_RA_APPWATCH_REPORT).size();
    EXPECT_GE(reports, 2u);
    EXPECT_LE(reports, (GetTickCount() - start) / 700 + 1) << "a report every 0.7 s at most";
}

TEST(Lifecycle, LoadUnloadCyclesKeepNoTlsIndexHandleOrHeapBlock) {
    for (const auto& [label, cycle] :
         {std::pair{"LoadLibrary and FreeLibrary", &BareCycle}, std::pair{"Initial, a mode and a tick", &HostCycle}}) {
        const CycleRun run = RunCycles(cycle, 150);
        EXPECT_TRUE(run.Flat()) << label << ": " << Narrow(run.Change());
    }
}

// The detach may neither destroy the loading thread's window nor wait for that thread.
TEST(Lifecycle, UnloadOnAnotherThreadLeavesNothingReachableAndReloads) {
    TestHost first;
    first.Initial(0, 20);
    first.StartRestrict(MODE_APPWATCH);
    ASSERT_TRUE(first.WaitFor([&] { return !first.Received(WM_RA_APPWATCH_REPORT).empty(); }));
    const HWND old = first.ControllerWindow();
    const HMODULE dll = first.ReleaseLibrary();
    MODULEINFO image{};
    GetModuleInformation(GetCurrentProcess(), dll, &image, sizeof(image));
    const auto inImage = [&](ULONG_PTR at) { return at - reinterpret_cast<ULONG_PTR>(dll) < image.SizeOfImage; };

    std::thread([dll] { FreeLibrary(dll); }).join();
    ASSERT_EQ(GetModuleHandleW(L"RestrictAction.dll"), nullptr);
    EXPECT_FALSE(inImage(IsWindow(old) ? GetWindowLongPtrW(old, GWLP_WNDPROC) : 0)) << "window procedure";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    GetClassInfoExW(dll, L"RestrictActionWnd", &wc);
    EXPECT_FALSE(inImage(reinterpret_cast<ULONG_PTR>(wc.lpfnWndProc))) << "class procedure";
    EXPECT_TRUE(first.WaitFor([&] { return !IsWindow(old); })) << "the window stays";

    TestHost second;
    second.Initial(0, 50);
    second.StartRestrict(MODE_APPWATCH);
    EXPECT_TRUE(second.WaitFor([&] { return !second.Received(WM_RA_APPWATCH_REPORT).empty(); }));
}
