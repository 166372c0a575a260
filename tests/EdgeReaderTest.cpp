// Edge's address field, known only by its Japanese name and role.
#include "browsers/EdgeReader.h"
#include "support/FakeAccessible.h"

#include <gtest/gtest.h>

TEST(EdgeReader, JapaneseFieldGivesItsValueUnchangedElseUrlIsKept) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const wchar_t* const kField = L"検索または Web アドレスを入力";
    const wchar_t* const kRole = L"編集可能なテキスト";
    struct Row {
        const char* label;
        const wchar_t *name, *role;
        LONG paneState;
        std::wstring want;
    };
    const Row rows[] = {
        {"Japanese field", kField, kRole, 0, L"https://例え.jp/パス?q=1"},
        {"English names", L"Search or enter web address", L"editable text", 0, L"previous"},
        {"role differs", kField, L"text", 0, L"previous"},
        {"inside an unavailable pane", kField, kRole, STATE_SYSTEM_UNAVAILABLE, L"previous"},
    };
    for (const auto& row : rows) {
        FakeTree tree;
        FakeAccessible* root = tree.Add(L"Edge", L"window");
        FakeAccessible* pane = tree.Add(L"Toolbar", L"tool bar", row.paneState);
        pane->AddObject(tree.Add(row.name, row.role, STATE_SYSTEM_FOCUSABLE, L"https://例え.jp/パス?q=1"));
        root->AddObject(pane);
        auto window = std::make_unique<FakeAccWindow>(L"ApplicationFrameWindow", root);
        std::wstring url = L"previous";
        GetEdgeURL(window->hwnd(), url);
        EXPECT_EQ(url, row.want) << row.label;
        window.reset();
        EXPECT_EQ(tree.Leaks(), L"") << row.label;
    }
    std::wstring url = L"previous";
    GetEdgeURL(nullptr, url);
    EXPECT_EQ(url, L"previous") << "no window";
    CoUninitialize();
}
