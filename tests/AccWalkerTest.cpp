// The accessibility walker on hand-written trees: order, criteria and bounds on cyclic, deep, huge, slow trees.
#include "browsers/AccWalker.h"
#include "support/FakeTree.h"
#include "fw/Com.h"

#include <gtest/gtest.h>

namespace {

class AccWalker : public testing::Test {
    const ComInit com_;
};

std::wstring Search(FakeNode* root, const wchar_t* name, const wchar_t* role = nullptr) {
    ComPtr<IAccessible> found;
    UniqueVariant foundChild;
    if (FindAccChild(root, name, role, found, foundChild) != 1) return L"none";
    wchar_t holder[kAccTextSize];
    GetAccName(found.get(), UniqueVariant(CHILDID_SELF).get(), holder);
    return std::wstring(holder) + L"#" + std::to_wstring(foundChild.get().lVal);
}

}  // namespace

TEST_F(AccWalker, NameIsClearedAndCutAfter259Characters) {
    FakeTree tree;
    const std::wstring longName(5000, L'n');
    FakeNode* root = tree.Add(longName, L"window");
    FakeNode* unnamed = root->Add(L"", ROLE_SYSTEM_TEXT);
    const UniqueVariant self(CHILDID_SELF);
    wchar_t name[kAccTextSize];
    EXPECT_EQ(GetAccName(root, self.get(), name), 259);
    EXPECT_EQ(name, longName.substr(0, 259));
    EXPECT_EQ(GetAccName(unnamed, self.get(), name), 0);
    EXPECT_STREQ(name, L"");
    EXPECT_EQ(tree.Faults(), L"");
}

// Content enumerates its children as ids; its 2nd and 3rd make cycles.
TEST_F(AccWalker, FindsFirstAvailableMatchDepthFirstOnAllCriteria) {
    FakeTree tree;
    FakeNode* root = tree.Add(L"Frame", L"window");
    root->Add(L"Toolbar", L"tool bar")->AddElement(L"Back", L"push button");
    root->Add(L"Disabled pane", L"pane", STATE_SYSTEM_UNAVAILABLE)->Add(L"Hidden field", L"editable text");
    FakeNode* content = root->Add(L"Content", L"document");
    content->enumeratesIds = true;
    content->Add(L"検索または Web アドレスを入力", L"編集可能なテキスト");
    content->AddObject(root);
    content->AddObject(content);
    content->AddElement(L"After the cycle", L"text");
    root->AddElement(L"Back", L"push button");
    const struct {
        const char* label;
        const wchar_t *name, *role;
        std::wstring want;
    } rows[] = {
        {"no criteria: the first element, before its subtree", nullptr, nullptr, L"Toolbar#0"},
        {"depth first: the toolbar's Back before the frame's", L"Back", L"push button", L"Toolbar#1"},
        {"object reached through get_accChild", L"検索または Web アドレスを入力", L"編集可能なテキスト",
         L"検索または Web アドレスを入力#0"},
        {"past a cycle", L"After the cycle", nullptr, L"Content#4"},
        {"role differs", L"Back", L"text", L"none"},
        {"case differs; the whole tree, cycle and all, searched", L"back", nullptr, L"none"},
        {"unavailable element", L"Disabled pane", nullptr, L"none"},
        {"inside an unavailable subtree", L"Hidden field", nullptr, L"none"},
    };
    for (const auto& row : rows) EXPECT_EQ(Search(root, row.name, row.role), row.want) << row.label;
    root->hasEnumerator = false;
    EXPECT_EQ(Search(root, L"Back"), L"none") << "a level without an enumerator ends the search";
    EXPECT_EQ(Search(nullptr, nullptr), L"none");
    EXPECT_EQ(tree.Faults(), L"");
}

// Slow children take 50 ms each to count theirs.
TEST_F(AccWalker, SearchStopsAtItsDepthLimitNodeBudgetAndDeadline) {
    const struct {
        const char* label;
        int depth, fillers, slow;
        std::wstring want;
    } rows[] = {
        {"at the depth limit", kAccMaxDepth + 1, 0, 0, L"Target#0"},
        {"one level deeper", kAccMaxDepth + 2, 0, 0, L"none"},
        {"the budget's last element", 0, kAccNodeBudget - 1, 0, L"Frame#" + std::to_wstring(kAccNodeBudget)},
        {"one element past the budget", 0, kAccNodeBudget, 0, L"none"},
        {"past the deadline", 0, 0, 60, L"none"},
    };
    for (const auto& row : rows) {
        FakeTree tree;
        FakeNode* root = tree.Add(L"Frame", L"window");
        FakeNode* parent = root;
        for (int i = 2; i < row.depth; ++i) parent = parent->Add(L"Group", L"grouping");
        for (int i = 0; i < row.fillers; ++i) root->AddElement(L"Filler", L"text");
        for (int i = 0; i < row.slow; ++i) root->Add(L"Group", L"grouping")->stallMs = 50;
        if (parent == root) root->AddElement(L"Target", L"editable text");
        else parent->Add(L"Target", L"editable text");
        EXPECT_EQ(Search(root, L"Target"), row.want) << row.label;
        EXPECT_EQ(tree.Faults(), L"") << row.label;
    }
}
