/*
 * RestrictAction.dll - the interface between a host program and the module.
 *
 * C-compatible. Everything here is a 32-bit layout: the module is a 32-bit
 * DLL and so is every host that loads it.
 *
 * How a host uses the module:
 *   1. LoadLibrary("RestrictAction.dll") on a thread that dispatches window
 *      messages for as long as the library stays loaded.
 *   2. Initial() once, on that same thread.
 *   3. StartRestrict()/StopRestrict() per mode; Restrict() and IsRestrict()
 *      at any time. MODE_URLRESTRICT installs low-level input hooks on the
 *      calling thread, which must dispatch messages while the mode is on.
 *   4. StopRestrict(MODE_URLRESTRICT) before FreeLibrary().
 * Every export returns 1, whatever happens.
 */
#ifndef RESTRICTACTION_H
#define RESTRICTACTION_H

#include <stddef.h>
#include <windows.h>

#ifdef __cplusplus
#define RA_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
extern "C" {
#else
#define RA_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#ifdef _WIN64
#error "RestrictAction is a 32-bit module: its host layouts assume 4-byte pointers"
#endif

/* ---- Modes (nMode of StartRestrict, StopRestrict, IsRestrict) ---------- */
#define MODE_IELOCK       1 /* pParam: list of records, szAppExeName = browser exe */
#define MODE_URLRESTRICT  2 /* nParam: 0 allow list, else deny list;
                               pParam: list of records, szAppExeName and
                               szAppExePath = address patterns, found in
                               the address ignoring case; an empty pattern
                               matches nothing;
                               nExtra: 0 ask the host (0x594) first */
#define MODE_APPRESTRICT  3 /* nParam: 0 allow list, else deny list;
                               pParam: list of records (szAppExeName) */
#define MODE_APPWATCH     4 /* period given to Initial */
#define MODE_CONTROLWATCH 5 /* nParam: category mask, see RA_CONTROL_* */

/* Categories of MODE_CONTROLWATCH (nParam bits). */
#define RA_CONTROL_SYSTEM_PROPERTIES  0x01
#define RA_CONTROL_NETWORK_PROPERTIES 0x02
#define RA_CONTROL_EXPLORER           0x04
#define RA_CONTROL_PRINTER            0x08
#define RA_CONTROL_APP_RUN            0x10
#define RA_CONTROL_CONTROL_PANEL      0x20

/* ---- Actions of Restrict (nAction) -------------------------------------- */
#define RA_ACTION_END_MATCHING 0 /* end windows whose caption == pszTitle or
                                    whose exe name occurs in pszPath */
#define RA_ACTION_END_ALL      1 /* the same, and every non-exempt window */
#define RA_ACTION_MINIMIZE     2 /* minimise every non-exempt window */
#define RA_ACTION_MAXIMIZE     3 /* maximise every non-exempt window */

/* ---- Messages sent (SendMessageW) to the host window -------------------- */
#define WM_RA_APPWATCH_REPORT (WM_USER + 400) /* 0x590 wParam RA_PTRLIST*, lParam 0 */
#define WM_RA_APP_RESTRICTED  (WM_USER + 401) /* 0x591 wParam CLIENT_APP_INFO*, lParam APPRESTRICT nParam */
#define WM_RA_URL_RESTRICTED  (WM_USER + 403) /* 0x593 wParam CLIENT_APP_INFO*, lParam URLRESTRICT nParam */
#define WM_RA_URL_CONFIRM     (WM_USER + 404) /* 0x594 wParam HWND, lParam URLRESTRICT nParam;
                                                 reply non-zero: the host dealt with it */
/* Records and lists passed with these messages live only during the call. */

#define RA_TEXT_LEN 260 /* 259 characters and the terminator */

/* ---- One window and its application; also the element of host lists ---- */
typedef struct tagCLIENT_APP_INFO {
    BOOL bForeground;                 /* 1: the foreground window */
    DWORD dwReserved1[2];
    WCHAR szWindowTitle[RA_TEXT_LEN];
    WCHAR szAppExeName[RA_TEXT_LEN];  /* lower case, "explorer.exe" */
    WCHAR szAppExePath[RA_TEXT_LEN];
    WCHAR szReserved[RA_TEXT_LEN];
    DWORD dwProcessId;                /* 0: not obtained */
    DWORD dwReserved2;
} CLIENT_APP_INFO;

RA_STATIC_ASSERT(sizeof(CLIENT_APP_INFO) == 2100, "record size");
RA_STATIC_ASSERT(offsetof(CLIENT_APP_INFO, szWindowTitle) == 12, "szWindowTitle");
RA_STATIC_ASSERT(offsetof(CLIENT_APP_INFO, szAppExeName) == 532, "szAppExeName");
RA_STATIC_ASSERT(offsetof(CLIENT_APP_INFO, szAppExePath) == 1052, "szAppExePath");
RA_STATIC_ASSERT(offsetof(CLIENT_APP_INFO, dwProcessId) == 2092, "dwProcessId");

/* ---- Host framework pointer list (CPtrList), as its inline accessors see it.
 * The module only walks head to tail through pNext. The report list sent
 * with WM_RA_APPWATCH_REPORT has this layout too; its vtable is null, so a
 * host must use only the inline accessors (GetHeadPosition, GetNext,
 * GetCount, IsEmpty) and never delete or change it. */
typedef struct RA_PTRLIST_NODE {
    struct RA_PTRLIST_NODE* pNext;
    struct RA_PTRLIST_NODE* pPrev;
    void* data; /* CLIENT_APP_INFO* */
} RA_PTRLIST_NODE;

typedef struct RA_PTRLIST {
    const void* vtable;
    RA_PTRLIST_NODE* pNodeHead;
    RA_PTRLIST_NODE* pNodeTail;
    INT_PTR nCount;
    RA_PTRLIST_NODE* pNodeFree;
    void* pBlocks;
    INT_PTR nBlockSize;
} RA_PTRLIST;

RA_STATIC_ASSERT(sizeof(RA_PTRLIST_NODE) == 12, "list node");
RA_STATIC_ASSERT(offsetof(RA_PTRLIST_NODE, data) == 8, "node data");
RA_STATIC_ASSERT(sizeof(RA_PTRLIST) == 28, "list size");
RA_STATIC_ASSERT(offsetof(RA_PTRLIST, pNodeHead) == 4, "list head");
RA_STATIC_ASSERT(offsetof(RA_PTRLIST, nCount) == 12, "list count");
RA_STATIC_ASSERT(offsetof(RA_PTRLIST, nBlockSize) == 24, "list block size");

/* ---- Host window object (framework CWnd, 32-bit shared-library build):
 * vtable and command-target fields come first; the window handle that
 * receives the notifications sits 32 bytes into the object. */
typedef struct RA_HOST_WND {
    const void* vtable;
    BYTE framework[28];
    HWND m_hWnd;
} RA_HOST_WND;

RA_STATIC_ASSERT(offsetof(RA_HOST_WND, m_hWnd) == 32, "host window handle");

/* ---- Host log object. A host string object is one pointer to its
 * null-terminated UTF-16 characters. */
typedef struct CHostLog {
    void* pHost0;            /*  0 not used by the module */
    void* pFile;             /*  4 set by the module while it writes a line */
    const WCHAR* pszPath;    /*  8 host string: full path of the log file */
    BOOL bEnabled;           /* 12 0: nothing is written */
    DWORD dwLevelMask;       /* 16 levels to write; 1 = every level */
    DWORD dwHost20;          /* 20 not used by the module */
    CRITICAL_SECTION lock;   /* 24 initialised by the host */
} CHostLog;

RA_STATIC_ASSERT(offsetof(CHostLog, pFile) == 4, "log file pointer");
RA_STATIC_ASSERT(offsetof(CHostLog, pszPath) == 8, "log path");
RA_STATIC_ASSERT(offsetof(CHostLog, bEnabled) == 12, "log enabled");
RA_STATIC_ASSERT(offsetof(CHostLog, dwLevelMask) == 16, "log mask");
RA_STATIC_ASSERT(offsetof(CHostLog, lock) == 24, "log lock");
RA_STATIC_ASSERT(sizeof(CRITICAL_SECTION) == 24, "log lock size");

/* Log levels (the host's mask selects them; 16 is always written). */
#define RA_LOG_SYSTEM 2
#define RA_LOG_TRACE  4
#define RA_LOG_ERROR  8
#define RA_LOG_ALWAYS 16

/* ---- Host context record: read by pointer-sized slot. String slots hold
 * a host string object, i.e. the address of UTF-16 characters. */
#define RA_SLOT_LOG          18  /* CHostLog*                          (byte  72) */
#define RA_SLOT_BASE_FOLDER  49  /* base folder, ends with a backslash (byte 196) */
/* Host program folders; programs below them are never restricted. */
#define RA_SLOT_FOLDER_0     48  /* byte 192 */
#define RA_SLOT_FOLDER_1     56  /* byte 224 */
#define RA_SLOT_FOLDER_2     72  /* byte 288 */
#define RA_SLOT_FOLDER_3     80  /* byte 320 */
#define RA_SLOT_FOLDER_4     88  /* byte 352 */
#define RA_SLOT_FOLDER_5     96  /* byte 384 */
#define RA_SLOT_FOLDER_6    104  /* byte 416 */
#define RA_SLOT_FOLDER_7    112  /* byte 448 */
/* All eight in order, as an initializer: int slots[] = RA_SLOT_FOLDERS; */
#define RA_SLOT_FOLDERS { RA_SLOT_FOLDER_0, RA_SLOT_FOLDER_1, RA_SLOT_FOLDER_2, RA_SLOT_FOLDER_3, \
                          RA_SLOT_FOLDER_4, RA_SLOT_FOLDER_5, RA_SLOT_FOLDER_6, RA_SLOT_FOLDER_7 }
#define RA_HOST_CONTEXT_SLOTS 113 /* the least a context record must hold */

/* ---- Exports (ordinals 1 to 5, undecorated, __stdcall) ------------------ */
BOOL WINAPI Initial(void* pHostWnd, void* pHostContext, BOOL* pbEnabled,
                    DWORD dwAppWatchPeriod, UINT nTimerInterval);
BOOL WINAPI Restrict(LPCWSTR pszTitle, LPCWSTR pszPath, int nAction);
BOOL WINAPI StartRestrict(int nMode, DWORD nParam, void* pParam, DWORD nExtra);
BOOL WINAPI StopRestrict(int nMode);
BOOL WINAPI IsRestrict(int nMode);

typedef BOOL(WINAPI* PFN_RA_INITIAL)(void*, void*, BOOL*, DWORD, UINT);
typedef BOOL(WINAPI* PFN_RA_RESTRICT)(LPCWSTR, LPCWSTR, int);
typedef BOOL(WINAPI* PFN_RA_START)(int, DWORD, void*, DWORD);
typedef BOOL(WINAPI* PFN_RA_STOP)(int);
typedef BOOL(WINAPI* PFN_RA_ISRESTRICT)(int);

#ifdef __cplusplus
}
#endif

#endif
