// MODE_APPRESTRICT: applications judged by executable name against the
// host's list.
#pragma once

#include "apprestrict/Exemption.h"
#include "fw/Verdict.h"

struct AppRule {
    const void* list = nullptr;  // the host's list; szAppExeName of each entry
    DWORD param = 0;             // 0: an allow list, else a deny list
};

// A restricted application's process is ended, or left alone when it cannot
// be opened: the host is told either way (WM_RA_APP_RESTRICTED). Names are
// compared whole and lower-cased, each comparison logged.
Verdict CheckApplicationRestrict(const WindowFacts& window, const AppRule& rule, const Exemptions& exemptions,
                                 CHostLog* log);
