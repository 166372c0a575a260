// The sweep against hosts and programs that behave badly but legally: a
// host thread's Restrict while the host's window thread takes ticks, a
// window gone as its caption is read, windows that come and go all the time.
#include "support/TestApp.h"
#include "support/TestHost.h"
#include "tools/refhost/HostList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {

constexpr DWORD kDenyList = 1;

// A visible captioned top-level window of this (the host's) thread.
UniqueWindow HostWindow(const wchar_t* windowClass, const wchar_t* caption) {
    return UniqueWindow(CreateWindowExW(0, windowClass, caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

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

void BringToFront(HWND hwnd) {
    SetForegroundWindow(hwnd);
    for (int i = 0; i < 100 && GetForegroundWindow() != hwnd; ++i) Sleep(20);
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

// The foreground window is examined first; the walk then meets a window of
// the host that goes as its caption is read, and a window of a program no
// one may open. Neither may pass its fate on to the foreground's program.
TEST(SweepRobustness, WindowsWithoutAProcessToEndNeverEndAnotherProgram) {
    TestApp sealed(L"sealed.exe", L"RaSealed", {L"Doomed"}, L"", {L"--sealed"});
    TestApp victim(L"victim.exe", L"RaVictim", {L"Victim"});
    ASSERT_TRUE(sealed.Started() && victim.Started());
    TestHost host;
    host.Initial(0, 0x7FFFFFFF);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DoomedProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"RaDoomed";
    RegisterClassW(&wc);
    const UniqueWindow doomed = HostWindow(wc.lpszClassName, L"Not the title asked for");
    ASSERT_TRUE(doomed);
    BringToFront(victim.Window());

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
    TestApp steady(L"steady.exe", L"RaSteady", steadyTitles);
    TestApp denied(L"denied.exe", L"RaDenied", {L"Denied"});
    TestApp flicker(L"flicker.exe", L"RaFlicker", {L"Flicker base"}, L"", {L"--flicker"});
    ASSERT_TRUE(steady.Started() && denied.Started() && flicker.Started());
    BringToFront(steady.Window());
    HostList denyList;
    denyList.Add(L"denied.exe");
    TestHost host;
    host.Initial(0, 100);
    host.StartRestrict(MODE_APPRESTRICT, kDenyList, denyList.get());
    host.StartRestrict(MODE_APPWATCH);

    host.WaitFor([&] { return host.Received(WM_RA_APPWATCH_REPORT).size() >= 10; }, kSweepWaitMs);
    EXPECT_TRUE(denied.Ended(0));
    const auto reports = host.Received(WM_RA_APPWATCH_REPORT);
    EXPECT_GE(reports.size(), 10u);
    for (size_t i = 0; i < reports.size(); ++i) {
        SCOPED_TRACE("report " + std::to_string(i));
        std::vector<std::wstring> steadySeen;
        for (const auto& r : reports[i].report) {
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

// A host that pumps messages while it handles a notification lets the
// module's timer tick in: the tick finds the sweep running and skips its
// turn instead of sweeping inside it.
TEST(SweepRobustness, ATickWhileTheHostPumpsInsideANotificationSkipsItsTurn) {
    TestHost host;
    host.pumpInHandlerMs = 200;
    host.Initial(0, 10);
    host.StartRestrict(MODE_APPWATCH);
    EXPECT_TRUE(host.WaitFor([&] { return host.Received(WM_RA_APPWATCH_REPORT).size() >= 3; }, kSweepWaitMs));
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
    ASSERT_TRUE(page);
    TestHost host;
    host.enabledFlag = static_cast<BOOL*>(page.get());
    *host.enabledFlag = TRUE;
    host.Initial(0, 10);
    host.StartRestrict(MODE_APPWATCH);
    EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }, kSweepWaitMs));
    host.StopRestrict(MODE_APPWATCH);

    DWORD was = 0;
    ASSERT_TRUE(VirtualProtect(page.get(), 4096, PAGE_NOACCESS, &was));
    host.Pump(500);  // fifty ticks, each of which would fault on the flag
    VirtualProtect(page.get(), 4096, was, &was);
}
