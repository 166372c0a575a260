#include "apprestrict/ProcessImages.h"

#include "fw/Text.h"

#include <psapi.h>

DWORD g_dwCurrentPid = 0;
std::wstring g_strCurrentExePath;

namespace {

using PFN_EnumProcessModules = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using PFN_GetModuleFileNameExA = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

UniqueLibrary g_hPsapi;
PFN_EnumProcessModules g_pfnEnumProcessModules;
PFN_GetModuleFileNameExA g_pfnGetModuleFileNameExA;
BOOL g_bWow64;  // this module runs 32-bit on 64-bit Windows

constexpr size_t kNameBytes = 520;

template <typename F>
void Bind(F& entry, HMODULE module, const char* name) {
    if (!entry) entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A 32-bit module cannot list a 64-bit process's modules (EnumProcessModules
// fails with ERROR_PARTIAL_COPY). Asking anyway would cost more than all the
// rest of a window's turn, so such a process goes to its image file name.
bool MayListModules(HANDLE process) {
    BOOL wow64 = FALSE;
    return !g_bWow64 || !IsWow64Process(process, &wow64) || wow64;
}

}  // namespace

void BindProcessEntryPoints() {
    IsWow64Process(GetCurrentProcess(), &g_bWow64);
    g_hPsapi.reset(LoadLibraryW(L"PSAPI.DLL"));
    if (!g_hPsapi) return;
    Bind(g_pfnEnumProcessModules, g_hPsapi.get(), "EnumProcessModules");
    Bind(g_pfnGetModuleFileNameExA, g_hPsapi.get(), "GetModuleFileNameExA");
}

void FreeProcessLibraries() {
    g_pfnEnumProcessModules = nullptr;
    g_pfnGetModuleFileNameExA = nullptr;
    g_hPsapi.reset();
}

std::wstring ProcessImagePath(DWORD pid) {
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process) return {};
    char name[kNameBytes] = {};
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (g_pfnEnumProcessModules && g_pfnGetModuleFileNameExA && MayListModules(process.get()) &&
        g_pfnEnumProcessModules(process.get(), &first, sizeof(first), &needed) &&
        g_pfnGetModuleFileNameExA(process.get(), first, name, kNameBytes) == 0)
        name[0] = '\0';
    if (!name[0]) GetProcessImageFileNameA(process.get(), name, kNameBytes);
    name[kNameBytes - 1] = '\0';
    return FromAnsi(name);
}

UniqueKernelHandle OpenProcessToTerminate(const CLIENT_APP_INFO* pInfo) {
    const DWORD pid = pInfo && pInfo->dwProcessId ? pInfo->dwProcessId : g_dwCurrentPid;
    if (!pid) return {};
    return UniqueKernelHandle(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
}
