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
    const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    // No window twice, then one piece more than the bound, each waiting for `release`.
    std::vector<HWND> windows = {nullptr, nullptr};
    for (const auto& title : titles) windows.push_back(app.WaitForWindow(L"RaWorkWindow", title));
    std::vector<std::shared_ptr<std::atomic<bool>>> ran;
    for (size_t i = 0; i < windows.size(); ++i) {
        ran.push_back(std::make_shared<std::atomic<bool>>(false));
        const DeadlineOutcome outcome = RunWithDeadline(windows[i], 200, [done = ran.back(), r = release.get()] {
            WaitForSingleObject(r, INFINITE);
            *done = true;
        });
        EXPECT_EQ(outcome, i < size_t{kMaxAbandonedWork} ? DeadlineOutcome::kAbandoned : DeadlineOutcome::kRefused)
            << "window " << i;
    }
    const FakeBrowser own(L"RaOwnWindow");
    DWORD ranOn = 0;
    EXPECT_EQ(RunWithDeadline(own.hwnd(), 200, [&] { ranOn = GetCurrentThreadId(); }), DeadlineOutcome::kFinished);
    EXPECT_EQ(ranOn, GetCurrentThreadId());

    SetEvent(release.get());
    for (size_t i = 0; i < size_t{kMaxAbandonedWork}; ++i)
        EXPECT_TRUE(TestHost::WaitFor([&] { return ran[i]->load(); }, 10000)) << "abandoned work " << i << " finishes";
    EXPECT_FALSE(ran[kMaxAbandonedWork]->load()) << "refused work never runs";
}
