#include "control/CRestrictAction.h"
#include "module/ModuleState.h"

#include <new>

namespace {

void Attach(HINSTANCE instance) {
    g_pRestrictAction = new (std::nothrow) CRestrictAction;
    // Runs OnCreate, which binds the process-enumeration entry points.
    // A controller whose window failed still answers the exports.
    if (g_pRestrictAction) g_pRestrictAction->CreateControllerWindow();
    g_hModuleInstance = instance;
}

void Detach() {
    if (!g_pRestrictAction) return;
    // Hooks still installed would call into unloaded code.
    g_pRestrictAction->RemoveOwnHooks();
    g_pRestrictAction->DestroyWindow();
    delete g_pRestrictAction;
    g_pRestrictAction = nullptr;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    try {
        if (reason == DLL_PROCESS_ATTACH) Attach(instance);
        if (reason == DLL_PROCESS_DETACH) Detach();
    } catch (...) {
        // The load goes on with whatever exists; the exports check for it.
    }
    return TRUE;
}
