// Sweep benchmark, through the host path. Starts stand-in processes with
// windows, loads the DLL as a host does, and measures
//   - a foreground-only sweep (a periodic tick that skips the walk),
//   - a full window walk (Restrict with a request that matches nothing),
// then the handle count and private bytes before and after many sweeps.
//
//   SweepBench.exe PROCESSES WINDOWS [SWEEPS]
// WINDOWS are spread over PROCESSES copies of TestWindow.exe (next to this
// program). Prints one line of figures.
#include "RestrictAction.h"
#include "bench/BenchFigures.h"
#include "tests/support/ChildProcess.h"
#include "tools/refhost/HostModule.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The stand-in processes, ended with the returned owners.
std::vector<ChildProcess> StartApps(int processes, int windows) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe(self);
    exe.resize(exe.find_last_of(L'\\') + 1);
    exe += L"TestWindow.exe";
    std::vector<ChildProcess> started;
    for (int p = 0; p < processes; ++p) {
        std::wstring command = L"\"" + exe + L"\" BenchWnd";
        for (int w = p; w < windows; w += processes) command += L" \"bench window " + std::to_wstring(w) + L"\"";
        if (p >= windows) command += L" \"bench idle " + std::to_wstring(p) + L"\"";
        started.emplace_back(exe, command);
    }
    // Windows of other processes appear a little after the processes start.
    for (int i = 0; i < 600; ++i) {
        int seen = 0;
        for (HWND h = FindWindowExW(nullptr, nullptr, L"BenchWnd", nullptr); h; h = FindWindowExW(nullptr, h, L"BenchWnd", nullptr))
            ++seen;
        if (seen >= std::max(windows, processes)) break;
        Sleep(100);
    }
    return started;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: SweepBench PROCESSES WINDOWS [SWEEPS]\n");
        return 2;
    }
    const int processes = _wtoi(argv[1]), windows = _wtoi(argv[2]);
    const int sweeps = argc > 3 ? _wtoi(argv[3]) : 0;
    const auto apps = StartApps(processes, windows);

    const UniqueLibrary library(LoadLibraryW(L"RestrictAction.dll"));
    if (!library) return 1;
    const HMODULE dll = library.get();
    const UniqueWindow notify(
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    RA_HOST_WND hostWnd{};
    hostWnd.m_hWnd = notify.get();
    void* context[RA_HOST_CONTEXT_SLOTS] = {};
    static const wchar_t kEmpty[] = L"";
    const int folderSlots[] = RA_SLOT_FOLDERS;
    context[RA_SLOT_BASE_FOLDER] = const_cast<wchar_t*>(kEmpty);
    for (int slot : folderSlots) context[slot] = const_cast<wchar_t*>(kEmpty);
    BOOL enabled = TRUE;
    Export<PFN_RA_INITIAL>(dll, "Initial")(&hostWnd, context, &enabled, 0x7FFFFFFF, 0x7FFFFFFF);
    // A mode without effect on these windows, so that ticks sweep.
    Export<PFN_RA_START>(dll, "StartRestrict")(MODE_CONTROLWATCH, 0, nullptr, 0);
    const HWND controller = FindWindowW(nullptr, L"RestrictAction");
    // A captioned foreground window of another process, as on a desktop.
    const HWND front = FindWindowW(L"BenchWnd", nullptr);
    SetForegroundWindow(front);
    for (int i = 0; i < 100 && GetForegroundWindow() != front; ++i) Sleep(10);
    auto tick = [&] { Sweep(controller); };
    auto restrict = Export<PFN_RA_RESTRICT>(dll, "Restrict");

    // Ticks 1-10 of each 11 look at the foreground only; the 11th walks.
    std::vector<double> foreground, walk;
    for (int round = 0; round < 3; ++round)
        for (int t = 0; t < 11; ++t) (t < 10 ? foreground : walk).push_back(TimeMs(tick));
    for (int i = 0; i < 5; ++i) walk.push_back(TimeMs([&] { restrict(L"\x1", L"\x1", RA_ACTION_END_MATCHING); }));

    const Usage before = Measure();
    for (int i = 0; i < sweeps; ++i) tick();
    const Usage after = Measure();

    wprintf(L"processes %d windows %d: foreground sweep %.2f ms, full walk %.1f ms; after %d sweeps %ls\n", processes,
            windows, Median(foreground), Median(walk), sweeps, UsageChange(before, after).c_str());

    Export<PFN_RA_STOP>(dll, "StopRestrict")(MODE_CONTROLWATCH);
    return 0;
}
