// What the sweep (control/) and the checks it asks (apprestrict/,
// urlrestrict/) exchange about one window: its facts going in, a verdict
// coming out. Plain data below both, so that a check needs nothing of the
// controller and the sweep alone closes, ends and notifies.
#pragma once

#include "RestrictAction.h"

#include <string>

// One window as the sweep found it.
struct WindowFacts {
    HWND window;
    const CLIENT_APP_INFO& record;  // the caption in it is cut to 259 characters
    std::wstring windowClass;       // cut to 259 characters; read only when a mode that looks at it is on
    std::wstring caption;           // the foreground's cut, a walked window's whole
};

// What the sweep does about a window, in this order: asks the host
// (WM_RA_URL_CONFIRM) about `askHostAbout`, whose non-zero reply cancels the
// action; acts; notifies the host.
struct Verdict {
    enum class Action {
        kNone,   // the check does not hold: the next one is asked
        kClose,  // WM_CLOSE to `window`
        kEnd,    // the record's process is ended
    };
    enum class Notice { kNone, kAppRestricted, kUrlRestricted };

    static Verdict Close(HWND window) { return {Action::kClose, window}; }
    // `closeIfUnopened`: a process that cannot be opened has `window`
    // closed instead; otherwise it is left alone.
    static Verdict End(HWND window, bool closeIfUnopened) { return {Action::kEnd, window, closeIfUnopened}; }

    bool Holds() const { return action != Action::kNone; }

    Action action = Action::kNone;
    HWND window = nullptr;
    bool closeIfUnopened = false;
    // kEnd: `window` is sent WM_CLOSE once the process is open, before it
    // is ended.
    bool closeFirst = false;
    HWND askHostAbout = nullptr;
    Notice notice = Notice::kNone;
};
