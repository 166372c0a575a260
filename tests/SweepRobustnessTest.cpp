// The sweep against hosts and programs that behave badly but legally: a
// host thread's Restrict while the host's window thread takes ticks.
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

// A visible captioned top-level window of this (the host's) thread.
UniqueWindow HostWindow(const wchar_t* windowClass, const wchar_t* caption) {
    return UniqueWindow(CreateWindowExW(0, windowClass, caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

}  // namespace

TEST(SweepRobustness, RestrictOnAHostWorkerThreadWhileTheHostTakesTicksAndShowsAWindow) {
    TestHost host;
    host.Initial(0, 10);
    host.StartRestrict(MODE_APPWATCH);
    const UniqueWindow shown = HostWindow(L"STATIC", L"Host dialog");
    ASSERT_TRUE(shown);

    std::atomic<int> sweeps{0};
    std::thread worker([&] {
        for (int i = 0; i < 10; ++i, ++sweeps) host.Restrict(L"\x1", L"\x1", RA_ACTION_END_MATCHING);
    });
    // A deadlock cannot be undone from inside: fail the run at once instead.
    std::thread watchdog([&] {
        for (int i = 0; i < 600 && sweeps < 10; ++i) Sleep(100);
        if (sweeps == 10) return;
        fputs("FAILED: Restrict on a worker thread deadlocked with the host's ticks\n", stderr);
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    });
    EXPECT_TRUE(host.WaitFor([&] { return sweeps == 10; }, 60000));
    worker.join();
    watchdog.join();
    // Ticks that found the lock taken skipped their turn only.
    host.ClearReceived();
    EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }, kSweepWaitMs));
}
