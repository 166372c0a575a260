// The browsers' addresses. Chrome's: the version from the registry places,
// the reader each version takes, the address bar in English and Japanese,
// the ANSI round trip, the log lines, and a hung address window. Edge's:
// its field, known only by its Japanese name and role. Both: a browser that
// stops answering.
#include "browsers/ChromeReader.h"
#include "browsers/ChromeSteps.h"
#include "browsers/EdgeReader.h"
#include "support/FakeAccessible.h"
#include "support/ScratchLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

namespace {

// Chrome's version texts in this test prefix's registry: the installer's
// uninstall entry, then the beacon. An empty text: no key.
using Versions = std::pair<std::wstring, std::wstring>;
void InstallChrome(const Versions& versions) {
    for (const auto& [key, text] :
         {std::pair{L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome", versions.first},
          {L"Software\\Google\\Chrome\\BLBeacon", versions.second}}) {
        RegDeleteKeyW(HKEY_CURRENT_USER, key);
        if (text.empty()) continue;
        EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Version", REG_SZ, text.c_str(),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
}

class BrowserReader : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override {
        InstallChrome({});
        CoUninitialize();
    }
};

}  // namespace

TEST_F(BrowserReader, ChromeVersionIs99ForInstallerPlacesElseTheBeaconsMajor) {
    struct Row {
        const char* label;
        Versions versions;
        int want;
    };
    const Row rows[] = {
        {"nothing registered", {}, 0},
        {"installer's uninstall entry", {L"100.0.4896.75", L""}, 99},
        {"beacon only", {L"", L"30.0.1599.101"}, 30},
        {"text without a dot reads as 0, next place", {L"100", L"28.0.1500.95"}, 28},
        {"beacon without digits", {L"", L"beta.1"}, 0},
    };
    for (const auto& row : rows) {
        InstallChrome(row.versions);
        EXPECT_EQ(GetChromeVersion(), row.want) << row.label;
    }
}

TEST_F(BrowserReader, ChromeEachVersionReadsItsWayAndLogsEveryStep) {
    enum Layout { kEdit, kFrame30, kFrame31 };
    const Versions kInstalled = {L"100.0.4896.75", L""}, kChrome30 = {L"", L"30.0.1599.101"};
    const wchar_t* const kBar = L"Address and search bar";
    const std::string kFoundBar = "EnumUIChild strName[Address and search bar] strRole[editable text]";
    // The log of the new reader's walk, then `rest`.
    const auto newWalk = [](std::vector<std::string> rest) {
        rest.insert(rest.begin(), {"GetChromeVersion the ChromeVersion is 99", "Begin GetNewURLText",
                                   "the main UI numChildren2 = 2"});
        return rest;
    };
    const std::wstring longUrl = L"https://example.com/" + std::wstring(290, L'a');
    const std::string longEnd = "End GetNewURLText szEdit = " + std::string(longUrl.begin(), longUrl.end());
    struct Row {
        const char* label;
        Versions versions;
        Layout layout;
        const wchar_t *barName, *barRole;
        std::wstring value;
        bool enumerators;
        std::wstring want;
        std::vector<std::string> messages;
    };
    const Row rows[] = {
        {"no Chrome registered: the Edit window's text", {}, kEdit, L"", L"", L"", true, L"http://old.example/",
         {"GetChromeVersion the ChromeVersion is 0"}},
        // The log is ANSI: 編集可能なテキスト comes out as '?'s in code page 1252.
        {"installed, no enumerators: children by identifier; Japanese role", kInstalled, kFrame31, kBar,
         L"編集可能なテキスト", L"https://example.com/path", false, L"https://example.com/path",
         newWalk({"EnumUIChild strName[Address and search bar] strRole[?????????]", "get url.....",
                  "End GetNewURLText szEdit = https://example.com/path"})},
        {"Chrome 30 layout, Japanese name", kChrome30, kFrame30, L"アドレス検索バー", L"editable text",
         L"http://example.org/", true, L"http://example.org/",
         {"GetChromeVersion the ChromeVersion is 30", "Begin GetURLText", "the main UI numChildren1 = 2",
          "EnumUIChild strName[????????] strRole[editable text]", "get url.....",
          "End GetURLText szEdit = http://example.org/"}},
        {"Chrome 30 frame without its child widget: nothing, and no Edit either", kChrome30, kFrame31, kBar,
         L"editable text", L"http://example.org/", true, L"",
         {"GetChromeVersion the ChromeVersion is 30", "Begin GetURLText", "End GetURLText szEdit = "}},
        {"bar without a value: 0 and no closing line", kInstalled, kFrame31, kBar, L"editable text", L"", true, L"",
         newWalk({kFoundBar, "get url....."})},
        {"role compared exactly", kInstalled, kFrame31, kBar, L"Editable text", L"https://example.com/", true, L"",
         newWalk({"End GetNewURLText szEdit = "})},
        {"300 characters come back as 260", kInstalled, kFrame31, kBar, L"editable text", longUrl, true,
         longUrl.substr(0, 260), newWalk({kFoundBar, "get url.....", longEnd.substr(0, 259)})},
        {"characters outside the ANSI code page become '?'", kInstalled, kFrame31, kBar, L"editable text",
         L"https://例え.jp/", true, L"https://??.jp/",
         newWalk({kFoundBar, "get url.....", "End GetNewURLText szEdit = https://??.jp/"})},
    };
    for (const auto& row : rows) {
        InstallChrome(row.versions);
        // Frame: 1 tab strip (a tab), 2 toolbar (Back, location group (bar)).
        FakeTree tree;
        FakeAccessible* root = tree.Add(L"Frame", L"window");
        FakeAccessible* tabs = tree.Add(L"Tabs", L"page tab list");
        tabs->AddElement(L"New Tab", L"page tab");
        FakeAccessible* toolbar = tree.Add(L"Toolbar", L"tool bar");
        toolbar->AddElement(L"Back", L"push button");
        FakeAccessible* location = tree.Add(L"", L"grouping");
        location->AddObject(tree.Add(row.barName, row.barRole, STATE_SYSTEM_FOCUSABLE, row.value));
        toolbar->AddObject(location);
        root->AddObject(tabs);
        root->AddObject(toolbar);
        for (FakeAccessible* node : {root, tabs, toolbar, location}) node->hasEnumerator = row.enumerators;

        UniqueWindow window =
            row.layout == kEdit ? UniqueWindow(CreateWindowExW(0, L"Edit", L"http://old.example/", WS_OVERLAPPEDWINDOW,
                                                               0, 0, 300, 40, nullptr, nullptr, nullptr, nullptr))
                                : OpenFakeAccWindow(L"Chrome_WidgetWin_1", root,
                                                    row.layout == kFrame30 ? L"Chrome_WidgetWin_0" : nullptr);
        ScratchLog log(L"chrome.log");
        wchar_t buffer[261] = {};
        EXPECT_EQ(GetChromeURL(window.get(), buffer, &log.log), static_cast<int>(row.want.size())) << row.label;
        EXPECT_EQ(std::wstring(buffer), row.want) << row.label;
        EXPECT_EQ(log.Messages(), row.messages) << row.label;
        window.reset();
        EXPECT_EQ(tree.Leaks(), L"") << row.label;
    }
}

TEST_F(BrowserReader, ChromeHungAddressWindowCostsAtMostHalfASecond) {
    const UniqueKernelHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HWND edit = nullptr;
    // The window's thread stops pumping for 3 s once the window exists.
    std::thread owner([&] {
        edit = CreateWindowExW(0, L"Edit", L"http://hung/", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetEvent(created.get());
        Sleep(3000);
        DestroyWindow(edit);
    });
    ASSERT_EQ(WaitForSingleObject(created.get(), 10000), WAIT_OBJECT_0);
    wchar_t buffer[261] = {};
    const DWORD start = GetTickCount();
    EXPECT_EQ(GetEditWindowText(edit, buffer), 0);
    EXPECT_LT(GetTickCount() - start, 1500u);
    EXPECT_STREQ(buffer, L"");
    owner.join();
}

TEST_F(BrowserReader, EdgeGivesTheJapaneseFieldsValueUnchangedElseKeepsTheAddress) {
    const std::wstring value = L"https://例え.jp/パス?q=1";
    for (const auto& [name, want] : {std::pair<const wchar_t*, std::wstring>{L"検索または Web アドレスを入力", value},
                                     {L"Search or enter web address", L"previous"}}) {
        FakeTree tree;
        FakeAccessible* root = tree.Add(L"Edge", L"window");
        FakeAccessible* pane = tree.Add(L"Toolbar", L"tool bar");
        pane->AddObject(tree.Add(name, L"編集可能なテキスト", STATE_SYSTEM_FOCUSABLE, value));
        root->AddObject(pane);
        UniqueWindow window = OpenFakeAccWindow(L"ApplicationFrameWindow", root);
        std::wstring url = L"previous";
        GetEdgeURL(window.get(), url, nullptr);
        EXPECT_EQ(url, want);
        window.reset();
        EXPECT_EQ(tree.Leaks(), L"");
    }
    std::wstring url = L"previous";
    GetEdgeURL(nullptr, url, nullptr);
    EXPECT_EQ(url, L"previous") << "no window";
}

// A browser whose accessible object stops answering inside a call holds a
// reader no longer than the read's deadline and gets one error line; while
// that read still runs its window is passed over at once; once the browser
// answers again the address is read again. The abandoned read's own lines
// never reach the log.
TEST_F(BrowserReader, ChromeAndEdgeLeaveATreeThatStopsAnsweringAndReadItAgainOnceItAnswers) {
    InstallChrome({L"100.0.4896.75", L""});
    const std::wstring address = L"https://example.com/stalled";
    struct Row {
        const char* reader;
        const wchar_t *frameClass, *fieldName, *fieldRole;
        std::function<std::wstring(HWND, CHostLog*)> read;
        int foundLines;  // "EnumUIChild" lines of one read that finds the field
    };
    const Row rows[] = {
        {"GetChromeURL", L"Chrome_WidgetWin_1", L"Address and search bar", L"editable text",
         [](HWND hwnd, CHostLog* log) {
             wchar_t buffer[261] = {};
             GetChromeURL(hwnd, buffer, log);
             return std::wstring(buffer);
         },
         1},
        {"GetEdgeURL", L"ApplicationFrameWindow", L"検索または Web アドレスを入力", L"編集可能なテキスト",
         [](HWND hwnd, CHostLog* log) {
             std::wstring url;
             GetEdgeURL(hwnd, url, log);
             return url;
         },
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reader);
        const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        FakeAccThread browser(row.frameClass, [&](FakeTree& tree) {
            FakeAccessible* root = tree.Add(L"Frame", L"window");
            root->stallMs = 10000;
            root->release = release.get();
            root->AddObject(tree.Add(row.fieldName, row.fieldRole, STATE_SYSTEM_FOCUSABLE, address));
        });
        ScratchLog log(L"stalled.log");
        const DWORD start = GetTickCount();
        EXPECT_EQ(row.read(browser.hwnd(), &log.log), L"");
        EXPECT_LT(GetTickCount() - start, 2500u) << "held by a browser that does not answer";
        EXPECT_EQ(row.read(browser.hwnd(), &log.log), L"") << "while the stalled read runs";

        SetEvent(release.get());
        std::wstring read;
        for (const DWORD released = GetTickCount(); read.empty() && GetTickCount() - released < 10000; Sleep(20))
            read = row.read(browser.hwnd(), &log.log);
        EXPECT_EQ(read, address);
        const std::vector<std::string> messages = log.Messages();
        EXPECT_EQ(std::count(messages.begin(), messages.end(), NoAnswerLine(row.reader, browser.hwnd())), 1);
        EXPECT_EQ(CountLines(messages, "EnumUIChild"), row.foundLines) << "only the last read's";
        EXPECT_EQ(browser.EndAndLeaks(), L"");
    }
}
