#include "apprestrict/ProcessImages.h"

#include "fw/Text.h"

#include <psapi.h>

#include <cstring>
#include <memory>

DWORD g_dwCurrentPid = 0;
std::wstring g_strCurrentExePath;

namespace {

using PFN_EnumProcesses = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using PFN_EnumProcessModules = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using PFN_GetModuleFileNameExA = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using TaskEnumProcEx = BOOL(WINAPI*)(DWORD, WORD, WORD, PSZ, PSZ, LPARAM);
using PFN_VDMEnumTaskWOWEx = INT(WINAPI*)(DWORD, TaskEnumProcEx, LPARAM);

HMODULE g_hPsapi;
HMODULE g_hVdmDbg;
PFN_EnumProcesses g_pfnEnumProcesses;
PFN_EnumProcessModules g_pfnEnumProcessModules;
PFN_GetModuleFileNameExA g_pfnGetModuleFileNameExA;
PFN_VDMEnumTaskWOWEx g_pfnVDMEnumTaskWOWEx;

constexpr size_t kNameBytes = 520;

struct WowEnumContext {
    DWORD dwProcessId;
    ProcessImageProc pfnCallback;
    LPARAM lParam;
    BOOL bStop;
};

template <typename F>
void Bind(F& entry, HMODULE module, const char* name) {
    if (!entry) entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

BOOL WINAPI WowTaskProc(DWORD, WORD, WORD hTask16, PSZ, PSZ pszFileName, LPARAM lParam) {
    auto* context = reinterpret_cast<WowEnumContext*>(lParam);
    const BOOL goOn = context->pfnCallback(context->dwProcessId, hTask16, pszFileName, context->lParam);
    if (!goOn) context->bStop = TRUE;
    return !goOn;
}

struct HeapFree_ {
    void operator()(DWORD* p) const noexcept { HeapFree(GetProcessHeap(), 0, p); }
};
using ProcessIds = std::unique_ptr<DWORD, HeapFree_>;

// All process ids, growing the buffer until EnumProcesses leaves room.
bool AllProcessIds(ProcessIds& ids, DWORD& count) {
    for (DWORD size = 1024;; size *= 2) {
        ids.reset(static_cast<DWORD*>(HeapAlloc(GetProcessHeap(), 0, size)));
        if (!ids) return false;
        DWORD returned = 0;
        if (!g_pfnEnumProcesses(ids.get(), size, &returned)) return false;
        if (returned < size) {
            count = returned / sizeof(DWORD);
            return true;
        }
    }
}

void ImagePathOf(DWORD pid, char (&name)[kNameBytes]) {
    UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process) return;
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (g_pfnEnumProcessModules(process.get(), &first, sizeof(first), &needed) &&
        g_pfnGetModuleFileNameExA(process.get(), first, name, kNameBytes) == 0)
        name[0] = '\0';
    if (!name[0]) GetProcessImageFileNameA(process.get(), name, kNameBytes);
    name[kNameBytes - 1] = '\0';
}

bool IsNtvdm(const char* name) {
    const size_t n = strlen(name);
    return n >= 9 && _stricmp(name + n - 9, "NTVDM.EXE") == 0;
}

}  // namespace

void ResetProcessEntryPoints() {
    g_hPsapi = nullptr;
    g_hVdmDbg = nullptr;
    g_pfnEnumProcesses = nullptr;
    g_pfnEnumProcessModules = nullptr;
    g_pfnGetModuleFileNameExA = nullptr;
    g_pfnVDMEnumTaskWOWEx = nullptr;
}

void BindProcessEntryPoints() {
    g_hPsapi = LoadLibraryW(L"PSAPI.DLL");
    g_hVdmDbg = LoadLibraryW(L"VDMDBG.DLL");
    if (g_hPsapi) {
        Bind(g_pfnEnumProcesses, g_hPsapi, "EnumProcesses");
        Bind(g_pfnEnumProcessModules, g_hPsapi, "EnumProcessModules");
        Bind(g_pfnGetModuleFileNameExA, g_hPsapi, "GetModuleFileNameExA");
    }
    if (g_hVdmDbg) Bind(g_pfnVDMEnumTaskWOWEx, g_hVdmDbg, "VDMEnumTaskWOWEx");
}

void FreeProcessLibraries() {
    if (g_hPsapi) FreeLibrary(g_hPsapi);
    if (g_hVdmDbg) FreeLibrary(g_hVdmDbg);
    ResetProcessEntryPoints();
}

BOOL CALLBACK FindWindowPidProc(HWND hwnd, LPARAM lParam) {
    if (hwnd != reinterpret_cast<HWND>(lParam)) return TRUE;
    GetWindowThreadProcessId(hwnd, &g_dwCurrentPid);
    return FALSE;
}

BOOL CALLBACK FindExePathProc(DWORD dwProcessId, WORD, const char* pszImagePath, LPARAM) {
    if (dwProcessId != g_dwCurrentPid) return TRUE;
    g_strCurrentExePath = FromAnsi(pszImagePath);
    return FALSE;
}

BOOL Is64BitWindows() {
    using PFN_GetNativeSystemInfo = void(WINAPI*)(LPSYSTEM_INFO);
    PFN_GetNativeSystemInfo native = nullptr;
    Bind(native, GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo");
    SYSTEM_INFO info{};
    if (native)
        native(&info);
    else
        GetSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

BOOL EnumProcessImages(ProcessImageProc proc, LPARAM lParam) {
    const BOOL is64 = Is64BitWindows();
    if (!g_hPsapi || (!g_hVdmDbg && !is64)) return FALSE;
    if (!g_pfnEnumProcesses || !g_pfnEnumProcessModules || !g_pfnGetModuleFileNameExA) return FALSE;
    if (!g_pfnVDMEnumTaskWOWEx && !is64) return FALSE;

    ProcessIds ids;
    DWORD count = 0;
    if (!AllProcessIds(ids, count)) return FALSE;
    for (DWORD i = 0; i < count; ++i) {
        const DWORD pid = ids.get()[i];
        char name[kNameBytes] = {};
        ImagePathOf(pid, name);
        if (!proc(pid, 0, name, lParam)) return TRUE;
        if (IsNtvdm(name) && !is64) {
            WowEnumContext context{pid, proc, lParam, FALSE};
            g_pfnVDMEnumTaskWOWEx(pid, &WowTaskProc, reinterpret_cast<LPARAM>(&context));
            if (context.bStop) return TRUE;
        }
    }
    return TRUE;
}

UniqueKernelHandle OpenProcessToTerminate(const CLIENT_APP_INFO* pInfo) {
    const DWORD pid = pInfo && pInfo->dwProcessId ? pInfo->dwProcessId : g_dwCurrentPid;
    return UniqueKernelHandle(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
}

void TerminateApplication(const CLIENT_APP_INFO* pInfo) {
    if (auto process = OpenProcessToTerminate(pInfo)) TerminateProcess(process.get(), 0);
}

void TerminateOrClose(const CLIENT_APP_INFO* pInfo, HWND hwnd) {
    if (auto process = OpenProcessToTerminate(pInfo))
        TerminateProcess(process.get(), 0);
    else
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
}
