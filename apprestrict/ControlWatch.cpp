// Each category looks at a few classes and, for each, at the titles in the
// rules below.
#include "apprestrict/ControlWatch.h"

#include "apprestrict/ControlTitles.h"

#include <algorithm>
#include <cwchar>

namespace {

using namespace ControlTitle;

struct TitleRange {
    Key first;
    Key last;  // inclusive
};

struct ClassRule {
    ControlCategory category;
    const wchar_t* windowClass;  // compared without regard to case
    std::vector<TitleRange> titles;
};

// The titles EXPLORER lets through: the Japanese and English titles of the
// other categories, except "Devices and Printers".
const std::vector<TitleRange> kKnownTitles = {{S1, S5}, {N1, N28}, {P1, P10}, {R1, R3}, {C1, C5}};

// Per category, its classes in test order: the first class that matches
// decides which titles count.
const ClassRule kRules[] = {
    {CATEGORY_SYSTEM_PROPERTIES, L"#32770", {{S1, S2}, {S4, S4}, {S6, S6}}},
    {CATEGORY_SYSTEM_PROPERTIES, L"workerw", {{S3, S3}, {S5, S5}, {S7, S7}}},
    {CATEGORY_SYSTEM_PROPERTIES, L"cabinetwclass", {{S3, S3}, {S5, S5}, {S7, S7}}},
    {CATEGORY_NETWORK_PROPERTIES, L"#32770", {{N1, N5}, {N13, N13}, {N16, N22}, {N28, N31}, {N34, N34}}},
    {CATEGORY_NETWORK_PROPERTIES, L"cabinetwclass",
     {{N1, N1}, {N6, N10}, {N15, N15}, {N19, N19}, {N23, N28}, {N32, N35}}},
    {CATEGORY_NETWORK_PROPERTIES, L"explorewclass", {{N6, N10}, {N23, N28}, {N32, N35}}},
    {CATEGORY_NETWORK_PROPERTIES, L"workerw", {{N10, N10}, {N27, N28}, {N34, N35}}},
    {CATEGORY_NETWORK_PROPERTIES, L"NativeHWNDHost", {{N11, N12}, {N14, N14}}},
    {CATEGORY_EXPLORER, L"cabinetwclass", kKnownTitles},
    {CATEGORY_EXPLORER, L"explorewclass", kKnownTitles},
    {CATEGORY_PRINTER, L"cabinetwclass", {{P1, P4}, {P6, P8}, {P10, P14}}},
    {CATEGORY_PRINTER, L"explorewclass", {{P1, P14}}},
    {CATEGORY_APP_RUN, L"#32770", {{R1, R4}}},
    {CATEGORY_CONTROL_PANEL, L"cabinetwclass", {{C1, C2}, {C4, C4}, {C6, C6}}},
    {CATEGORY_CONTROL_PANEL, L"explorewclass", {{C1, C6}}},
};

const ClassRule* FindClassRule(ControlCategory category, const wchar_t* windowClass) {
    for (const ClassRule& rule : kRules)
        if (rule.category == category && _wcsicmp(rule.windowClass, windowClass) == 0) return &rule;
    return nullptr;
}

// Whether `title` is one of the built-in titles the rule lists.
bool ListsTitle(const ClassRule& rule, const wchar_t* title) {
    for (const TitleRange& range : rule.titles)
        for (int key = range.first; key <= range.last; ++key)
            if (wcscmp(BuiltInControlTitle(static_cast<Key>(key)), title) == 0) return true;
    return false;
}

bool Holds(const std::vector<std::wstring>& list, const wchar_t* title) {
    return std::find(list.begin(), list.end(), title) != list.end();
}

// Asks each switched-on category in index order; `isListed(category, rule)`
// says whether the title is in that category's list for the matched class.
// A listed title closes the window, except under EXPLORER, whose list holds
// the titles it lets through.
template <typename IsListed>
BOOL Decide(DWORD flags, const wchar_t* windowClass, IsListed isListed) {
    for (int index = 0; index < CATEGORY_COUNT; ++index) {
        const auto category = static_cast<ControlCategory>(index);
        if (!(flags & (1u << index))) continue;
        const ClassRule* rule = FindClassRule(category, windowClass);
        if (rule && isListed(category, *rule) != (category == CATEGORY_EXPLORER)) return TRUE;
    }
    return FALSE;
}

// The configured lists replace the whole built-in table. EXPLORER's known
// titles are then every other category's list; its own list is not read.
BOOL CheckControlWatchByList(DWORD flags, const wchar_t* pszClass, const wchar_t* pszTitle, const TitleLists& lists) {
    return Decide(flags, pszClass, [&](ControlCategory category, const ClassRule&) {
        if (category != CATEGORY_EXPLORER) return Holds(lists[category], pszTitle);
        for (int index = 0; index < CATEGORY_COUNT; ++index)
            if (index != CATEGORY_EXPLORER && Holds(lists[index], pszTitle)) return true;
        return false;
    });
}

}  // namespace

Verdict CheckControlWatch(const WindowFacts& window, DWORD flags, const TitleLists* configured) {
    const wchar_t* windowClass = window.windowClass.c_str();
    const wchar_t* title = window.caption.c_str();
    const BOOL closed = configured ? CheckControlWatchByList(flags, windowClass, title, *configured)
                                   : Decide(flags, windowClass, [&](ControlCategory, const ClassRule& rule) {
                                         return ListsTitle(rule, title);
                                     });
    return closed ? Verdict::Close(window.window) : Verdict{};
}
