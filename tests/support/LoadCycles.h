// Load and unload cycles of the module through the host path, and the TLS
// indexes, handles and heap bytes they may leave behind in this process
// (counted from the outside: Wine's GetProcessHandleCount gives 0).
#pragma once

#include <windows.h>

#include <string>

// LoadLibrary and FreeLibrary, nothing called.
void BareCycle();
// A host's lesson: load, Initial, a mode started, one tick, unload.
void HostCycle();

struct CycleRun {
    long long before[3], after[3];  // TLS indexes in use, handles, heap bytes
    double msPerCycle;
    // Heap growth within what the system's own blocks may add between counts.
    bool Flat() const { return after[0] <= before[0] && after[1] <= before[1] && after[2] - before[2] <= 4096; }
    // "TLS indexes B -> A, handles B -> A, heap bytes B -> A"
    std::wstring Change() const;
};

// Counted after a warm-up that loads the system libraries the module imports.
CycleRun RunCycles(void (*cycle)(), int cycles);
