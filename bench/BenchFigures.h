// What the benchmarks measure and how: time per call, and the process's
// handle count and committed private memory before and after a run.
#pragma once

#include "fw/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// One sweep, started the way the module's own timer (identifier 100) does.
inline void Sweep(HWND controller) {
    SendMessageW(controller, WM_TIMER, 100, 0);
}

// The positive count a benchmark takes as its first argument, `fallback`
// without one; 0, with `usage` printed, for anything else.
inline int CountArgument(int argc, wchar_t** argv, int fallback, const wchar_t* usage) {
    const int count = argc > 1 ? _wtoi(argv[1]) : fallback;
    if (count > 0) return count;
    fwprintf(stderr, L"usage: %ls\n", usage);
    return 0;
}

template <typename F>
double TimeMs(F&& f) {
    LARGE_INTEGER frequency, a, b;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&a);
    f();
    QueryPerformanceCounter(&b);
    return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Usage {
    ULONG_PTR handles;
    SIZE_T privateBytes;
};

// Handle count where the system reports it; else the value of a fresh
// handle, which grows only when handles leak (freed slots are reused).
// Private bytes: committed private memory, from the address space itself
// (Wine reports no PrivateUsage).
inline Usage Measure() {
    Usage u{};
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count) {
        u.handles = count;
    } else {
        const UniqueKernelHandle probe(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        u.handles = reinterpret_cast<ULONG_PTR>(probe.get()) / 4;
    }
    MEMORY_BASIC_INFORMATION info;
    for (const char* p = nullptr; VirtualQuery(p, &info, sizeof(info)) == sizeof(info);
         p = static_cast<const char*>(info.BaseAddress) + info.RegionSize)
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) u.privateBytes += info.RegionSize;
    return u;
}

// "handles B -> A, private bytes B KiB -> A KiB"
inline std::wstring UsageChange(const Usage& before, const Usage& after) {
    return L"handles " + std::to_wstring(before.handles) + L" -> " + std::to_wstring(after.handles) +
           L", private bytes " + std::to_wstring(before.privateBytes / 1024) + L" KiB -> " +
           std::to_wstring(after.privateBytes / 1024) + L" KiB";
}
