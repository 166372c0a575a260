// Work on another process's window with a deadline: work done in time is
// read; overrunning work is left behind and finishes on its own; a window
// whose work still runs is refused, and so is every window once
// kMaxAbandonedWork pieces run; a window of the calling thread is worked on
// inline.
#include "fw/DeadlineRunner.h"
#include "support/FakeBrowser.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

constexpr DWORD kDeadlineMs = 200;
using RanOn = std::shared_ptr<std::atomic<DWORD>>;  // the thread the work ran on, 0 before

bool Eventually(const std::function<bool()>& done) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(20))
        if (done()) return true;
    return false;
}

}  // namespace

TEST(DeadlineRunner, LeavesOverrunningWorkBehindAndBoundsWhatIsLeft) {
    std::vector<std::wstring> titles;
    for (int i = 0; i <= kMaxAbandonedWork; ++i) titles.push_back(L"Window " + std::to_wstring(i));
    TestApp app(L"windows.exe", L"RaWorkWindow", titles);
    ASSERT_TRUE(app.Started());
    std::vector<HWND> windows;
    for (const auto& title : titles) windows.push_back(WaitForProcessWindow(app.Pid(), L"RaWorkWindow", title));
    const FakeBrowser own(L"RaOwnWindow");
    const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));

    struct Step {
        const char* label;
        HWND window;
        bool stalls;  // waits for `release`
        DeadlineOutcome want;
        RanOn ranOn = std::make_shared<std::atomic<DWORD>>(0);
    };
    std::vector<Step> steps = {
        {"in time", windows[0], false, DeadlineOutcome::kFinished},
        {"overrunning", windows[0], true, DeadlineOutcome::kAbandoned},
        {"the same window while its work runs", windows[0], false, DeadlineOutcome::kRefused},
    };
    for (int i = 1; i < kMaxAbandonedWork; ++i)
        steps.push_back({"overrunning on another window", windows[i], true, DeadlineOutcome::kAbandoned});
    steps.push_back({"past the bound", windows[kMaxAbandonedWork], false, DeadlineOutcome::kRefused});
    steps.push_back({"a window of this thread, past the bound", own.hwnd(), false, DeadlineOutcome::kFinished});

    for (Step& step : steps) {
        const DeadlineOutcome outcome =
            RunWithDeadline(step.window, kDeadlineMs, [ranOn = step.ranOn, stalls = step.stalls, r = release.get()] {
                if (stalls) WaitForSingleObject(r, INFINITE);
                *ranOn = GetCurrentThreadId();
            });
        EXPECT_EQ(outcome, step.want) << step.label;
        const DWORD ranOn = *step.ranOn;
        EXPECT_EQ(ranOn != 0, step.want == DeadlineOutcome::kFinished) << step.label << ": ran by now";
        EXPECT_EQ(ranOn == GetCurrentThreadId(), step.window == own.hwnd()) << step.label << ": ran inline";
    }

    SetEvent(release.get());
    EXPECT_TRUE(Eventually([&] {
        for (const Step& step : steps)
            if (step.want == DeadlineOutcome::kAbandoned && *step.ranOn == 0) return false;
        return true;
    })) << "abandoned work finishes on its own";
    EXPECT_TRUE(Eventually([&] { return RunWithDeadline(windows[0], kDeadlineMs, [] {}) == DeadlineOutcome::kFinished; }))
        << "a window is worked on again once its work has ended";
    for (const Step& step : steps)
        EXPECT_EQ(*step.ranOn == 0, step.want == DeadlineOutcome::kRefused) << step.label << ": ran at all";
}
