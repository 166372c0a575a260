// MODE_APPRESTRICT: applications judged by executable name against the
// host's list.
#pragma once

#include "apprestrict/Exemption.h"
#include "fw/Verdict.h"

class ProcessNames;

struct AppRule {
    const void* list = nullptr;  // the host's list; szAppExeName of each entry
    DWORD param = 0;             // 0: an allow list, else a deny list
};

// A restricted application's process is ended, or left alone when it cannot
// be opened: the host is told either way (WM_RA_APP_RESTRICTED). Names are
// compared whole and lower-cased, each comparison logged.
//
// With `originalNames` (MATCH_ORIGINAL_NAME), an entry also matches the
// name the program was built under, when it has one other than its file's:
// a deny list then ends a renamed copy of a listed program, and an allow
// list approves a program when either name is listed. That name is asked
// for only once the record is found not exempt.
Verdict CheckApplicationRestrict(const WindowFacts& window, const AppRule& rule, const Exemptions& exemptions,
                                 CHostLog* log, ProcessNames* originalNames);
