// Sweep benchmark, through the host path. Starts stand-in processes with
// windows, loads the DLL as a host does, and measures
//   - a foreground-only sweep (a periodic tick that skips the walk),
//   - a full window walk (Restrict with a request that matches nothing).
//
//   SweepBench.exe
//     The cost table: 30 windows (one per process) at about 50 and at about
//     400 processes, the others idle (started suspended: no windows). Beside
//     each figure the floor, measured by this program in the same run: what
//     any walk must do, reading each window's caption and asking once for
//     its process's image name.
//   SweepBench.exe PROCESSES WINDOWS [SWEEPS]
//     WINDOWS spread over PROCESSES processes; one line of figures, then
//     the handle count and private bytes before and after SWEEPS ticks.
// The stand-ins are copies of TestWindow.exe next to this program.
#include "RestrictAction.h"
#include "bench/BenchFigures.h"
#include "tests/support/ChildProcess.h"
#include "tools/refhost/HostModule.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The visible windows of the stand-ins, top first.
std::vector<HWND> BenchWindows() {
    std::vector<HWND> windows;
    for (HWND h = FindWindowExW(nullptr, nullptr, L"BenchWnd", nullptr); h;
         h = FindWindowExW(nullptr, h, L"BenchWnd", nullptr))
        windows.push_back(h);
    return windows;
}

// Stand-in processes with windows, ended with the returned owners.
std::vector<ChildProcess> StartApps(int processes, int windows) {
    const std::wstring exe = ProgramFolder() + L"TestWindow.exe";
    std::vector<ChildProcess> started;
    for (int p = 0; p < processes; ++p) {
        std::wstring command = L"\"" + exe + L"\" BenchWnd";
        for (int w = p; w < windows; w += processes) command += L" \"bench window " + std::to_wstring(w) + L"\"";
        if (p >= windows) command += L" \"bench idle " + std::to_wstring(p) + L"\"";
        started.emplace_back(exe, command);
    }
    // Windows of other processes appear a little after the processes start.
    for (int i = 0; i < 600 && BenchWindows().size() < static_cast<size_t>(std::max(windows, processes)); ++i)
        Sleep(100);
    return started;
}

DWORD ProcessCount() {
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    return bytes / sizeof(DWORD);
}

// Processes without windows until the desktop has `total` processes.
void AddIdleProcesses(std::vector<ChildProcess>& idle, DWORD total) {
    const std::wstring exe = ProgramFolder() + L"TestWindow.exe";
    for (DWORD n = ProcessCount(); n < total; ++n)
        idle.emplace_back(exe, L"\"" + exe + L"\" BenchIdle idle", nullptr, L"", Launch{CREATE_SUSPENDED});
}

// The least any walk does for these windows: each caption read once, and
// one image-name query for each window's process.
void Floor(const std::vector<HWND>& windows) {
    for (HWND hwnd : windows) {
        wchar_t caption[260];
        InternalGetWindowText(hwnd, caption, 260);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        wchar_t image[MAX_PATH];
        if (process) GetProcessImageFileNameW(process.get(), image, MAX_PATH);
    }
}

// The DLL as a host loads it, with a mode on that leaves the stand-ins'
// windows alone, so that ticks sweep.
class BenchHost {
public:
    BenchHost()
        : library_(LoadLibraryW(L"RestrictAction.dll")),
          notify_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {
        if (!library_) return;
        hostWnd_.m_hWnd = notify_.get();
        static const wchar_t kEmpty[] = L"";
        const int folderSlots[] = RA_SLOT_FOLDERS;
        context_[RA_SLOT_BASE_FOLDER] = const_cast<wchar_t*>(kEmpty);
        for (int slot : folderSlots) context_[slot] = const_cast<wchar_t*>(kEmpty);
        Export<PFN_RA_INITIAL>(library_.get(), "Initial")(&hostWnd_, context_, &enabled_, 0x7FFFFFFF, 0x7FFFFFFF);
        Export<PFN_RA_START>(library_.get(), "StartRestrict")(MODE_CONTROLWATCH, 0, nullptr, 0);
        controller_ = FindWindowW(nullptr, L"RestrictAction");
        restrict_ = Export<PFN_RA_RESTRICT>(library_.get(), "Restrict");
    }
    ~BenchHost() {
        if (library_) Export<PFN_RA_STOP>(library_.get(), "StopRestrict")(MODE_CONTROLWATCH);
    }
    BenchHost(const BenchHost&) = delete;
    BenchHost& operator=(const BenchHost&) = delete;

    bool Loaded() const { return static_cast<bool>(library_); }
    void Tick() const { Sweep(controller_); }
    void Walk() const { restrict_(L"\x1", L"\x1", RA_ACTION_END_MATCHING); }

    // Ticks 1-10 of each 11 look at the foreground only; the 11th walks.
    void Ticks(int rounds, std::vector<double>& foreground, std::vector<double>& walk) const {
        for (int round = 0; round < rounds; ++round)
            for (int t = 0; t < 11; ++t) (t < 10 ? foreground : walk).push_back(TimeMs([this] { Tick(); }));
    }

private:
    UniqueLibrary library_;
    UniqueWindow notify_;
    RA_HOST_WND hostWnd_{};
    void* context_[RA_HOST_CONTEXT_SLOTS] = {};
    BOOL enabled_ = TRUE;
    HWND controller_ = nullptr;
    PFN_RA_RESTRICT restrict_ = nullptr;
};

// A captioned foreground window of another process, as on a desktop.
void BringToFront(HWND front) {
    SetForegroundWindow(front);
    for (int i = 0; i < 100 && GetForegroundWindow() != front; ++i) Sleep(10);
}

struct CostRow {
    DWORD processes;
    double walk, floor, tick, floorOne;
};

// Walks and floors taken in turns, so that a change in the machine's load
// touches both alike.
CostRow MeasureCost(const BenchHost& host, const std::vector<HWND>& windows) {
    host.Walk();  // what the first sweep sets up once
    std::vector<double> walk, floor, tick, ignored, floorOne;
    for (int i = 0; i < 15; ++i) {
        walk.push_back(TimeMs([&] { host.Walk(); }));
        floor.push_back(TimeMs([&] { Floor(windows); }));
    }
    const std::vector<HWND> front(1, GetForegroundWindow());
    for (int round = 0; round < 3; ++round) {
        host.Ticks(1, tick, ignored);
        for (int i = 0; i < 10; ++i) floorOne.push_back(TimeMs([&] { Floor(front); }));
    }
    return {ProcessCount(), Median(walk), Median(floor), Median(tick), Median(floorOne)};
}

int CostTable() {
    constexpr int kWindows = 30;
    const auto apps = StartApps(kWindows, kWindows);
    const std::vector<HWND> windows = BenchWindows();
    BenchHost host;
    if (!host.Loaded() || windows.size() != kWindows) return 1;
    BringToFront(windows.front());

    std::vector<ChildProcess> idle;
    std::vector<CostRow> rows;
    for (DWORD total : {50u, 400u}) {
        AddIdleProcesses(idle, total);
        rows.push_back(MeasureCost(host, windows));
    }
    wprintf(L"%d windows, one per process; medians in ms\n", kWindows);
    wprintf(L"processes  full walk  floor  walk/floor  foreground tick  floor (1 window)  tick/floor\n");
    for (const CostRow& r : rows)
        wprintf(L"%9lu  %9.1f  %5.1f  %9.2fx  %15.2f  %16.2f  %9.2fx\n", r.processes, r.walk, r.floor, r.walk / r.floor,
                r.tick, r.floorOne, r.tick / r.floorOne);
    // The floor does not grow with the processes: the second ratio takes out
    // a change in the machine's load between the two rows.
    wprintf(L"full walk at %lu processes / at %lu: %.2fx (against the floor: %.2fx)\n", rows[1].processes,
            rows[0].processes, rows[1].walk / rows[0].walk,
            (rows[1].walk / rows[1].floor) / (rows[0].walk / rows[0].floor));
    return 0;
}

int OneLine(int processes, int windows, int sweeps) {
    const auto apps = StartApps(processes, windows);
    BenchHost host;
    if (!host.Loaded()) return 1;
    BringToFront(FindWindowW(L"BenchWnd", nullptr));

    std::vector<double> foreground, walk;
    host.Ticks(3, foreground, walk);
    for (int i = 0; i < 5; ++i) walk.push_back(TimeMs([&] { host.Walk(); }));

    const Usage before = Measure();
    for (int i = 0; i < sweeps; ++i) host.Tick();
    const Usage after = Measure();

    wprintf(L"processes %d windows %d: foreground sweep %.2f ms, full walk %.1f ms; after %d sweeps %ls\n", processes,
            windows, Median(foreground), Median(walk), sweeps, UsageChange(before, after).c_str());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 1) return CostTable();
    if (argc < 3) {
        fwprintf(stderr, L"usage: SweepBench [PROCESSES WINDOWS [SWEEPS]]\n");
        return 2;
    }
    return OneLine(_wtoi(argv[1]), _wtoi(argv[2]), argc > 3 ? _wtoi(argv[3]) : 0);
}
