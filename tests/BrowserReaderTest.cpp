// Older browsers' address readers by version, and every tree reader against a browser that stops answering.
#include "browsers/AddressField.h"
#include "browsers/ChromeReader.h"
#include "browsers/ChromeSteps.h"
#include "browsers/EdgeReader.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

// A version text without a dot reads as 0, and the next place is asked.
TEST(BrowserReader, ChromeEachVersionReadsItsWay) {
    const ComInit com;
    const wchar_t* const kBar = L"Address and search bar";
    const std::wstring longTail(290, L'a');
    const struct {
        const char* label;
        const wchar_t *installed, *beacon;
        const wchar_t* childClass;  // of the frame's child; "Edit": an Edit window is read, not the tree
        const wchar_t *barName, *barRole;
        std::wstring value;
        bool enumerators;
        std::wstring want;
    } rows[] = {
        {"installer's place without a dot, beacon 28: the Edit window's text", L"100", L"28.0.1500.95", L"Edit", kBar,
         L"editable text", L"", true, L"http://old.example/"},
        {"installed, children by identifier; Japanese role; '?' outside the code page, cut at 260", L"1.0.0", L"",
         nullptr, kBar, L"編集可能なテキスト", L"https://例え.jp/" + longTail, false,
         (L"https://??.jp/" + longTail).substr(0, 260)},
        {"Chrome 30 layout, Japanese name", L"", L"30.0.1599.101", L"Chrome_WidgetWin_0", L"アドレス検索バー",
         L"editable text", L"http://example.org/", true, L"http://example.org/"},
    };
    for (const auto& row : rows) {
        const ChromeRegistered chrome(row.installed, row.beacon);
        const bool edit = row.childClass && std::wstring(row.childClass) == L"Edit";
        FakeTree tree;
        FakeNode* root = tree.Add(L"Frame", L"window");
        FakeNode* tabs = root->Add(L"Tabs", L"page tab list");
        tabs->AddElement(L"New Tab", L"page tab");
        FakeNode* toolbar = root->Add(L"Toolbar", L"tool bar");
        toolbar->AddElement(L"Back", L"push button");
        FakeNode* location = toolbar->Add(L"", L"grouping");
        location->Add(row.barName, row.barRole, STATE_SYSTEM_FOCUSABLE, row.value);
        for (FakeNode* node : {root, tabs, toolbar, location}) node->hasEnumerator = row.enumerators;
        FakeBrowser frame(edit ? L"RaOldChrome" : L"Chrome_WidgetWin_1", L"Chrome", &tree);
        HWND read = frame.hwnd();
        if (edit) read = frame.AddChain({L"Edit"}, L"http://old.example/");
        else if (row.childClass) frame.AddChain({row.childClass});
        wchar_t buffer[261] = {};
        EXPECT_EQ(GetChromeURL(read, buffer, nullptr), static_cast<int>(row.want.size())) << row.label;
        EXPECT_EQ(std::wstring(buffer), row.want) << row.label;
        EXPECT_EQ(tree.Faults(), L"") << row.label;
    }
}

TEST(BrowserReader, ChromeHungAddressWindowCostsAtMostHalfASecond) {
    const UniqueKernelHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HWND edit = nullptr;
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

namespace {

// Reader 0 is Chrome's, 1 Edge's, 2 the field's.
std::wstring ReadTree(int reader, HWND hwnd, CHostLog* log) {
    std::wstring url = L"unread";
    wchar_t buffer[261] = {};
    if (reader == 0 && GetChromeURL(hwnd, buffer, log) > 0) url = buffer;
    if (reader == 1) GetEdgeURL(hwnd, url, log);
    const AddressField field = reader == 2 ? ReadAddressField(hwnd, log) : AddressField{FieldRead::kNoAnswer, {}};
    return field.read == FieldRead::kNoAnswer ? url : field.value;
}

}  // namespace

// A browser stuck in a call holds a reader no longer than the deadline, for one error line, and is passed
// over until it answers again; the abandoned read's own lines never reach the log.
TEST(BrowserReader, EveryTreeReaderLeavesABrowserThatStopsAnsweringAndReadsItOnceItAnswers) {
    const ComInit com;
    const ChromeRegistered chrome;
    const std::wstring address = L"https://example.com/stalled";
    const struct {
        const char* name;
        const wchar_t *windowClass, *shape;
        int foundLines;  // "EnumUIChild" lines of one read that finds the field
    } readers[] = {
        {"GetChromeURL", L"Chrome_WidgetWin_1", L"chrome-legacy", 1},
        {"GetEdgeURL", L"ApplicationFrameWindow", L"edge-legacy", 0},
        {"ReadAddressField", L"Chrome_WidgetWin_1", L"edge", 0},
    };
    for (int reader = 0; reader < 3; ++reader) {
        const auto& row = readers[reader];
        SCOPED_TRACE(row.name);
        const std::wstring event = std::wstring(L"RaStalled") + row.shape;
        const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, event.c_str()));
        const ChildProcess browser =
            StandIn(L"browser.exe", row.windowClass, {L"Stalled"}, {L"--tree", row.shape, address, L"--stall", event});
        LogFile log(L"stalled.log");
        const DWORD start = GetTickCount();
        EXPECT_EQ(ReadTree(reader, browser.Window(), &log), L"unread");
        EXPECT_LT(GetTickCount() - start, 2500u) << "held by a browser that does not answer";
        EXPECT_EQ(ReadTree(reader, browser.Window(), &log), L"unread") << "while the stalled read runs";
        SetEvent(release.get());
        std::wstring read;
        TestHost::WaitFor([&] { return (read = ReadTree(reader, browser.Window(), &log)) != L"unread"; }, 10000);
        EXPECT_EQ(read, address);
        char line[128];
        std::snprintf(line, sizeof(line), "CRestrictAction::%s [No answer from window 0x%08X within 1000 ms].",
                      row.name, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(browser.Window())));
        EXPECT_EQ(log.Count(line), 1);
        EXPECT_EQ(log.Count("EnumUIChild"), row.foundLines) << "only the last read's";
    }
}
