// The accessibility walker on hand-written trees: the property readers, the
// search's order and criteria, skipped "unavailable" subtrees, cyclic, deep,
// endless and huge trees, the search's budget and deadline, and every
// reference given back.
#include "browsers/AccWalker.h"
#include "support/FakeTree.h"
#include "fw/Com.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>

namespace {

// CoInitialize per test: the platform's marshalling needs it.
class AccWalker : public testing::Test {
    const ComInit com_;
};

// What a search found, as "<holder name>#<child id>", or "none".
std::wstring Search(FakeNode* root, const wchar_t* name, const wchar_t* role = nullptr) {
    ComPtr<IAccessible> found;
    UniqueVariant foundChild;
    if (FindAccChild(root, name, role, found, foundChild) != 1) return L"none";
    wchar_t holder[kAccTextSize];
    GetAccName(found.get(), UniqueVariant(CHILDID_SELF).get(), holder);
    return std::wstring(holder) + L"#" + std::to_wstring(foundChild.get().lVal);
}

}  // namespace

TEST_F(AccWalker, ReadersClearAndCutTextsAndJoinStateTexts) {
    FakeTree tree;
    const std::wstring longName(5000, L'n');
    FakeNode* root = tree.Add(longName, L"window", STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSED);
    FakeNode* field = root->Add(L"", ROLE_SYSTEM_TEXT);
    const UniqueVariant self(CHILDID_SELF);
    {
        wchar_t name[kAccTextSize];
        std::wmemset(name, L'#', kAccTextSize);
        EXPECT_EQ(GetAccName(root, self.get(), name), 259);
        EXPECT_EQ(name, longName.substr(0, 259));
        EXPECT_EQ(GetAccName(field, self.get(), name), 0);
        EXPECT_STREQ(name, L"");

        wchar_t unavailable[kAccTextSize], focused[kAccTextSize];
        GetStateTextW(STATE_SYSTEM_UNAVAILABLE, unavailable, kAccTextSize);
        GetStateTextW(STATE_SYSTEM_FOCUSED, focused, kAccTextSize);
        const std::wstring both = std::wstring(unavailable) + L"," + focused;
        // Room for all, then one character too few: the list stops at the end.
        for (const int size : {kAccTextSize, static_cast<int>(both.size())}) {
            const std::wstring want = both.substr(0, static_cast<size_t>(size) - 1);
            std::vector<wchar_t> state(static_cast<size_t>(size) + 1, L'#');
            EXPECT_EQ(GetAccStateText(root, self.get(), state.data(), size), static_cast<int>(want.size()));
            EXPECT_EQ(std::wstring(state.data()), want) << "room for " << size;
            EXPECT_EQ(state[static_cast<size_t>(size)], L'#') << "wrote past room for " << size;
        }

        // A numeric role in the platform's words, as current browsers give it.
        wchar_t platform[kAccTextSize], role[kAccTextSize];
        GetRoleTextW(ROLE_SYSTEM_TEXT, platform, kAccTextSize);
        EXPECT_EQ(GetAccRoleText(field, self.get(), role, kAccTextSize), static_cast<int>(std::wcslen(platform)));
        EXPECT_STREQ(role, platform);
    }
    EXPECT_EQ(tree.Faults(), L"");
}

// A browser-like frame:
//   root
//   1 "Toolbar"        object:  1 "Back" push button
//   2 "Disabled pane"  object, unavailable:  1 "Hidden field" object
//   3 "Content"        object enumerating its children as ids:
//                        1 "検索または Web アドレスを入力" object, 編集可能なテキスト
//                        2, 3 the frame and "Content" again: a cycle, endless unguarded
//                        4 "After the cycle" simple element
//   4 "Back"           simple element, push button
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
    {
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
    }
    EXPECT_EQ(tree.Faults(), L"");
}

// A search goes kAccMaxDepth levels below the object it starts from, and
// gives up after kAccNodeBudget elements or kAccDeadlineMs, so that a tree
// that claims millions of children, branches without end or answers slowly
// costs a bounded time: "Target", the root's last child, is then not found.
TEST_F(AccWalker, SearchStopsAtItsDepthLimitNodeBudgetAndDeadline) {
    const auto chain = [](int depth) {
        return [depth](FakeNode* root) {
            for (int i = 2; i < depth; ++i) root = root->Add(L"Group", L"grouping");
            return root;
        };
    };
    const auto children = [](int n, void (*setUp)(FakeNode*)) {
        return [n, setUp](FakeNode* root) {
            for (int i = 0; i < n; ++i) setUp(root->Add(L"Group", L"grouping"));
            return root;
        };
    };
    const struct {
        const char* label;
        std::function<FakeNode*(FakeNode* root)> build;  // the ancestors first; returns Target's parent
        std::wstring want;
    } rows[] = {
        {"at the depth limit", chain(kAccMaxDepth + 1), L"Target#0"},
        {"one level deeper", chain(kAccMaxDepth + 2), L"none"},
        {"the budget's last element",
         [](FakeNode* root) {
             for (int i = 1; i < kAccNodeBudget; ++i) root->AddElement(L"Filler", L"text");
             return root;
         },
         L"Frame#" + std::to_wstring(kAccNodeBudget)},
        {"one element past the budget",
         [](FakeNode* root) {
             for (int i = 0; i < kAccNodeBudget; ++i) root->AddElement(L"Filler", L"text");
             return root;
         },
         L"none"},
        {"a child claiming ten million children", children(1, [](FakeNode* c) { c->claimedChildren = 10000000; }),
         L"none"},
        {"children that take 50 ms each to count theirs, 3 s in all",
         children(60, [](FakeNode* c) { c->stallMs = 50; }), L"none"},
        // Every level holds the next one twice: 2^62 paths down, none a cycle.
        {"a lattice as deep as the depth limit",
         [](FakeNode* root) {
             FakeNode* level = root->Add(L"Lattice", L"grouping");
             for (int depth = 2; depth < kAccMaxDepth; ++depth) level = level->AddObject(level->Add(L"Lattice", L"grouping"));
             return root;
         },
         L"none"},
    };
    for (const auto& row : rows) {
        FakeTree tree;
        FakeNode* root = tree.Add(L"Frame", L"window");
        FakeNode* parent = row.build(root);
        if (parent == root) root->AddElement(L"Target", L"editable text");
        else parent->Add(L"Target", L"editable text");
        EXPECT_EQ(Search(root, L"Target"), row.want) << row.label;
        EXPECT_EQ(tree.Faults(), L"") << row.label;
    }
}
