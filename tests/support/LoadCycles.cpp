#include "support/LoadCycles.h"

#include "support/TestHost.h"

#include <vector>

void BareCycle() { const UniqueLibrary library(LoadLibraryW(L"RestrictAction.dll")); }

void HostCycle() {
    TestHost host;
    host.Initial(0, 0x7FFFFFFF);
    host.StartRestrict(MODE_APPWATCH);
    host.Tick();
}

namespace {

long long UsedTlsIndexes() {
    std::vector<DWORD> taken;
    for (DWORD index; (index = TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(index);
    for (DWORD index : taken) TlsFree(index);
    return 1088 - static_cast<long long>(taken.size());  // 64 slots and 1,024 more
}

// Wine's GetProcessHandleCount gives 0.
long long OpenHandles() {
    long long count = 0;
    DWORD flags;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    return count;
}

long long HeapBytes() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    long long busy = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
        HeapUnlock(heap);
    }
    return busy;
}

void Count(long long (&counts)[3]) {
    counts[0] = UsedTlsIndexes();
    counts[1] = OpenHandles();
    counts[2] = HeapBytes();
}

}  // namespace

CycleRun RunCycles(void (*cycle)(), int cycles) {
    for (int i = 0; i < 10; ++i) cycle();
    CycleRun run{};
    Count(run.before);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < cycles; ++i) cycle();
    QueryPerformanceCounter(&end);
    Count(run.after);
    run.msPerCycle = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                     static_cast<double>(frequency.QuadPart) / cycles;
    return run;
}

std::wstring CycleRun::Change() const {
    std::wstring change;
    const wchar_t* const names[] = {L"TLS indexes ", L", handles ", L", heap bytes "};
    for (int i = 0; i < 3; ++i) change += names[i] + std::to_wstring(before[i]) + L" -> " + std::to_wstring(after[i]);
    return change;
}
