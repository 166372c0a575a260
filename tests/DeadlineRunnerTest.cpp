// Overrunning work is left behind, never more than kMaxAbandonedWork pieces; on this thread's window, inline.
#include "fw/DeadlineRunner.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

TEST(DeadlineRunner, LeavesOverrunningWorkBehindButNoMoreThanItsBound) {
    const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<std::shared_ptr<std::atomic<bool>>> ran;
    for (size_t i = 0; i <= size_t{kMaxAbandonedWork}; ++i) {
        ran.push_back(std::make_shared<std::atomic<bool>>(false));
        const DeadlineOutcome outcome = RunWithDeadline(nullptr, 200, [done = ran.back(), r = release.get()] {
            WaitForSingleObject(r, INFINITE);
            *done = true;
        });
        EXPECT_EQ(outcome, i < size_t{kMaxAbandonedWork} ? DeadlineOutcome::kAbandoned : DeadlineOutcome::kRefused)
            << "piece " << i;
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
