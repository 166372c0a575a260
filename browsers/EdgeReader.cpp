#include "browsers/EdgeReader.h"

#include "browsers/AccWalker.h"

// Edge's address field is only known by its Japanese name and role.
void GetEdgeURL(HWND hwnd, std::wstring& url) {
    const ComInit com;
    ComPtr<IAccessible> root;
    if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_WINDOW), IID_IAccessible,
                                          reinterpret_cast<void**>(root.put()))) ||
        !root)
        return;
    ComPtr<IAccessible> found;
    UniqueVariant foundChild;
    if (FindAccChild(root.get(), L"検索または Web アドレスを入力", L"編集可能なテキスト", nullptr, found, foundChild) !=
        1)
        return;
    UniqueBstr value;
    if (SUCCEEDED(found.get()->get_accValue(foundChild.get(), value.put())) && value) url = value.get();
}
