// What the C++ runtime linked into the library keeps per load.
#pragma once

// Frees what the runtime took at load and would keep after unload. Called
// last at detach; no exception may be thrown in the library after it.
void ReleaseRuntime() noexcept;
