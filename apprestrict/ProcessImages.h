// The process side: from a window to its process and image path, 16-bit
// tasks included, through PSAPI and VDMDBG entry points bound at run time.
#pragma once

#include "RestrictAction.h"
#include "fw/UniqueHandle.h"

#include <string>

// Process id and image path of the window under examination. Each keeps its
// previous value when a search finds nothing.
extern DWORD g_dwCurrentPid;
extern std::wstring g_strCurrentExePath;

// Called for every process (and 16-bit task) with its narrow ANSI image
// path, empty when the process could not be opened or named.
// Return TRUE to go on, FALSE to stop.
typedef BOOL(CALLBACK* ProcessImageProc)(DWORD dwProcessId, WORD hTask16, const char* pszImagePath, LPARAM lParam);

void ResetProcessEntryPoints();
void BindProcessEntryPoints();
void FreeProcessLibraries();

BOOL CALLBACK FindWindowPidProc(HWND hwnd, LPARAM lParam);
BOOL CALLBACK FindExePathProc(DWORD dwProcessId, WORD hTask16, const char* pszImagePath, LPARAM lParam);
// FALSE when the enumeration could not run at all.
BOOL EnumProcessImages(ProcessImageProc proc, LPARAM lParam);
BOOL Is64BitWindows();

// Ends the record's process (its dwProcessId, or g_dwCurrentPid when that is
// 0 or there is no record). A process that cannot be opened is left alone.
void TerminateApplication(const CLIENT_APP_INFO* pInfo);
// The same, but a process that cannot be opened has WM_CLOSE posted to
// `hwnd` instead.
void TerminateOrClose(const CLIENT_APP_INFO* pInfo, HWND hwnd);
// Opens the record's process for termination; empty when refused.
UniqueKernelHandle OpenProcessToTerminate(const CLIENT_APP_INFO* pInfo);
