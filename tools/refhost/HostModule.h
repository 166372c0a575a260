// The module's exports by name, as every host in this project calls them.
#pragma once

#include "RestrictAction.h"

template <typename F>
F Export(HMODULE dll, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}
