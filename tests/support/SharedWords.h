// The module's shared section "UrlRestr" as a second program would see it:
// found through the section table of the loaded RestrictAction.dll.
#pragma once

#include <windows.h>

struct UrlRestrWords {
    HHOOK keyboardHook;
    HHOOK mouseHook;
    BOOL checkUrl;
};
static_assert(sizeof(UrlRestrWords) == 12, "three 32-bit words");

// The section's header in the loaded module, or null.
const IMAGE_SECTION_HEADER* LoadedUrlRestrSection();
// The words themselves (writable: tests reset g_bCheckUrl), or null.
UrlRestrWords* LoadedUrlRestrWords();
