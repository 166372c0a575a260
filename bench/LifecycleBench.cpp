// Load and unload benchmark, through the host path. A host that loads the
// module per lesson or per exam must be able to do so for ever: a run of
// CYCLES cycles, after a warm-up, must leave the free TLS indexes, the
// process's kernel handles and its busy heap bytes where they were.
//
//   LifecycleBench.exe [CYCLES]      2000 by default
//
// Two runs: LoadLibrary and FreeLibrary alone, then a host's lesson (Initial,
// a mode started, one tick). Prints a line per run: the time of one cycle and
// the three figures before and after. Fails (exit 1) when a figure grew.
#include "bench/BenchFigures.h"
#include "support/LoadCycles.h"

#include <cwchar>

namespace {

bool Report(const wchar_t* name, const CycleRun& run, int cycles) {
    wprintf(L"%ls, %d cycles: %.2f ms per cycle; %ls\n", name, cycles, run.msPerCycle, run.Change().c_str());
    return run.Flat();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int cycles = CountArgument(argc, argv, 2000, L"LifecycleBench [CYCLES]");
    if (!cycles) return 2;
    const bool bare = Report(L"LoadLibrary and FreeLibrary", RunCycles(&BareCycle, cycles), cycles);
    const bool host = Report(L"Initial, a mode and a tick in between", RunCycles(&HostCycle, cycles), cycles);
    return bare && host ? 0 : 1;
}
