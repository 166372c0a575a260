#include "browsers/ChromeReader.h"

#include "browsers/ChromeSteps.h"
#include "fw/HostLog.h"
#include "fw/Text.h"

int GetChromeURL(HWND hwnd, wchar_t* buffer, CHostLog* log) {
    const int version = GetChromeVersion();
    Log(log, RA_LOG_TRACE, L"GetChromeVersion the ChromeVersion is %d", version);
    if (version < 29) return GetEditWindowText(hwnd, buffer);
    if (version >= 31) return GetNewURLText(hwnd, buffer, log);
    // 29 and 30 exist with either layout.
    const int length = GetURLText(hwnd, buffer, log);
    return length != 0 ? length : GetEditWindowText(hwnd, buffer);
}

int GetEditWindowText(HWND hwnd, wchar_t* buffer) {
    const std::wstring windowClass = WindowClass(hwnd);
    if (windowClass != L"Edit" && windowClass != L"Chrome_OmniboxView") return 0;
    DWORD_PTR copied = 0;
    // A hung browser must not stall the sweep.
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 260, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 500,
                             &copied))
        return 0;
    SetLastError(0);
    return static_cast<int>(copied);
}
