#include "control/ForegroundEvents.h"

#include <utility>

namespace {

constexpr UINT kForegroundChanged = WM_APP;

ForegroundEvents* g_pForegroundEvents = nullptr;

}  // namespace

ForegroundEvents::ForegroundEvents(Callback onForeground) : callback_(std::move(onForeground)) {
    if (g_pForegroundEvents || !Create(L"RestrictActionEvents", L"", 0, HWND_MESSAGE)) return;
    g_pForegroundEvents = this;
    hook_.reset(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &HookProc, 0, 0,
                                WINEVENT_OUTOFCONTEXT));
    if (!hook_) g_pForegroundEvents = nullptr;
}

ForegroundEvents::~ForegroundEvents() {
    if (g_pForegroundEvents == this) g_pForegroundEvents = nullptr;
}

void CALLBACK ForegroundEvents::HookProc(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG, LONG, DWORD, DWORD) {
    ForegroundEvents* self = g_pForegroundEvents;
    if (!self || hook != self->hook_.get() || event != EVENT_SYSTEM_FOREGROUND || !hwnd) return;
    // A message that could not be posted (a full queue) must not keep later
    // changes from posting theirs.
    if (!std::exchange(self->pending_, hwnd) && !PostMessageW(self->hwnd(), kForegroundChanged, 0, 0))
        self->pending_ = nullptr;
}

LRESULT ForegroundEvents::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kForegroundChanged) return Window::HandleMessage(message, wParam, lParam);
    if (const HWND foreground = std::exchange(pending_, nullptr)) callback_(foreground);
    return 0;
}
