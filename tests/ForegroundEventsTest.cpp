// Foreground changes handed on as one call per burst, outside the hook procedure.
#include "control/ForegroundEvents.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <vector>

// A second object meanwhile installs nothing and hears nothing.
TEST(ForegroundEvents, HandOnABurstOfChangesAsOneCallWithTheLatestWindow) {
    std::vector<HWND> calls;
    const ForegroundEvents events([&](HWND foreground) { calls.push_back(foreground); });
    int secondCalls = 0;
    const ForegroundEvents second([&](HWND) { ++secondCalls; });
    ASSERT_TRUE(events.Installed());
    EXPECT_FALSE(second.Installed());
    const UniqueWindow one(CreateWindowExW(0, L"STATIC", L"one", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    const UniqueWindow two(CreateWindowExW(0, L"STATIC", L"two", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    const HWND a = one.get(), b = two.get();
    const struct {
        const char* label;
        std::vector<HWND> raised;
        std::vector<HWND> calls;  // so far
    } steps[] = {
        {"one change", {a}, {a}},
        {"a burst", {b, a, b}, {a, b}},
        {"the earlier window again", {a}, {a, b, a}},
        {"no window", {nullptr}, {a, b, a}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.label);
        for (HWND hwnd : step.raised) NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, hwnd, OBJID_WINDOW, CHILDID_SELF);
        TestHost::Pump(300);
        EXPECT_EQ(calls, step.calls);
    }
    EXPECT_EQ(secondCalls, 0);
}
