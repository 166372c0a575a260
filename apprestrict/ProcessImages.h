// The process side: a window's process named by its image path, and the
// handle that ends it. PSAPI's module entry points are bound at run time.
#pragma once

#include "RestrictAction.h"
#include "fw/UniqueHandle.h"

#include <string>

// Process id and image path of the window under examination, set for each
// window the sweep examines: id 0 and an empty path when that window had
// gone, so that they never describe an earlier window. A record whose
// dwProcessId is 0 falls back to them.
extern DWORD g_dwCurrentPid;
extern std::wstring g_strCurrentExePath;

// Binds the entry points when the controller's window is created; a missing
// library or entry point leaves its variable null. Freed, and the entry
// points cleared, with the controller.
void BindProcessEntryPoints();
void FreeProcessLibraries();

// The image path of process `pid`, from narrow ANSI text: its first module's
// file name through PSAPI, else its image file name, which is in device form
// (\Device\HarddiskVolumeN\...), as a 32-bit module sees a 64-bit process.
// Empty when the process cannot be opened or named. A 16-bit task's window
// belongs to its NTVDM process and is named ntvdm.exe, as hosts have always
// seen it.
std::wstring ProcessImagePath(DWORD pid);

// Opens the record's process (its dwProcessId, or g_dwCurrentPid when that
// is 0) for termination; empty when refused or when there is no process.
UniqueKernelHandle OpenProcessToTerminate(const CLIENT_APP_INFO* pInfo);
