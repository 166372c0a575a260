// Edge's address field, known only by its Japanese name and role.
#include "browsers/EdgeReader.h"
#include "support/FakeAccessible.h"

#include <gtest/gtest.h>

TEST(EdgeReader, JapaneseFieldGivesItsValueUnchangedElseUrlIsKept) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    struct Row {
        const char* label;
        const wchar_t* name;
        std::wstring want;
    };
    const Row rows[] = {
        {"Japanese field", L"検索または Web アドレスを入力", L"https://例え.jp/パス?q=1"},
        {"English name", L"Search or enter web address", L"previous"},
    };
    for (const auto& [label, name, want] : rows) {
        FakeTree tree;
        FakeAccessible* root = tree.Add(L"Edge", L"window");
        FakeAccessible* pane = tree.Add(L"Toolbar", L"tool bar");
        pane->AddObject(tree.Add(name, L"編集可能なテキスト", STATE_SYSTEM_FOCUSABLE, L"https://例え.jp/パス?q=1"));
        root->AddObject(pane);
        UniqueWindow window = OpenFakeAccWindow(L"ApplicationFrameWindow", root);
        std::wstring url = L"previous";
        GetEdgeURL(window.get(), url);
        EXPECT_EQ(url, want) << label;
        window.reset();
        EXPECT_EQ(tree.Leaks(), L"") << label;
    }
    std::wstring url = L"previous";
    GetEdgeURL(nullptr, url);
    EXPECT_EQ(url, L"previous") << "no window";
    CoUninitialize();
}
