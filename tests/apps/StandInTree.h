// Accessible trees shaped like current browsers', for a stand-in browser
// process to serve from its window, as a browser serves its own: roles and
// states as the platform's numbers, names in the browser's UI language,
// every element an object.
#pragma once

#include <windows.h>

#include <oleacc.h>

// The root of the tree of `shape`, whose address field shows `address`;
// null for an unknown shape. The tree lives as long as the process.
// Shapes: "edge" (French), "brave" (Chinese), "firefox" (toolbar, combo
// box, field), "page" (a find bar's field, and a page holding its own
// toolbar and field, before the browser's toolbar), "tabs" (Edge with 2,000
// elements in its tab strip), "long" (about 2,000 elements that are no tab
// strip, the field last).
// With `focusUntil`, the field has focus, and shows a suggestion's label
// instead of the address, until that event is set.
IAccessible* StandInTree(const wchar_t* shape, const wchar_t* address, HANDLE focusUntil);
