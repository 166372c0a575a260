// Load and unload cycles of the module through the host path, and what they
// may leave behind in this process, counted from the outside: free TLS
// indexes, kernel handles and busy heap bytes.
#pragma once

#include <windows.h>

#include <string>

// LoadLibrary and FreeLibrary, nothing called.
void BareCycle();
// A host's lesson: load, Initial, a mode started, one tick, unload.
void HostCycle();

struct ProcessCounters {
    long freeTlsIndexes;
    long handles;  // from the system's handle list: Wine's GetProcessHandleCount gives 0
    long long heapBytes;
};

ProcessCounters CountProcessResources();

struct CycleRun {
    ProcessCounters before, after;
    double msPerCycle;
    // No TLS index or handle more in use, and no heap growth beyond what the
    // system's own blocks may add between two counts.
    bool Flat() const;
    // "TLS free B -> A, handles B -> A, heap bytes B -> A"
    std::wstring Change() const;
};

// `cycles` cycles, counted after a warm-up in which the system libraries the
// module imports are loaded and their caches filled once.
CycleRun RunCycles(void (*cycle)(), int cycles);
