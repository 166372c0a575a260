// Reading accessible objects (Microsoft Active Accessibility) and searching a
// browser's accessible tree for one element. The caller has initialised COM
// on its thread. `child` is a child identifier: VT_I4 0 for the object
// itself, 1..n for a simple element of it.
#pragma once

#include "RestrictAction.h"
#include "fw/Com.h"

#include <oleacc.h>

#include <functional>
#include <vector>

// Room of every text buffer the readers fill: 259 characters and a null.
constexpr int kAccTextSize = 260;

// The name into `buffer` (kAccTextSize units), cleared first and cut after
// 259 characters; empty when the object gives none. Returns its length.
int GetAccName(IAccessible* object, const VARIANT& child, wchar_t* buffer);

// What the search knows of one element when it tests it.
struct AccTexts {
    // The name, read when first asked for: a search by roles alone reads
    // none, and each read is a call into the browser.
    std::function<const wchar_t*()> name;
    const wchar_t* role;
    // The role and state as the platform's numbers (ROLE_SYSTEM_*,
    // STATE_SYSTEM_*), which no UI language changes; 0 when given as text.
    LONG roleId;
    LONG state;
    // The roles of the objects the element lies in, outermost first; the
    // object the search started from counts as 0.
    const std::vector<LONG>& ancestorRoles;
};

// How a search treats the tree.
struct AccSearch {
    std::function<bool(const AccTexts&)> matches;
    // Without IEnumVARIANT a level fails when true; when false its children
    // are addressed by the identifiers 1..n.
    bool needsEnumerator;
    // When given, an element that does not match and for which it holds is
    // not searched below.
    std::function<bool(const AccTexts&)> passesOver = nullptr;
};

// Depth-first search below `parent`, each element tested before its
// subtree, in enumeration order; elements whose state text contains
// "unavailable" are skipped with their subtree. On success `found` holds a
// reference to the object that holds the match and `foundChild` its child
// identifier there (0: the object itself). A browser's tree can be cyclic,
// endless or claim millions of children, and each element costs
// cross-process calls: trees deeper than kAccMaxDepth levels are cut there,
// an object that is its own ancestor is not entered again, and the search
// gives up after visiting kAccNodeBudget elements or after kAccDeadlineMs.
constexpr int kAccMaxDepth = 64;
constexpr int kAccNodeBudget = 2000;
constexpr DWORD kAccDeadlineMs = 800;
bool SearchAccTree(IAccessible* parent, const AccSearch& search, ComPtr<IAccessible>& found,
                   UniqueVariant& foundChild);

// The search by exact (case-sensitive, whole) name and role text; a null
// criterion matches anything. Needs IEnumVARIANT on every level. Returns 1
// when found, -1 otherwise.
int FindAccChild(IAccessible* parent, const wchar_t* name, const wchar_t* role, ComPtr<IAccessible>& found,
                 UniqueVariant& foundChild);

// Reads the accessible tree of `hwnd` (a browser's, in another process) with
// `read`, given the window's own object on a thread with COM initialised.
// The read runs where a browser that stops answering cannot hold the
// caller (RunWithDeadline, kAccWaitMs): `read` keeps what it finds in
// state it co-owns and does not log; it is called only when the window gave
// an object. Returns true when the read finished in time; when the window
// stopped answering, logs one error line naming `reader`. While that read
// still runs, the window is not read again (false, nothing logged).
// The wait outlasts the search's own deadline: a search cut by it, or by
// its budget, still finishes in time (under Wine a call into another
// process costs about 11 ms, so a big tree is cut often), and only a
// browser stuck inside one call is abandoned.
constexpr DWORD kAccWaitMs = 1000;
bool ReadWindowTree(HWND hwnd, CHostLog* log, const wchar_t* reader, std::function<void(IAccessible*)> read);
