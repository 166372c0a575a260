/*
 * minimal_host.c - the least a host does with RestrictAction.dll, in C99,
 * with nothing but RestrictAction.h and the Win32 API.
 *
 *   minimal_host.exe DENIED.exe [SECONDS]
 *
 * Loads the module, denies the program DENIED.exe (MODE_APPRESTRICT), asks
 * for a report of the application windows every 2 s (MODE_APPWATCH), prints
 * each notification as it arrives, and after SECONDS (default 10) stops the
 * modes, unloads the module and exits. The module's log goes to
 * minimal_host.log in the working folder, which is also the base folder
 * (Config\Restrict.ini is read from there, if present).
 */
#include "RestrictAction.h"

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static void PrintRecord(const CLIENT_APP_INFO* r) {
    wprintf(L"%ls  pid %lu  \"%ls\"  %ls\n", r->szAppExeName, (unsigned long)r->dwProcessId, r->szWindowTitle,
            r->szAppExePath);
}

/* Runs on this thread, inside DispatchMessage: the module sends (not posts)
 * its notifications while it holds its lock. Records and lists live only
 * during the call: copy what you keep, and return quickly. */
static LRESULT CALLBACK NotifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_RA_APPWATCH_REPORT: {
        const RA_PTRLIST* list = (const RA_PTRLIST*)wParam;
        wprintf(L"0x590 APPWATCH report: %d window(s)\n", (int)list->nCount);
        for (const RA_PTRLIST_NODE* node = list->pNodeHead; node; node = node->pNext) {
            wprintf(L"    ");
            PrintRecord((const CLIENT_APP_INFO*)node->data);
        }
        break;
    }
    case WM_RA_APP_RESTRICTED:
        wprintf(L"0x591 application restricted, ended: ");
        PrintRecord((const CLIENT_APP_INFO*)wParam);
        break;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    fflush(stdout);
    return 0;
}

/* Dispatches this thread's messages for `ms`: the module's timer, and with
 * it every sweep and notification, runs only while this loop runs. */
static void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed; (elapsed = GetTickCount() - start) < ms;) {
        MSG msg;
        MsgWaitForMultipleObjects(0, NULL, FALSE, ms - elapsed, QS_ALLINPUT);
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3) {
        fwprintf(stderr, L"usage: minimal_host.exe DENIED.exe [SECONDS]\n");
        return 2;
    }
    const DWORD seconds = argc == 3 ? wcstoul(argv[2], NULL, 10) : 10;

    /* Loaded on this thread, which then pumps for as long as the module stays;
     * first, so that a failure leaves nothing else to undo. */
    HMODULE dll = LoadLibraryW(L"RestrictAction.dll");
    if (!dll) {
        fwprintf(stderr, L"RestrictAction.dll not loaded (error %lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    PFN_RA_INITIAL initial = (PFN_RA_INITIAL)GetProcAddress(dll, "Initial");
    PFN_RA_START start = (PFN_RA_START)GetProcAddress(dll, "StartRestrict");
    PFN_RA_STOP stop = (PFN_RA_STOP)GetProcAddress(dll, "StopRestrict");
    if (!initial || !start || !stop) {
        fwprintf(stderr, L"RestrictAction.dll lacks Initial, StartRestrict or StopRestrict\n");
        FreeLibrary(dll);
        return 1;
    }

    /* The deny list: one record in a host pointer list; the module only reads it. */
    static CLIENT_APP_INFO denied;
    lstrcpynW(denied.szAppExeName, argv[1], RA_TEXT_LEN);
    static RA_PTRLIST_NODE node = {NULL, NULL, &denied};
    static RA_PTRLIST list = {NULL, &node, &node, 1, NULL, NULL, 10};

    /* The window that receives the notifications: message-only is enough. */
    WNDCLASSW wc = {0};
    wc.lpfnWndProc = NotifyProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"MinimalHostNotify";
    RegisterClassW(&wc);
    RA_HOST_WND hostWnd = {0};
    hostWnd.m_hWnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);

    /* Base folder (ends with a backslash) and log file: the working folder. */
    static WCHAR base[MAX_PATH], logPath[MAX_PATH + 20];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH - 1, base);
    if (n > 0 && n < MAX_PATH - 1 && base[n - 1] != L'\\') lstrcatW(base, L"\\");
    lstrcpyW(logPath, base);
    lstrcatW(logPath, L"minimal_host.log");

    static CHostLog hostLog;
    InitializeCriticalSection(&hostLog.lock);
    hostLog.pszPath = logPath;
    hostLog.bEnabled = TRUE;
    hostLog.dwLevelMask = 1;

    /* The context record: the log, the base folder, eight (empty) host folders. */
    static void* context[RA_HOST_CONTEXT_SLOTS];
    static const WCHAR empty[] = L"";
    const int folderSlots[] = RA_SLOT_FOLDERS;
    context[RA_SLOT_LOG] = &hostLog;
    context[RA_SLOT_BASE_FOLDER] = base;
    for (int i = 0; i < 8; ++i) context[folderSlots[i]] = (void*)empty;

    static BOOL enabled = TRUE;
    initial(&hostWnd, context, &enabled, 2000 /* report every 2 s */, 500 /* timer, ms */);
    start(MODE_APPRESTRICT, 1 /* deny list */, &list, 0);
    start(MODE_APPWATCH, 0, NULL, 0);
    wprintf(L"minimal_host: %ls denied, APPWATCH every 2 s, for %lu s\n", denied.szAppExeName,
            (unsigned long)seconds);
    fflush(stdout);

    Pump(seconds * 1000);

    stop(MODE_APPRESTRICT);
    stop(MODE_APPWATCH);
    FreeLibrary(dll); /* after this, the module writes no more to the log */
    DeleteCriticalSection(&hostLog.lock);
    DestroyWindow(hostWnd.m_hWnd);
    wprintf(L"minimal_host: done\n");
    return 0;
}
