// The sweep's two browser checks: MODE_IELOCK forbids web browsing as a
// whole, MODE_URLRESTRICT judges the address shown against the host's list.
// `chromeVersion` is the installed Chrome's, once found; `readsFields`
// turns on the reader of current browsers' address fields (AddressReader.h).
#pragma once

#include "fw/Verdict.h"
#include "urlrestrict/UrlMatching.h"

// A browser known by its title ending or by the host's list of executables
// (`browserList`, szAppExeName), or one of a known class showing a web
// address, is ended (closed when it cannot be opened); an Explorer window
// showing one is closed. The host is told nothing.
Verdict CheckIELock(const WindowFacts& window, const void* browserList, int& chromeVersion, bool readsFields,
                    CHostLog* log);

// Browser and Explorer windows, known by class, have the addresses they show
// judged against the rule: a forbidden one ends the browser or closes the
// Explorer window. Windows of the shell's process are never judged.
Verdict CheckInternetUrlRestrict(const WindowFacts& window, const UrlRule& rule, int& chromeVersion, bool readsFields,
                                 CHostLog* log);
