#include "browsers/EdgeReader.h"

#include "browsers/AccWalker.h"

#include <memory>
#include <optional>

// Edge's address field is only known by its Japanese name and role.
void GetEdgeURL(HWND hwnd, std::wstring& url, CHostLog* log) {
    // Written by the reading thread; looked at only when it finished in time.
    const auto value = std::make_shared<std::optional<std::wstring>>();
    const bool answered = ReadWindowTree(hwnd, log, L"GetEdgeURL", [value](IAccessible* root) {
        ComPtr<IAccessible> found;
        UniqueVariant foundChild;
        if (FindAccChild(root, L"検索または Web アドレスを入力", L"編集可能なテキスト", found, foundChild) != 1)
            return;
        UniqueBstr text;
        if (SUCCEEDED(found.get()->get_accValue(foundChild.get(), text.put())) && text) *value = text.get();
    });
    if (answered && *value) url = **value;
}
