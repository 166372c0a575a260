// What an address shown by a browser means: is it a web address at all, and
// does the host's URL list forbid it.
#pragma once

#include "fw/Verdict.h"
#include "urlrestrict/AddressReader.h"

struct UrlRule {
    // The host's list: szAppExeName and szAppExePath of each entry are two
    // patterns, found in an address ignoring case.
    const void* list = nullptr;
    DWORD param = 0;  // 0: an allow list, else a deny list
    DWORD extra = 0;  // 0: the host is asked (WM_RA_URL_CONFIRM) before anything is done
    // The input hooks' word, read at each judgement: an allow list acts only
    // while it is set. Never null.
    const BOOL* checkUrl = nullptr;
};

// Whether `address` is a web address: one read from an address bar by its
// scheme prefix (or, before Chrome 29, by two dots), else by an HTTP probe
// that gets an answer; Firefox's by its scheme prefix; any text Edge or a
// current browser's address field shows.
bool IsShownWebAddress(const ShownAddress& address);

// A web address the rule forbids ends the browser's process (`kill`) or
// closes `frame`, after asking the host when the rule says so; the host is
// told of it (WM_RA_URL_RESTRICTED). Anything else: no verdict.
Verdict JudgeAddress(const ShownAddress& address, const UrlRule& rule, bool kill, HWND frame, CHostLog* log);
