// The address field of current browsers, read from stand-in browser
// processes that serve their accessible trees (real COM proxies): Chromium
// of any vendor and UI language, Firefox, fields that are not the address
// field, a field being typed in, a browser that does not answer; and no
// key pressed nor the clipboard touched on the way.
#include "browsers/AddressField.h"
#include "support/FakeAccessible.h"
#include "support/FakeBrowser.h"
#include "support/ScratchLog.h"
#include "support/TestApp.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kChromium[] = L"Chrome_WidgetWin_1";
constexpr wchar_t kFirefox[] = L"MozillaWindowClass";

// "address games.example/play", "typing ...", "none", "no answer".
std::string Describe(const AddressField& field) {
    switch (field.read) {
    case FieldRead::kAddress: return "address " + Narrow(field.value);
    case FieldRead::kTyping: return "typing " + Narrow(field.value);
    case FieldRead::kNone: return field.value.empty() ? "none" : "none with " + Narrow(field.value);
    case FieldRead::kNoAnswer: return field.value.empty() ? "no answer" : "no answer with " + Narrow(field.value);
    }
    return "?";
}

// A stand-in browser serving tree `shape` that shows `address`, with
// TestWindow.exe's `more` options.
TestApp StandInBrowser(const wchar_t* exe, const wchar_t* windowClass, const wchar_t* shape,
                       const std::wstring& address, std::vector<std::wstring> more = {}) {
    more.insert(more.begin(), {L"--tree", shape, address});
    return TestApp(exe, windowClass, {L"Stand-in"}, L"", more);
}

}  // namespace

TEST(AddressField, EachBrowserShapeGivesWhatItsAddressFieldShows) {
    struct Row {
        const char* label;
        const wchar_t *exe, *windowClass, *shape, *address;
        std::string want;
    };
    const Row rows[] = {
        {"Edge, named in French", L"msedge.exe", kChromium, L"edge", L"games.example/play",
         "address games.example/play"},
        {"Brave, named in Chinese", L"brave.exe", kChromium, L"brave", L"allowed.example/", "address allowed.example/"},
        {"Firefox: toolbar, combo box, field", L"firefox.exe", kFirefox, L"firefox", L"https://games.example/play",
         "address https://games.example/play"},
        {"a find bar's field and a page's own toolbar and field come first", L"chrome.exe", kChromium, L"page",
         L"games.example/play", "address games.example/play"},
        {"2,000 elements in the tab strip, ahead of the toolbar", L"msedge.exe", kChromium, L"tabs",
         L"games.example/play", "address games.example/play"},
        {"an empty field, as on a new tab", L"msedge.exe", kChromium, L"edge", L"", "none"},
        {"no tree served: the platform's own window object", L"msedge.exe", kChromium, nullptr, L"", "none"},
    };
    for (const Row& row : rows) {
        const TestApp browser = row.shape ? StandInBrowser(row.exe, row.windowClass, row.shape, row.address)
                                          : TestApp(row.exe, row.windowClass, {L"Stand-in"});
        ASSERT_TRUE(browser.Started()) << row.label;
        EXPECT_EQ(Describe(ReadAddressField(browser.Window(), nullptr)), row.want) << row.label;
    }
}

TEST(AddressField, FocusedFieldIsTypingUntilFocusLeavesThenItGivesTheAddress) {
    const UniqueKernelHandle blur(CreateEventW(nullptr, TRUE, FALSE, L"RaAddressFieldBlur"));
    const TestApp browser = StandInBrowser(L"msedge.exe", kChromium, L"edge", L"games.example/play",
                                           {L"--focus-until", L"RaAddressFieldBlur"});
    ASSERT_TRUE(browser.Started());
    EXPECT_EQ(Describe(ReadAddressField(browser.Window(), nullptr)),
              "typing games.example/play location from history");
    SetEvent(blur.get());
    EXPECT_EQ(Describe(ReadAddressField(browser.Window(), nullptr)), "address games.example/play");
}

// The read is left behind at its deadline with one error line; while it
// runs the window is passed over; once the browser answers, its tree is
// read again (the platform's window object: no field).
TEST(AddressField, BrowserThatDoesNotAnswerGivesNoAnswerWithOneLineUntilItAnswers) {
    const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, L"RaAddressFieldRelease"));
    const TestApp browser(L"msedge.exe", kChromium, {L"Stalled"}, L"", {L"--stall-tree", L"RaAddressFieldRelease"});
    ASSERT_TRUE(browser.Started());
    ScratchLog log(L"field.log");
    EXPECT_EQ(Describe(ReadAddressField(browser.Window(), &log.log)), "no answer");
    EXPECT_EQ(Describe(ReadAddressField(browser.Window(), &log.log)), "no answer") << "while the first read runs";
    SetEvent(release.get());
    AddressField field{FieldRead::kNoAnswer, {}};
    for (const DWORD start = GetTickCount(); field.read == FieldRead::kNoAnswer && GetTickCount() - start < 10000;
         Sleep(50))
        field = ReadAddressField(browser.Window(), &log.log);
    EXPECT_EQ(Describe(field), "none");
    EXPECT_EQ(log.Messages(), std::vector<std::string>{NoAnswerLine("ReadAddressField", browser.Window())});
}

// Firefox in front, with no DDE server: its address comes from the tree
// alone. The stand-in would record any keyboard input it received.
TEST(AddressField, FirefoxInFrontIsReadWithoutAKeyPressedOrTheClipboardTouched) {
    const UniqueKernelHandle keys(CreateEventW(nullptr, TRUE, FALSE, L"RaAddressFieldKeys"));
    const TestApp firefox = StandInBrowser(L"firefox.exe", kFirefox, L"firefox", L"https://games.example/play",
                                           {L"--keys", L"RaAddressFieldKeys"});
    ASSERT_TRUE(firefox.Started());
    ASSERT_TRUE(MadeForeground(firefox.Window()));
    const DWORD clipboard = GetClipboardSequenceNumber();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Describe(ReadAddressField(firefox.Window(), nullptr)), "address https://games.example/play");
    EXPECT_EQ(WaitForSingleObject(keys.get(), 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "a key reached Firefox";
    EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);

    // The stand-in does hear keys.
    INPUT shift[2] = {};
    for (INPUT& input : shift) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = VK_SHIFT;
    }
    shift[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, shift, sizeof(INPUT));
    EXPECT_EQ(WaitForSingleObject(keys.get(), 5000), WAIT_OBJECT_0);
}
