#include "support/LoadCycles.h"

#include "support/TestHost.h"

#include <winternl.h>

#include <vector>

void BareCycle() {
    const UniqueLibrary library(LoadLibraryW(L"RestrictAction.dll"));
}

void HostCycle() {
    TestHost host;
    host.Initial(0, 0x7FFFFFFF);
    host.StartRestrict(MODE_APPWATCH);
    host.Tick();
}

namespace {

long FreeTlsIndexes() {
    std::vector<DWORD> taken;
    for (DWORD index; (index = TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(index);
    for (DWORD index : taken) TlsFree(index);
    return static_cast<long>(taken.size());
}

// The system handle list (information class 16), as it is laid out.
struct HandleEntry {
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT value;
    PVOID object;
    ULONG grantedAccess;
};
struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};

long ProcessHandles() {
    using Query = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    std::vector<char> buffer(1 << 16);
    NTSTATUS status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr)) ==
           kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status < 0) return -1;
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    long count = 0;
    for (ULONG i = 0; i < list->count; ++i) count += list->entries[i].processId == GetCurrentProcessId();
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

}  // namespace

ProcessCounters CountProcessResources() {
    return {FreeTlsIndexes(), ProcessHandles(), HeapBytes()};
}

CycleRun RunCycles(void (*cycle)(), int cycles) {
    for (int i = 0; i < 10; ++i) cycle();
    CycleRun run{CountProcessResources(), {}, 0};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < cycles; ++i) cycle();
    QueryPerformanceCounter(&end);
    run.after = CountProcessResources();
    run.msPerCycle = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                     static_cast<double>(frequency.QuadPart) / cycles;
    return run;
}

bool CycleRun::Flat() const {
    constexpr long long kHeapSlack = 4096;
    return after.freeTlsIndexes >= before.freeTlsIndexes && after.handles <= before.handles &&
           after.heapBytes - before.heapBytes <= kHeapSlack;
}

std::wstring CycleRun::Change() const {
    return L"TLS free " + std::to_wstring(before.freeTlsIndexes) + L" -> " + std::to_wstring(after.freeTlsIndexes) +
           L", handles " + std::to_wstring(before.handles) + L" -> " + std::to_wstring(after.handles) +
           L", heap bytes " + std::to_wstring(before.heapBytes) + L" -> " + std::to_wstring(after.heapBytes);
}
