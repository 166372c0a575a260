#include "browsers/AddressField.h"

#include "browsers/AccWalker.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Where the field lies, by the platform's role numbers.
struct FieldRule {
    LONG field;
    LONG bar;                   // holds the field
    std::vector<LONG> between;  // may lie between the bar and the field
    std::vector<LONG> outside;  // never inside these: not searched below
};

// Outside a page's document, which may hold its own toolbars and fields,
// and outside the tab strip, which comes before the toolbar in Chromium and
// Firefox and holds a few elements per open tab.
const FieldRule kAddressFieldRule = {ROLE_SYSTEM_TEXT,
                                     ROLE_SYSTEM_TOOLBAR,
                                     {ROLE_SYSTEM_GROUPING, ROLE_SYSTEM_COMBOBOX},
                                     {ROLE_SYSTEM_DOCUMENT, ROLE_SYSTEM_PAGETABLIST}};

bool OneOf(LONG role, const std::vector<LONG>& roles) {
    return std::find(roles.begin(), roles.end(), role) != roles.end();
}

// Whether the nearest of `ancestors` (outermost first) that may not lie
// between is the bar.
bool InBar(const FieldRule& rule, const std::vector<LONG>& ancestors) {
    const auto nearest =
        std::find_if(ancestors.rbegin(), ancestors.rend(), [&](LONG role) { return !OneOf(role, rule.between); });
    return nearest != ancestors.rend() && *nearest == rule.bar;
}

AddressField FindField(IAccessible* root, const FieldRule& rule) {
    LONG state = 0;
    const AccSearch search{[&](const AccTexts& element) {
                               if (element.roleId != rule.field || !InBar(rule, element.ancestorRoles)) return false;
                               state = element.state;
                               return true;
                           },
                           false,
                           [&](const AccTexts& element) { return OneOf(element.roleId, rule.outside); }};
    ComPtr<IAccessible> found;
    UniqueVariant foundChild;
    if (!SearchAccTree(root, search, found, foundChild)) return {FieldRead::kNone, {}};
    UniqueBstr value;
    const bool read = SUCCEEDED(found.get()->get_accValue(foundChild.get(), value.put())) && value;
    std::wstring text = read ? value.get() : L"";
    if (state & STATE_SYSTEM_FOCUSED) return {FieldRead::kTyping, std::move(text)};
    return {text.empty() ? FieldRead::kNone : FieldRead::kAddress, std::move(text)};
}

}  // namespace

AddressField ReadAddressField(HWND hwnd, CHostLog* log) {
    // Written by the reading thread; looked at only when it finished in time.
    const auto field = std::make_shared<AddressField>(AddressField{FieldRead::kNone, {}});
    if (!ReadWindowTree(hwnd, log, L"ReadAddressField",
                        [field](IAccessible* root) { *field = FindField(root, kAddressFieldRule); }))
        return {FieldRead::kNoAnswer, {}};
    return *field;
}
