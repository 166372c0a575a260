// Work with a deadline on windows of another process, or on none (a
// server): overrunning work is left behind and finishes on its own, and no
// more than kMaxAbandonedWork pieces are ever left running; a window of the
// calling thread is worked on inline, whatever runs.
#include "fw/DeadlineRunner.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

TEST(DeadlineRunner, LeavesOverrunningWorkBehindButNoMoreThanItsBound) {
    std::vector<std::wstring> titles;
    for (int i = 2; i <= kMaxAbandonedWork; ++i) titles.push_back(L"Window " + std::to_wstring(i));
    const ChildProcess app = StandIn(L"windows.exe", L"RaWorkWindow", titles);
    ASSERT_TRUE(app.Window());
    const FakeBrowser own(L"RaOwnWindow");
    const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    // No window twice, windows up to one piece more than the bound, then
    // this thread's: the thread each piece of work ran on, once it waited
    // for `release`.
    std::vector<HWND> windows = {nullptr, nullptr};
    for (const auto& title : titles) windows.push_back(app.WaitForWindow(L"RaWorkWindow", title));
    windows.push_back(own.hwnd());
    std::vector<std::shared_ptr<std::atomic<DWORD>>> ranOn;
    for (HWND window : windows) {
        ranOn.push_back(std::make_shared<std::atomic<DWORD>>(0));
        const bool ownThread = window == own.hwnd();
        const DeadlineOutcome outcome =
            RunWithDeadline(window, 200, [ran = ranOn.back(), ownThread, r = release.get()] {
                if (!ownThread) WaitForSingleObject(r, INFINITE);
                *ran = GetCurrentThreadId();
            });
        const size_t i = ranOn.size() - 1;
        EXPECT_EQ(outcome, ownThread                         ? DeadlineOutcome::kFinished
                           : i < size_t{kMaxAbandonedWork} ? DeadlineOutcome::kAbandoned
                                                           : DeadlineOutcome::kRefused)
            << "window " << i;
    }
    EXPECT_EQ(*ranOn.back(), GetCurrentThreadId());

    SetEvent(release.get());
    for (size_t i = 0; i < size_t{kMaxAbandonedWork}; ++i)
        EXPECT_TRUE(TestHost::WaitFor([&] { return *ranOn[i] != 0; }, 10000))
            << "abandoned work " << i << " finishes on its own";
    EXPECT_EQ(*ranOn[kMaxAbandonedWork], 0u) << "refused work never runs";
}
