// The five exports: forward to the controller, return 1 whatever happens.
// No exception ever crosses into the host.
#include "RestrictAction.h"
#include "control/CRestrictAction.h"
#include "module/ModuleState.h"

namespace {

template <typename F>
BOOL Forward(F&& call) noexcept {
    if (!g_pRestrictAction) return TRUE;
    try {
        call(*g_pRestrictAction);
    } catch (...) {
    }
    return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI Initial(void* pHostWnd, void* pHostContext, BOOL* pbEnabled, DWORD dwAppWatchPeriod,
                    UINT nTimerInterval) {
    return Forward([&](CRestrictAction& c) {
        c.Initial(pHostWnd, pHostContext, pbEnabled, dwAppWatchPeriod, nTimerInterval);
    });
}

BOOL WINAPI Restrict(LPCWSTR pszTitle, LPCWSTR pszPath, int nAction) {
    return Forward([&](CRestrictAction& c) { c.RestrictAction(pszTitle, pszPath, nAction); });
}

BOOL WINAPI StartRestrict(int nMode, DWORD nParam, void* pParam, DWORD nExtra) {
    return Forward([&](CRestrictAction& c) { c.StartRestrictAction(nMode, nParam, pParam, nExtra); });
}

BOOL WINAPI StopRestrict(int nMode) {
    return Forward([&](CRestrictAction& c) { c.StopRestrictAction(nMode); });
}

BOOL WINAPI IsRestrict(int nMode) {
    return Forward([&](CRestrictAction& c) { c.IsRestrict(nMode); });
}

}  // extern "C"
