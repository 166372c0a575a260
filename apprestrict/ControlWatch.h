// MODE_CONTROLWATCH: which system windows are closed, decided from the
// window class and the exact title alone.
#pragma once

#include "fw/HostObjects.h"
#include "fw/Verdict.h"

// `flags`: the categories switched on, bit 1 << category. `configured`: the
// configuration's title lists, which replace the built-in titles of every
// category; null to use the built-in ones.
Verdict CheckControlWatch(const WindowFacts& window, DWORD flags, const TitleLists* configured);
