// Foreground changes reported on the thread that asked for them: the
// activation of another program's window (the stand-in raises the event,
// which Wine does not), and bursts of changes handed on as one call.
#include "control/ForegroundEvents.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr DWORD kEventWaitMs = 10000;

struct Recorder {
    std::vector<HWND> windows;
    std::vector<DWORD> threads;
    ForegroundEvents events{[this](HWND foreground) {
        windows.push_back(foreground);
        threads.push_back(GetCurrentThreadId());
    }};
};

}  // namespace

// Each activation, also of a window that was in front before, is one call
// on this thread, outside the hook procedure.
TEST(ForegroundEvents, ReportEachActivationOfAnotherProgramOnThisThread) {
    Recorder recorder;
    ASSERT_TRUE(recorder.events.Installed());
    const ChildProcess first = StandIn(L"first.exe", L"RaFirstWindow", {L"First"}, {L"--notify-foreground"});
    const ChildProcess second = StandIn(L"second.exe", L"RaSecondWindow", {L"Second"}, {L"--notify-foreground"});
    ASSERT_TRUE(first.Window() && second.Window());
    for (HWND window : {first.Window(), second.Window(), first.Window()}) {
        SetForegroundWindow(window);
        EXPECT_TRUE(TestHost::WaitFor(
            [&] { return !recorder.windows.empty() && recorder.windows.back() == window; }, kEventWaitMs));
    }
    for (DWORD thread : recorder.threads) EXPECT_EQ(thread, GetCurrentThreadId());
}

// A second object meanwhile installs nothing and hears nothing.
TEST(ForegroundEvents, HandOnABurstOfChangesAsOneCallWithTheLatestWindow) {
    Recorder recorder;
    int secondCalls = 0;
    const ForegroundEvents second([&](HWND) { ++secondCalls; });
    ASSERT_TRUE(recorder.events.Installed());
    EXPECT_FALSE(second.Installed());
    const UniqueWindow one(CreateWindowExW(0, L"STATIC", L"one", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    const UniqueWindow two(CreateWindowExW(0, L"STATIC", L"two", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    const HWND a = one.get(), b = two.get();
    const struct {
        const char* label;
        std::vector<HWND> raised;  // before this thread pumps
        std::vector<HWND> calls;   // all calls so far
    } steps[] = {
        {"one change", {a}, {a}},
        {"a burst", {b, a, b}, {a, b}},
        {"no window", {nullptr}, {a, b}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.label);
        for (HWND hwnd : step.raised) NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, hwnd, OBJID_WINDOW, CHILDID_SELF);
        TestHost::Pump(300);
        EXPECT_EQ(recorder.windows, step.calls);
    }
    EXPECT_EQ(secondCalls, 0);
}
