// The readers of older browsers' addresses. Chrome's: the version from the
// registry places, the reader each version takes, the address bar in English
// and Japanese, the ANSI round trip, a hung address window. Every reader of
// an accessible tree against a stand-in browser that stops answering.
#include "browsers/AddressField.h"
#include "browsers/ChromeReader.h"
#include "browsers/ChromeSteps.h"
#include "browsers/EdgeReader.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <thread>

TEST(BrowserReader, ChromeVersionIs99ForInstallerPlacesElseTheBeaconsMajor) {
    const struct {
        const char* label;
        const wchar_t *installed, *beacon;
        int want;
    } rows[] = {
        {"nothing registered", L"", L"", 0},
        {"installer's uninstall entry", L"100.0.4896.75", L"", 99},
        {"beacon only", L"", L"30.0.1599.101", 30},
        {"text without a dot reads as 0, next place", L"100", L"28.0.1500.95", 28},
        {"beacon without digits", L"", L"beta.1", 0},
    };
    for (const auto& row : rows) {
        const ChromeRegistered chrome(row.installed, row.beacon);
        EXPECT_EQ(GetChromeVersion(), row.want) << row.label;
    }
}

// Frame: a tab strip with a tab, a toolbar with Back and a location group
// around the bar.
TEST(BrowserReader, ChromeEachVersionReadsItsWay) {
    const ComInit com;
    const wchar_t* const kBar = L"Address and search bar";
    const std::wstring longUrl = L"https://example.com/" + std::wstring(290, L'a');
    const struct {
        const char* label;
        const wchar_t *installed, *beacon;
        const wchar_t* childClass;  // of the frame's first child window; "Edit": no frame but an Edit window
        const wchar_t *barName, *barRole;
        std::wstring value;
        bool enumerators;
        std::wstring want;
    } rows[] = {
        {"no Chrome registered: the Edit window's text", L"", L"", L"Edit", kBar, L"editable text", L"", true,
         L"http://old.example/"},
        {"installed, children by identifier; Japanese role", L"1.0.0", L"", nullptr, kBar, L"編集可能なテキスト",
         L"https://example.com/path", false, L"https://example.com/path"},
        {"Chrome 30 layout, Japanese name", L"", L"30.0.1599.101", L"Chrome_WidgetWin_0", L"アドレス検索バー",
         L"editable text", L"http://example.org/", true, L"http://example.org/"},
        {"Chrome 30 frame without its child widget", L"", L"30.0.1599.101", nullptr, kBar, L"editable text",
         L"http://example.org/", true, L""},
        {"300 characters come back as 260", L"1.0.0", L"", nullptr, kBar, L"editable text", longUrl, true,
         longUrl.substr(0, 260)},
        {"outside the ANSI code page: '?'", L"1.0.0", L"", nullptr, kBar, L"editable text", L"https://例え.jp/", true,
         L"https://??.jp/"},
    };
    for (const auto& row : rows) {
        const ChromeRegistered chrome(row.installed, row.beacon);
        FakeTree tree;
        FakeNode* root = tree.Add(L"Frame", L"window");
        FakeNode* tabs = root->Add(L"Tabs", L"page tab list");
        tabs->AddElement(L"New Tab", L"page tab");
        FakeNode* toolbar = root->Add(L"Toolbar", L"tool bar");
        toolbar->AddElement(L"Back", L"push button");
        FakeNode* location = toolbar->Add(L"", L"grouping");
        location->Add(row.barName, row.barRole, STATE_SYSTEM_FOCUSABLE, row.value);
        for (FakeNode* node : {root, tabs, toolbar, location}) node->hasEnumerator = row.enumerators;
        {
            const bool edit = row.childClass && std::wstring(row.childClass) == L"Edit";
            FakeBrowser frame(edit ? L"RaOldChrome" : L"Chrome_WidgetWin_1", L"Chrome", &tree);
            HWND read = frame.hwnd();
            if (edit) read = frame.AddChain({L"Edit"}, L"http://old.example/");
            else if (row.childClass) frame.AddChain({row.childClass});
            wchar_t buffer[261] = {};
            EXPECT_EQ(GetChromeURL(read, buffer, nullptr), static_cast<int>(row.want.size())) << row.label;
            EXPECT_EQ(std::wstring(buffer), row.want) << row.label;
        }
        EXPECT_EQ(tree.Faults(), L"") << row.label;
    }
}

TEST(BrowserReader, ChromeHungAddressWindowCostsAtMostHalfASecond) {
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

// A browser whose accessible object stops answering inside a call holds a
// reader no longer than the read's deadline and gets one error line; while
// that read still runs its window is passed over at once; once the browser
// answers again the address is read again. The abandoned read's own lines
// never reach the log. Edge's field is known by its Japanese texts alone,
// and its reader keeps the address it had when it reads none.
TEST(BrowserReader, EveryTreeReaderLeavesABrowserThatStopsAnsweringAndReadsItOnceItAnswers) {
    const ComInit com;
    const ChromeRegistered chrome;
    const std::wstring address = L"https://example.com/stalled";
    const struct {
        const char* reader;
        const wchar_t *windowClass, *shape;
        std::function<std::wstring(HWND, CHostLog*)> read;
        std::wstring unread;
        int foundLines;  // "EnumUIChild" lines of one read that finds the field
    } rows[] = {
        {"GetChromeURL", L"Chrome_WidgetWin_1", L"chrome-legacy",
         [](HWND hwnd, CHostLog* log) {
             wchar_t buffer[261] = {};
             GetChromeURL(hwnd, buffer, log);
             return std::wstring(buffer);
         },
         L"", 1},
        {"GetEdgeURL", L"ApplicationFrameWindow", L"edge-legacy",
         [](HWND hwnd, CHostLog* log) {
             std::wstring url = L"previous";
             GetEdgeURL(hwnd, url, log);
             return url;
         },
         L"previous", 0},
        {"ReadAddressField", L"Chrome_WidgetWin_1", L"edge",
         [](HWND hwnd, CHostLog* log) {
             const AddressField field = ReadAddressField(hwnd, log);
             return field.read == FieldRead::kNoAnswer ? L"no answer" : field.value;
         },
         L"no answer", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reader);
        const std::wstring event = std::wstring(L"RaStalled") + row.shape;
        const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, event.c_str()));
        const ChildProcess browser =
            StandIn(L"browser.exe", row.windowClass, {L"Stalled"}, {L"--tree", row.shape, address, L"--stall", event});
        LogFile log(L"stalled.log");
        const DWORD start = GetTickCount();
        EXPECT_EQ(row.read(browser.Window(), &log), row.unread);
        EXPECT_LT(GetTickCount() - start, 2500u) << "held by a browser that does not answer";
        EXPECT_EQ(row.read(browser.Window(), &log), row.unread) << "while the stalled read runs";
        SetEvent(release.get());
        std::wstring read;
        TestHost::WaitFor([&] { return (read = row.read(browser.Window(), &log)) != row.unread; }, 10000);
        EXPECT_EQ(read, address);
        char line[128];
        std::snprintf(line, sizeof(line), "CRestrictAction::%s [No answer from window 0x%08X within 1000 ms].",
                      row.reader, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(browser.Window())));
        EXPECT_EQ(log.Count(line), 1);
        EXPECT_EQ(log.Count("EnumUIChild"), row.foundLines) << "only the last read's";
    }
}
