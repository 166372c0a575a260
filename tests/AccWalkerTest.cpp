// The accessibility walker on hand-written trees: the property readers, the
// search's order and criteria, skipped "unavailable" subtrees, cyclic,
// endless and huge trees, the search's budget and deadline, and every
// reference given back.
#include "browsers/AccWalker.h"
#include "support/FakeAccessible.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>

namespace {

// CoInitialize per test: the platform's marshalling needs it.
class AccWalker : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

// What a search found, as "<holder name>#<child id>", or "none".
std::wstring Search(FakeAccessible* root, const wchar_t* name, const wchar_t* role = nullptr,
                    const wchar_t* className = nullptr) {
    ComPtr<IAccessible> found;
    UniqueVariant foundChild;
    if (FindAccChild(root, name, role, className, found, foundChild) != 1) return L"none";
    wchar_t holder[kAccTextSize];
    GetAccName(found.get(), UniqueVariant(CHILDID_SELF).get(), holder);
    return std::wstring(holder) + L"#" + std::to_wstring(foundChild.get().lVal);
}

}  // namespace

TEST_F(AccWalker, ReadersClearAndCutTextsJoinStateTextsAndClimbToTheWindowClass) {
    FakeTree tree;
    const std::wstring longName(5000, L'n');
    FakeAccessible* root = tree.Add(longName, L"window", STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSED);
    FakeAccessible* field = tree.Add(L"", L"");
    field->numericRole = ROLE_SYSTEM_TEXT;
    root->AddObject(field);
    const UniqueWindow window = OpenFakeAccWindow(L"FakeBrowserFrame", root);
    FakeAccessible* orphan = tree.Add(L"Orphan", L"editable text");  // no parent, no window
    const UniqueVariant self(CHILDID_SELF);
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

    wchar_t platform[kAccTextSize], role[kAccTextSize], windowClass[kAccTextSize] = {};
    GetRoleTextW(ROLE_SYSTEM_TEXT, platform, kAccTextSize);
    EXPECT_EQ(GetAccRoleText(field, self.get(), role, kAccTextSize), static_cast<int>(std::wcslen(platform)));
    EXPECT_STREQ(role, platform);
    EXPECT_EQ(GetAccWindowClass(field, windowClass, kAccTextSize), 1);
    EXPECT_STREQ(windowClass, L"FakeBrowserFrame");
    EXPECT_EQ(GetAccWindowClass(orphan, windowClass, kAccTextSize), 1);
    EXPECT_STREQ(windowClass, L"No window");
    EXPECT_EQ(tree.Leaks(), L"");
}

// A browser-like frame:
//   root (window of class "FakeBrowserFrame")
//   1 "Toolbar"        object:  1 "Back" push button
//   2 "Disabled pane"  object, unavailable:  1 "Hidden field" object
//   3 "Content"        object enumerating its children as ids:
//                        1 "検索または Web アドレスを入力" object, 編集可能なテキスト
//                        2, 3 the frame and "Content" again: a cycle, endless unguarded
//                        4 "After the cycle" simple element
//   4 "Back"           simple element, push button
TEST_F(AccWalker, FindsFirstAvailableMatchDepthFirstOnAllCriteria) {
    FakeTree tree;
    FakeAccessible* root = tree.Add(L"Frame", L"window");
    FakeAccessible* toolbar = tree.Add(L"Toolbar", L"tool bar");
    toolbar->AddElement(L"Back", L"push button");
    root->AddObject(toolbar);
    FakeAccessible* disabled = tree.Add(L"Disabled pane", L"pane", STATE_SYSTEM_UNAVAILABLE);
    disabled->AddObject(tree.Add(L"Hidden field", L"editable text"));
    root->AddObject(disabled);
    FakeAccessible* content = tree.Add(L"Content", L"document");
    content->enumeratesIds = true;
    content->AddObject(tree.Add(L"検索または Web アドレスを入力", L"編集可能なテキスト"));
    content->AddObject(root);
    content->AddObject(content);
    content->AddElement(L"After the cycle", L"text");
    root->AddObject(content);
    root->AddElement(L"Back", L"push button");
    const UniqueWindow window = OpenFakeAccWindow(L"FakeBrowserFrame", root);
    struct Row {
        const char* label;
        const wchar_t *name, *role, *className;
        std::wstring want;
    };
    const Row rows[] = {
        {"no criteria: the first element, before its subtree", nullptr, nullptr, nullptr, L"Toolbar#0"},
        {"depth first: the toolbar's Back before the frame's", L"Back", nullptr, nullptr, L"Toolbar#1"},
        {"object reached through get_accChild", L"検索または Web アドレスを入力", L"編集可能なテキスト", nullptr,
         L"検索または Web アドレスを入力#0"},
        {"past a cycle", L"After the cycle", nullptr, nullptr, L"Content#4"},
        {"window class through the parents", L"Back", L"push button", L"FakeBrowserFrame", L"Toolbar#1"},
        {"window class differs", L"Back", nullptr, L"Chrome_WidgetWin_1", L"none"},
        {"case differs; the whole tree, cycle and all, searched", L"back", nullptr, nullptr, L"none"},
        {"unavailable element", L"Disabled pane", nullptr, nullptr, L"none"},
        {"inside an unavailable subtree", L"Hidden field", nullptr, nullptr, L"none"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Search(root, row.name, row.role, row.className), row.want) << row.label;
        EXPECT_EQ(tree.Leaks(), L"") << row.label;
    }
    root->hasEnumerator = false;
    EXPECT_EQ(Search(root, L"Back"), L"none") << "a level without an enumerator ends the search";
    EXPECT_EQ(Search(nullptr, nullptr), L"none");
    EXPECT_EQ(tree.Leaks(), L"");
}

// The search goes kAccMaxDepth levels below the object it starts from.
TEST_F(AccWalker, DeepTreeIsSearchedToTheDepthLimit) {
    for (const auto& [depth, want] : {std::pair<int, const wchar_t*>{kAccMaxDepth, L"Target#0"},
                                      {kAccMaxDepth + 1, L"none"}}) {
        FakeTree tree;
        FakeAccessible* level = tree.Add(L"Frame", L"window");
        for (int i = 1; i < depth; ++i) {
            FakeAccessible* next = tree.Add(L"Group", L"grouping");
            level->AddObject(next);
            level = next;
        }
        level->AddObject(tree.Add(L"Target", L"editable text"));
        EXPECT_EQ(Search(tree.Root(), L"Target"), want) << "target at depth " << depth;
        EXPECT_EQ(tree.Leaks(), L"") << "target at depth " << depth;
    }
}

// A search gives up after kAccNodeBudget elements or kAccDeadlineMs, so a
// tree that claims millions of children, branches without end or answers
// slowly costs a bounded time: "Target", the root's last child, is then
// not found.
TEST_F(AccWalker, SearchGivesUpAfterItsNodeBudgetOrDeadline) {
    struct Row {
        const char* label;
        std::function<void(FakeTree&, FakeAccessible* root)> before;  // children ahead of "Target"
        std::wstring want;
    };
    const auto elements = [](int n) {
        return [n](FakeTree&, FakeAccessible* root) {
            for (int i = 0; i < n; ++i) root->AddElement(L"Filler", L"text");
        };
    };
    const auto objects = [](int n, void (*setUp)(FakeAccessible*)) {
        return [n, setUp](FakeTree& tree, FakeAccessible* root) {
            for (int i = 0; i < n; ++i) {
                FakeAccessible* child = tree.Add(L"Group", L"grouping");
                setUp(child);
                root->AddObject(child);
            }
        };
    };
    const Row rows[] = {
        {"the budget's last element", elements(kAccNodeBudget - 1), L"Frame#" + std::to_wstring(kAccNodeBudget)},
        {"one element past the budget", elements(kAccNodeBudget), L"none"},
        {"a child claiming ten million children",
         objects(1, [](FakeAccessible* child) { child->claimedChildren = 10000000; }), L"none"},
        {"children that take 50 ms each to count theirs, 3 s in all",
         objects(60, [](FakeAccessible* child) { child->stallMs = 50; }), L"none"},
        // Every level holds the next one twice: 2^62 paths down, none a cycle.
        {"a lattice as deep as the depth limit",
         [](FakeTree& tree, FakeAccessible* root) {
             FakeAccessible* level = tree.Add(L"Lattice", L"grouping");
             root->AddObject(level);
             for (int depth = 2; depth < kAccMaxDepth; ++depth) {
                 FakeAccessible* next = tree.Add(L"Lattice", L"grouping");
                 level->AddObject(next);
                 level->AddObject(next);
                 level = next;
             }
         },
         L"none"},
    };
    for (const Row& row : rows) {
        FakeTree tree;
        FakeAccessible* root = tree.Add(L"Frame", L"window");
        row.before(tree, root);
        root->AddElement(L"Target", L"editable text");
        EXPECT_EQ(Search(root, L"Target"), row.want) << row.label;
        EXPECT_EQ(tree.Leaks(), L"") << row.label;
    }
}
