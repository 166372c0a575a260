// Load and unload cycles of the module through the host path, and what they
// may leave behind in this process, counted from the outside: free TLS
// indexes, kernel handles (from the system's handle list: Wine's
// GetProcessHandleCount gives 0) and busy heap bytes.
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
    // Nothing more in use, and no heap growth beyond what the system's own
    // blocks may add between two counts.
    bool Flat() const { return after[0] <= before[0] && after[1] <= before[1] && after[2] - before[2] <= 4096; }
    // "TLS indexes B -> A, handles B -> A, heap bytes B -> A"
    std::wstring Change() const;
};

// `cycles` cycles, counted after a warm-up in which the system libraries the
// module imports are loaded and their caches filled once.
CycleRun RunCycles(void (*cycle)(), int cycles);
