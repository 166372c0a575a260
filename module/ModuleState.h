// The module's globals, set by the library entry.
#pragma once

class CRestrictAction;

// The one controller; null before attach, after detach and when its
// allocation failed.
extern CRestrictAction* g_pRestrictAction;
