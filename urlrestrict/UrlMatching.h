// How an address is judged against the host's URL list. The address bar,
// Firefox and Edge paths share one list test and one enforcement; what
// differs between them is the data of a UrlListVariant.
#pragma once

#include <windows.h>

#include <string>

struct UrlListVariant {
    // Characters dropped from the front of every first pattern.
    size_t firstPatternSkip;
    // Level-4 line per entry (first pattern, second pattern, address); null
    // for none.
    const wchar_t* denyEntryLine;
    const wchar_t* allowEntryLine;
    // Allow list, while the installed Chrome is older than 29: a second
    // pattern with a scheme also allows the address holding the rest of it.
    bool allowsSchemeStripped;
    // Allow list: a second pattern holding the whole address allows it, and
    // so does any "file:" address.
    bool allowsWithinPatternAndFiles;
    // The browser's window is sent WM_CLOSE before its process is ended.
    bool closesBeforeKill;
};

extern const UrlListVariant kAddressBarVariant;
extern const UrlListVariant kFirefoxVariant;
extern const UrlListVariant kEdgeVariant;

// Whether lower-case `text` begins with "http:", "https:", "ftp:",
// "telnet:" or "www.".
bool HasWebPrefix(const std::wstring& text);
