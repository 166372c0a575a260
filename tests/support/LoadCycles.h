// Load and unload cycles, and the TLS indexes, handles and heap bytes they leave behind.
#pragma once

#include <windows.h>

#include <string>

void BareCycle();  // LoadLibrary and FreeLibrary
void HostCycle();  // load, Initial, a mode started, one tick, unload

struct CycleRun {
    long long before[3], after[3];  // TLS indexes in use, handles, heap bytes
    double msPerCycle;
    bool Flat() const { return after[0] <= before[0] && after[1] <= before[1] && after[2] - before[2] <= 4096; }
    std::wstring Change() const;
};

CycleRun RunCycles(void (*cycle)(), int cycles);
