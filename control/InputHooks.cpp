#include "control/InputHooks.h"

#include "browsers/IEReader.h"
#include "control/CRestrictAction.h"
#include "fw/HostLog.h"
#include "fw/UniqueHandle.h"
#include "fw/Window.h"

#include <cwchar>
#include <utility>

// One copy for every process that loads the module: a second host finds
// the hooks installed and installs none of its own.
#ifdef _MSC_VER
#pragma data_seg("UrlRestr")
#define URLRESTR_SHARED
#else
// no_reorder keeps the words in the order of the layout.
#define URLRESTR_SHARED __attribute__((section("UrlRestr"), shared, no_reorder))
#endif
HHOOK g_hKeyboardHook URLRESTR_SHARED = nullptr;
HHOOK g_hMouseHook URLRESTR_SHARED = nullptr;
BOOL g_bCheckUrl URLRESTR_SHARED = 1;
#ifdef _MSC_VER
#pragma data_seg()
#pragma comment(linker, "/SECTION:UrlRestr,RWS")
#endif

namespace {

const wchar_t* const kBrowserFrameClasses[] = {L"IEFrame", L"Chrome_WidgetWin_0", L"Chrome_WidgetWin_1",
                                               L"MozillaWindowClass", L"MozillaUIWindowClass"};
constexpr int kClassChars = 260;

// Read when the mode starts: a registry read on every input event of the
// desktop would slow each key and mouse move. One word, this process's own.
int g_nIEVersion = 0;

// The hooks this process installed. The shared words may hold another
// host's, which this process must leave alone when it unloads.
HHOOK g_hOwnKeyboardHook = nullptr;
HHOOK g_hOwnMouseHook = nullptr;

// Internet Explorer's address field when Internet Explorer is in front.
HWND ForegroundIEAddressEdit() {
    const HWND browser = IsBrowserForeground();
    return browser ? FindIEAddressEdit(browser, g_nIEVersion) : nullptr;
}

// The keyboard focus of `window`'s thread. Read without attaching to that
// thread's input: an attachment, even one undone at once, can take the
// foreground from the user's window (seen under Wine).
HWND FocusOfThreadOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

struct HookKind {
    HHOOK* shared;
    HHOOK* own;
    int id;
    HOOKPROC proc;
    const wchar_t* installLine;
    const wchar_t* failureLine;
};

const HookKind kHookKinds[] = {
    {&g_hKeyboardHook, &g_hOwnKeyboardHook, WH_KEYBOARD_LL, &KeyboardHookProc,
     L"CRestrictAction::Install WH_KEYBOARD_LL", L"CRestrictAction::InstallHook [Failed to create KeyBoardHooker]."},
    {&g_hMouseHook, &g_hOwnMouseHook, WH_MOUSE_LL, &MouseHookProc, L"CRestrictAction::Install WH_MOUSE_LL",
     L"CRestrictAction::InstallHook [Failed to create MouseHooker]."},
};

}  // namespace

HWND IsBrowserForeground() {
    const HWND foreground = ForegroundWindow();
    if (!foreground) return nullptr;
    wchar_t windowClass[kClassChars] = {};
    GetClassNameW(foreground, windowClass, kClassChars);
    for (const wchar_t* browser : kBrowserFrameClasses)
        if (wcscmp(windowClass, browser) == 0) return foreground;
    return nullptr;
}

LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION) {
        const HWND edit = ForegroundIEAddressEdit();
        if (edit && FocusOfThreadOf(edit) == edit)
            g_bCheckUrl = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode == VK_RETURN;
    }
    return CallNextHookEx(g_hKeyboardHook, nCode, wParam, lParam);
}

LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION && ForegroundIEAddressEdit()) g_bCheckUrl = 1;
    return CallNextHookEx(g_hMouseHook, nCode, wParam, lParam);
}

void CRestrictAction::InstallHook() {
    g_nIEVersion = GetIEVersion();
    for (const HookKind& kind : kHookKinds) {
        if (*kind.shared) continue;
        Log(HostLog(), RA_LOG_TRACE, kind.installLine);
        *kind.own = *kind.shared = SetWindowsHookExW(kind.id, kind.proc, ThisModule(), 0);
        if (!*kind.shared) Log(HostLog(), RA_LOG_ERROR, kind.failureLine);
    }
}

void CRestrictAction::UninstallHook() {
    RemoveOwnHooks();
    // A stop also removes hooks another host installed: the words are
    // common to every host. A failure to unhook clears the word all the same.
    for (const HookKind& kind : kHookKinds) UniqueHook(std::exchange(*kind.shared, nullptr)).reset();
}

void CRestrictAction::RemoveOwnHooks() {
    for (const HookKind& kind : kHookKinds) {
        const HHOOK own = std::exchange(*kind.own, nullptr);
        if (!own) continue;
        // Cleared first, and only while it still holds this process's hook,
        // so that a hook another host installed meanwhile stays in place.
        InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(kind.shared), nullptr, own);
        UniqueHook(own).reset();
    }
}
