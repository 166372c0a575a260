#include "control/CRestrictAction.h"
#include "module/ModuleState.h"
#include "module/Runtime.h"

#include <new>

namespace {

void Attach() {
    g_pRestrictAction = new (std::nothrow) CRestrictAction;
    if (g_pRestrictAction) g_pRestrictAction->CreateControllerWindow();
}

// May run on any thread, under the loader lock: nothing here waits for
// another thread. From a thread other than the loading one the window is
// left to its own thread to close (Window::Destroy).
void Detach() {
    if (g_pRestrictAction) {
        // Hooks still installed would call into unloaded code.
        g_pRestrictAction->RemoveOwnHooks();
        // Removes the foreground event hook, the timer and the window.
        delete g_pRestrictAction;
        g_pRestrictAction = nullptr;
    }
    ReleaseRuntime();
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    try {
        if (reason == DLL_PROCESS_ATTACH) Attach();
        if (reason == DLL_PROCESS_DETACH) Detach();
    } catch (...) {
        // The load goes on with whatever exists; the exports check for it.
    }
    return TRUE;
}
