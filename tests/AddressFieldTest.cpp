// The address field of current browsers, read from stand-in browser
// processes that serve their accessible trees (real COM proxies): Chromium
// of any vendor and UI language, Firefox, fields that are not the address
// field, a field being typed in; and no key pressed nor the clipboard
// touched on the way. A browser that does not answer: BrowserReaderTest.
#include "browsers/AddressField.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kChromium[] = L"Chrome_WidgetWin_1";
constexpr wchar_t kFirefox[] = L"MozillaWindowClass";

// "address games.example/play", "typing ...", "none", "no answer".
std::string Describe(const AddressField& field) {
    const char* const reads[] = {"address ", "typing ", "none", "no answer"};
    return reads[static_cast<int>(field.read)] + Narrow(field.value);
}

// A stand-in browser serving tree `shape` that shows `address`.
ChildProcess StandInBrowser(const wchar_t* exe, const wchar_t* windowClass, const wchar_t* shape,
                            const std::wstring& address, std::vector<std::wstring> more = {}) {
    more.insert(more.begin(), {L"--tree", shape, address});
    return StandIn(exe, windowClass, {L"Stand-in"}, more);
}

}  // namespace

TEST(AddressField, EachBrowserShapeGivesWhatItsAddressFieldShows) {
    const struct {
        const char* label;
        const wchar_t *exe, *windowClass, *shape, *address;
        std::string want;
    } rows[] = {
        {"Edge, named in French", L"msedge.exe", kChromium, L"edge", L"games.example/play", "address games.example/play"},
        {"Brave, named in Chinese", L"brave.exe", kChromium, L"brave", L"allowed.example/", "address allowed.example/"},
        {"Firefox: toolbar, combo box, field", L"firefox.exe", kFirefox, L"firefox", L"https://games.example/play",
         "address https://games.example/play"},
        {"a find bar's field and a page's own toolbar and field come first", L"chrome.exe", kChromium, L"page",
         L"games.example/play", "address games.example/play"},
        {"2,000 elements in the tab strip, ahead of the toolbar", L"msedge.exe", kChromium, L"tabs",
         L"games.example/play", "address games.example/play"},
        {"an empty field, as on a new tab", L"msedge.exe", kChromium, L"edge", L"", "none"},
    };
    for (const auto& row : rows) {
        const ChildProcess browser = StandInBrowser(row.exe, row.windowClass, row.shape, row.address);
        ASSERT_TRUE(browser.Window()) << row.label;
        EXPECT_EQ(Describe(ReadAddressField(browser.Window(), nullptr)), row.want) << row.label;
    }
    const ChildProcess plain = StandIn(L"msedge.exe", kChromium, {L"Stand-in"});
    EXPECT_EQ(Describe(ReadAddressField(plain.Window(), nullptr)), "none") << "the platform's own window object";
}

TEST(AddressField, FocusedFieldIsTypingUntilFocusLeavesThenItGivesTheAddress) {
    const UniqueKernelHandle blur(CreateEventW(nullptr, TRUE, FALSE, L"RaAddressFieldBlur"));
    const ChildProcess browser =
        StandInBrowser(L"msedge.exe", kChromium, L"edge", L"games.example/play", {L"--focus-until", L"RaAddressFieldBlur"});
    EXPECT_EQ(Describe(ReadAddressField(browser.Window(), nullptr)), "typing games.example/play location from history");
    SetEvent(blur.get());
    EXPECT_EQ(Describe(ReadAddressField(browser.Window(), nullptr)), "address games.example/play");
}

// Firefox in front, with no DDE server: its address comes from the tree
// alone. The stand-in records any keyboard input it receives, as a shift
// key pressed afterwards shows.
TEST(AddressField, FirefoxInFrontIsReadWithoutAKeyPressedOrTheClipboardTouched) {
    const UniqueKernelHandle keys(CreateEventW(nullptr, TRUE, FALSE, L"RaAddressFieldKeys"));
    const ChildProcess firefox = StandInBrowser(L"firefox.exe", kFirefox, L"firefox", L"https://games.example/play",
                                                {L"--keys", L"RaAddressFieldKeys"});
    ASSERT_TRUE(MadeForeground(firefox.Window()));
    const DWORD clipboard = GetClipboardSequenceNumber();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Describe(ReadAddressField(firefox.Window(), nullptr)), "address https://games.example/play");
    EXPECT_EQ(WaitForSingleObject(keys.get(), 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "a key reached Firefox";
    EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);
    INPUT shift[2] = {};
    for (INPUT& input : shift) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = VK_SHIFT;
    }
    shift[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, shift, sizeof(INPUT));
    EXPECT_EQ(WaitForSingleObject(keys.get(), 5000), WAIT_OBJECT_0);
}
