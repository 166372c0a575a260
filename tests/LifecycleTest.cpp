// The exports in the host's order, and what a host sees of them: the log
// lines, the timer and the enable flag; loading and unloading.
#include "support/LoadCycles.h"
#include "support/ScratchLog.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Lifecycle, ExportsBeforeInitialReturnOneAndDoNothing) {
    TestHost host;
    EXPECT_EQ(host.StartRestrict(MODE_APPWATCH), 1);
    EXPECT_EQ(host.IsRestrict(MODE_APPWATCH), 1);
    EXPECT_EQ(host.Restrict(L"x", L"y", RA_ACTION_END_ALL), 1);
    EXPECT_EQ(host.StopRestrict(MODE_APPWATCH), 1);
    EXPECT_TRUE(host.LogLines().empty());

    // The early start did not take: no report once the timer runs.
    host.Initial(0, 50);
    host.Pump(600);
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty());
}

TEST(Lifecycle, ModeChangesWriteTheirLinesAndIgnoreUnknownModes) {
    TestHost host;
    HostList apps, urls, browsers;
    host.Initial(600000, 100000);
    const int modes[] = {MODE_IELOCK, MODE_URLRESTRICT, MODE_APPRESTRICT, MODE_APPWATCH, MODE_CONTROLWATCH};
    void* lists[] = {browsers.get(), urls.get(), apps.get(), nullptr, nullptr};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(host.StartRestrict(modes[i], 1, lists[i]), 1);
    EXPECT_EQ(host.StartRestrict(MODE_APPWATCH), 1);  // again: a second line
    EXPECT_EQ(host.StartRestrict(7), 1);
    EXPECT_EQ(host.StopRestrict(0), 1);
    EXPECT_EQ(host.IsRestrict(7), 1);
    for (int mode : modes) EXPECT_EQ(host.StopRestrict(mode), 1);

    const std::vector<std::string> expected = {
        "CRestrictAction::StartRestrictAction [MODE_IELOCK].",
        "CRestrictAction::StartRestrictAction [MODE_URLRESTRICT].",
        "CRestrictAction::Install WH_KEYBOARD_LL",
        "CRestrictAction::Install WH_MOUSE_LL",
        "CRestrictAction::StartRestrictAction [MODE_APPRESTRICT].",
        "CRestrictAction::StartRestrictAction [MODE_APPWATCH].",
        "CRestrictAction::StartRestrictAction [MODE_CONTROLWATCH].",
        "CRestrictAction::StartRestrictAction [MODE_APPWATCH].",
        "CRestrictAction::StopRestrictAction [MODE_IELOCK].",
        "CRestrictAction::StopRestrictAction [MODE_URLRESTRICT].",
        "CRestrictAction::StopRestrictAction [MODE_APPRESTRICT].",
        "CRestrictAction::StopRestrictAction [MODE_APPWATCH].",
        "CRestrictAction::StopRestrictAction [MODE_CONTROLWATCH].",
    };
    EXPECT_EQ(MessagesOf(host.LogLines()), expected);
}

// Disabled, neither the timer nor a host request does anything; enabled
// again, a request writes its line, cut to 259 characters.
TEST(Lifecycle, EnableFlagAtZeroStopsTimerAndRestrict) {
    TestHost host;
    host.enabled = FALSE;
    host.Initial(0, 50);
    host.StartRestrict(MODE_APPWATCH);
    host.Restrict(L"title", L"path", RA_ACTION_MINIMIZE);
    host.Pump(600);
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty());
    EXPECT_EQ(MessagesOf(host.LogLines()),
              std::vector<std::string>{"CRestrictAction::StartRestrictAction [MODE_APPWATCH]."});

    host.enabled = TRUE;
    EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }, 20000));
    host.StopRestrict(MODE_APPWATCH);
    host.Restrict(std::wstring(300, L'T').c_str(), nullptr, RA_ACTION_MINIMIZE);
    const auto lines = ParseLogLines(host.LogLines());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().tag, "[SYSTEM]");
    const std::string line = "CRestrictAction::RestrictAction, [TITLE=" + std::string(300, 'T');
    EXPECT_EQ(lines.back().message, line.substr(0, 259));
}

// A second Initial replaces the report period and nothing else: the timer
// keeps its interval. Timer messages of another id run no sweep.
TEST(Lifecycle, SecondInitialOnlyReplacesTheReportPeriodAndOnlyTheTimersIdSweeps) {
    TestHost host;
    host.Initial(600000, 0x7FFFFFFF);  // no natural tick during the test
    host.StartRestrict(MODE_APPWATCH);
    const HWND controller = host.ControllerWindow();
    ASSERT_NE(controller, nullptr);
    SendMessageW(controller, WM_TIMER, 100, 0);
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty()) << "the period has not passed";

    host.Initial(0, 50);
    SendMessageW(controller, WM_TIMER, 99, 0);
    EXPECT_TRUE(host.Received(WM_RA_APPWATCH_REPORT).empty()) << "another timer";
    SendMessageW(controller, WM_TIMER, 100, 0);
    EXPECT_EQ(host.Received(WM_RA_APPWATCH_REPORT).size(), 1u);
    host.Pump(400);
    EXPECT_EQ(host.Received(WM_RA_APPWATCH_REPORT).size(), 1u) << "the new interval is not taken";
}

// A host may load and unload the module per lesson, for years: a cycle keeps
// no TLS index, no handle and no heap block. The benchmark runs 2,000.
TEST(Lifecycle, LoadUnloadCyclesKeepNoTlsIndexHandleOrHeapBlock) {
    const struct {
        const char* label;
        void (*cycle)();
    } rows[] = {{"LoadLibrary and FreeLibrary", &BareCycle}, {"Initial, a mode and a tick", &HostCycle}};
    for (const auto& row : rows) {
        const CycleRun run = RunCycles(row.cycle, 150);
        EXPECT_TRUE(run.Flat()) << row.label << ": " << Narrow(run.Change());
    }
}

// FreeLibrary on a thread other than the loading one: the detach there may
// neither destroy the loading thread's window nor wait for that thread.
// Nothing of the unloaded image stays reachable from the window or its
// class, the window goes when its own thread pumps, and a new load works.
TEST(Lifecycle, UnloadOnAnotherThreadLeavesNothingReachableAndReloads) {
    TestHost first;
    first.Initial(0, 20);
    first.StartRestrict(MODE_APPWATCH);
    ASSERT_TRUE(first.WaitFor([&] { return !first.Received(WM_RA_APPWATCH_REPORT).empty(); }, 5000));
    const HWND old = first.ControllerWindow();
    const HMODULE dll = first.ReleaseLibrary();
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(dll);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const char*>(dll) + dos->e_lfanew);
    const ULONG_PTR begin = reinterpret_cast<ULONG_PTR>(dll), end = begin + nt->OptionalHeader.SizeOfImage;
    auto inImage = [&](ULONG_PTR address) { return address >= begin && address < end; };

    std::thread([dll] { FreeLibrary(dll); }).join();
    ASSERT_EQ(GetModuleHandleW(L"RestrictAction.dll"), nullptr);
    EXPECT_FALSE(inImage(IsWindow(old) ? GetWindowLongPtrW(old, GWLP_WNDPROC) : 0)) << "window procedure";
    WNDCLASSEXW wc{};  // the procedure stays null when the class is gone
    wc.cbSize = sizeof(wc);
    GetClassInfoExW(dll, L"RestrictActionWnd", &wc);
    EXPECT_FALSE(inImage(reinterpret_cast<ULONG_PTR>(wc.lpfnWndProc))) << "class procedure";
    first.Pump(300);
    EXPECT_FALSE(IsWindow(old));

    TestHost second;
    second.Initial(0, 50);
    second.StartRestrict(MODE_APPWATCH);
    EXPECT_NE(second.ControllerWindow(), nullptr);
    EXPECT_TRUE(second.WaitFor([&] { return !second.Received(WM_RA_APPWATCH_REPORT).empty(); }, 5000));
}
