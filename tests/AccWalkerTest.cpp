// The accessibility walker on hand-written trees: the property readers, the
// search's order and criteria, skipped "unavailable" subtrees, cyclic and
// endless trees, and every reference given back.
#include "browsers/AccWalker.h"
#include "support/FakeAccessible.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

// CoInitialize per test: the platform's marshalling needs it.
class AccWalker : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

// A browser-like frame:
//   root (window of class "FakeBrowserFrame")
//   1 "Toolbar"        object:  1 "Back" push button, 2 "Address and search bar" editable text
//   2 "Disabled pane"  object, unavailable:  1 "Hidden field" object, editable text
//   3 "Status"         simple element
//   4 "Content"        object enumerating its children as ids:
//                        1 "検索または Web アドレスを入力" object, 編集可能なテキスト
//   5 "Back"           simple element, push button
struct BrowserTree {
    BrowserTree() {
        FakeAccessible* root = tree.Add(L"Frame", L"window");
        FakeAccessible* toolbar = tree.Add(L"Toolbar", L"tool bar");
        toolbar->AddElement(L"Back", L"push button");
        toolbar->AddElement(L"Address and search bar", L"editable text", 0, L"https://example.com/");
        root->AddObject(toolbar);
        FakeAccessible* disabled = tree.Add(L"Disabled pane", L"pane", STATE_SYSTEM_UNAVAILABLE);
        disabled->AddObject(tree.Add(L"Hidden field", L"editable text"));
        root->AddObject(disabled);
        root->AddElement(L"Status", L"status bar");
        FakeAccessible* content = tree.Add(L"Content", L"document");
        content->enumeratesIds = true;
        content->AddObject(tree.Add(L"検索または Web アドレスを入力", L"編集可能なテキスト"));
        root->AddObject(content);
        root->AddElement(L"Back", L"push button");
    }
    FakeTree tree;
};

// What a search found, as "<holder name>#<child id>", or "none".
std::wstring Search(FakeAccessible* root, const wchar_t* name, const wchar_t* role, const wchar_t* className) {
    ComPtr<IAccessible> found;
    UniqueVariant foundChild;
    if (FindAccChild(root, name, role, className, found, foundChild) != 1) return L"none";
    wchar_t holder[kAccTextSize];
    GetAccName(found.get(), UniqueVariant(CHILDID_SELF).get(), holder);
    return std::wstring(holder) + L"#" + std::to_wstring(foundChild.get().lVal);
}

}  // namespace

TEST_F(AccWalker, ReadersCutTextsAndJoinStateTexts) {
    wchar_t unavailable[kAccTextSize], focused[kAccTextSize];
    GetStateTextW(STATE_SYSTEM_UNAVAILABLE, unavailable, kAccTextSize);
    GetStateTextW(STATE_SYSTEM_FOCUSED, focused, kAccTextSize);
    const std::wstring both = std::wstring(unavailable) + L"," + focused;
    const std::wstring longName(5000, L'n');

    struct Row {
        const char* label;
        std::wstring name;
        LONG state;
        int stateSize;
        std::wstring wantName, wantState;
    };
    const Row rows[] = {
        {"Japanese name", L"アドレス検索バー", 0, kAccTextSize, L"アドレス検索バー", L""},
        {"name cut after 259", longName, 0, kAccTextSize, longName.substr(0, 259), L""},
        {"no name", L"", STATE_SYSTEM_UNAVAILABLE, kAccTextSize, L"", unavailable},
        {"two bits, one comma", L"x", STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSED, kAccTextSize, L"x", both},
        {"state list stops at the end", L"x", STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSED,
         static_cast<int>(both.size()) - 1, L"x", both.substr(0, both.size() - 2)},
    };
    for (const auto& row : rows) {
        FakeTree tree;
        FakeAccessible* object = tree.Add(row.name, L"text", row.state);
        const UniqueVariant self(CHILDID_SELF);
        wchar_t name[kAccTextSize];
        std::wmemset(name, L'#', kAccTextSize);
        std::vector<wchar_t> state(static_cast<size_t>(row.stateSize) + 1, L'#');
        EXPECT_EQ(GetAccName(object, self.get(), name), static_cast<int>(row.wantName.size())) << row.label;
        EXPECT_EQ(name, row.wantName) << row.label;
        EXPECT_EQ(GetAccStateText(object, self.get(), state.data(), row.stateSize),
                  static_cast<int>(row.wantState.size()))
            << row.label;
        EXPECT_EQ(std::wstring(state.data()), row.wantState) << row.label;
        EXPECT_EQ(state[static_cast<size_t>(row.stateSize)], L'#') << row.label << ": wrote past the buffer";
        EXPECT_EQ(tree.Leaks(), L"") << row.label;
    }
}

TEST_F(AccWalker, RoleTextIsThePlatformsForNumbersAndWindowClassClimbsToTheWindow) {
    FakeTree tree;
    FakeAccessible* root = tree.Add(L"Frame", L"window");
    FakeAccessible* field = tree.Add(L"Field", L"");
    field->numericRole = ROLE_SYSTEM_TEXT;
    root->AddObject(field);
    FakeAccWindow window(L"FakeBrowserFrame", root);
    FakeTree lone;
    FakeAccessible* orphan = lone.Add(L"Orphan", L"editable text");

    wchar_t platform[kAccTextSize], role[kAccTextSize], windowClass[kAccTextSize] = {};
    GetRoleTextW(ROLE_SYSTEM_TEXT, platform, kAccTextSize);
    const UniqueVariant self(CHILDID_SELF);
    EXPECT_EQ(GetAccRoleText(field, self.get(), role, kAccTextSize), static_cast<int>(std::wcslen(platform)));
    EXPECT_STREQ(role, platform);
    EXPECT_EQ(GetAccWindowClass(field, windowClass, kAccTextSize), 1);
    EXPECT_STREQ(windowClass, L"FakeBrowserFrame");
    EXPECT_EQ(GetAccWindowClass(orphan, windowClass, kAccTextSize), 1);
    EXPECT_STREQ(windowClass, L"No window");
    EXPECT_EQ(tree.Leaks(), L"");
    EXPECT_EQ(lone.Leaks(), L"");
}

TEST_F(AccWalker, FindsFirstAvailableMatchDepthFirstOnAllCriteria) {
    BrowserTree browser;
    FakeAccWindow window(L"FakeBrowserFrame", browser.tree.Root());
    struct Row {
        const char* label;
        const wchar_t *name, *role, *className;
        std::wstring want;
    };
    const Row rows[] = {
        {"no criteria: first available element", nullptr, nullptr, nullptr, L"Toolbar#0"},
        {"simple element inside a child object", L"Address and search bar", L"editable text", nullptr,
         L"Toolbar#2"},
        {"depth first: the toolbar's Back before the frame's", L"Back", nullptr, nullptr, L"Toolbar#1"},
        {"simple element of the root", L"Status", L"status bar", nullptr, L"Frame#3"},
        {"object reached through get_accChild", L"検索または Web アドレスを入力", L"編集可能なテキスト", nullptr,
         L"検索または Web アドレスを入力#0"},
        {"window class through the parents", L"Back", L"push button", L"FakeBrowserFrame", L"Toolbar#1"},
        {"window class differs", L"Back", nullptr, L"Chrome_WidgetWin_1", L"none"},
        {"role differs", L"Back", L"editable text", nullptr, L"none"},
        {"case differs", L"address and search bar", nullptr, nullptr, L"none"},
        {"unavailable element", L"Disabled pane", nullptr, nullptr, L"none"},
        {"inside an unavailable subtree", L"Hidden field", nullptr, nullptr, L"none"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Search(browser.tree.Root(), row.name, row.role, row.className), row.want) << row.label;
        EXPECT_EQ(browser.tree.Leaks(), L"") << row.label;
    }
}

TEST_F(AccWalker, LevelWithoutEnumeratorEndsTheSearch) {
    BrowserTree browser;
    browser.tree.Root()->hasEnumerator = false;
    EXPECT_EQ(Search(browser.tree.Root(), L"Status", nullptr, nullptr), L"none");
    EXPECT_EQ(Search(nullptr, nullptr, nullptr, nullptr), L"none");
    EXPECT_EQ(browser.tree.Leaks(), L"");
}

// A child that returns its ancestors, several times over: without a guard
// the walk would branch for ever.
TEST_F(AccWalker, CyclicTreeEndsAndFindsWhatFollowsTheCycle) {
    FakeTree tree;
    FakeAccessible* root = tree.Add(L"Frame", L"window");
    FakeAccessible* pane = tree.Add(L"Pane", L"pane");
    root->AddObject(pane);
    for (int i = 0; i < 4; ++i) {
        pane->AddObject(root);
        pane->AddObject(pane);
    }
    pane->AddElement(L"Target", L"editable text");
    EXPECT_EQ(Search(root, L"Target", nullptr, nullptr), L"Pane#9");
    EXPECT_EQ(Search(root, L"Missing", nullptr, nullptr), L"none");
    EXPECT_EQ(tree.Leaks(), L"");
}

// The search goes kAccMaxDepth levels below the object it starts from.
TEST_F(AccWalker, DeepTreeIsSearchedToTheDepthLimit) {
    struct Row {
        int depth;
        std::wstring want;
    };
    const Row rows[] = {{kAccMaxDepth, L"Target#0"}, {kAccMaxDepth + 1, L"none"}, {500, L"none"}};
    for (const auto& row : rows) {
        FakeTree tree;
        FakeAccessible* level = tree.Add(L"Frame", L"window");
        for (int depth = 1; depth < row.depth; ++depth) {
            FakeAccessible* next = tree.Add(L"Group", L"grouping");
            level->AddObject(next);
            level = next;
        }
        level->AddObject(tree.Add(L"Target", L"editable text"));
        EXPECT_EQ(Search(tree.Root(), L"Target", nullptr, nullptr), row.want) << "target at depth " << row.depth;
        EXPECT_EQ(tree.Leaks(), L"") << "target at depth " << row.depth;
    }
}
