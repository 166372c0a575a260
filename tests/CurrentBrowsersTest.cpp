// Current browsers' address fields through the host's path: stand-in Edge,
// Brave and Firefox processes (TestWindow.exe --tree) serve trees shaped
// like the real ones, with no Chrome registered and no DDE server, so that
// only the field reader sees their addresses. CURRENT_BROWSERS=0 in
// Config\Restrict.ini's [OPTIONS] turns it off: they then pass unjudged.
#include "support/FakeBrowser.h"
#include "support/ScratchLog.h"
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

namespace {

constexpr wchar_t kChromium[] = L"Chrome_WidgetWin_1";

// Reading a stand-in's tree takes about 100 ms here: a tick longer than
// that leaves the host's pumping loop time to look between sweeps.
constexpr UINT kTickMs = 500;

// Restricts URLs under `list`, a deny list enforced at once, with the
// field reader as configured by default or switched off.
void Start(TestHost& host, bool on, HostList& list, UINT tickMs = 100) {
    host.baseFolder = ScratchFolder(on ? L"current-on" : L"current-off");
    CreateDirectoryW((host.baseFolder + L"Config").c_str(), nullptr);
    std::ofstream(Narrow(host.baseFolder + L"Config\\Restrict.ini"), std::ios::trunc)
        << (on ? "[SYSTEM]\n" : "[OPTIONS]\nCURRENT_BROWSERS=0\n");
    host.Initial(0, tickMs);
    host.StartRestrict(MODE_URLRESTRICT, 1, list.get(), 1);
}

// The reader's line for `window`, up to what it read.
std::string FieldLine(HWND window, const std::string& read) {
    char line[80];
    std::snprintf(line, sizeof(line), "CRestrictAction::ReadAddressField [WINDOW=0x%08X] [",
                  static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)));
    return line + read;
}

bool Logged(const TestHost& host, HWND window, const std::string& read, int times = 1) {
    return CountLines(host.LogLines(), FieldLine(window, read)) >= times;
}

}  // namespace

// Every row at once, behind a window of no browser.
TEST(CurrentBrowsers, ChromiumFieldsAreJudgedInAnyLanguageUnlessSwitchedOff) {
    const struct Row {
        const char* label;
        const wchar_t *exe, *shape, *address;
        bool denied;
    } rows[] = {
        {"Edge in French", L"msedge.exe", L"edge", L"games.example/play", true},
        {"Edge, allowed", L"msedge.exe", L"edge", L"allowed.example/", false},
        {"Brave in Chinese", L"brave.exe", L"brave", L"games.example/play", true},
        {"Brave, allowed", L"brave.exe", L"brave", L"allowed.example/", false},
        {"a page's own toolbar field, and a find bar's, are denied", L"chrome.exe", L"page", L"allowed.example/",
         false},
    };
    HostList denied;
    denied.Add(L"games.example").Add(L"page.example").Add(L"find.example");
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "on by default" : "CURRENT_BROWSERS=0");
        std::vector<std::unique_ptr<TestApp>> browsers;
        for (const Row& row : rows) {
            browsers.push_back(std::make_unique<TestApp>(row.exe, kChromium, std::vector<std::wstring>{L"Stand-in"},
                                                         L"", std::vector<std::wstring>{L"--tree", row.shape,
                                                                                        row.address}));
            ASSERT_TRUE(browsers.back()->Started()) << row.label;
        }
        const FakeBrowser decoy(L"RaDecoyFrame", L"Decoy");
        ASSERT_TRUE(MadeForeground(decoy.hwnd()));
        TestHost host;
        Start(host, on, denied);
        const auto settled = [&] {
            for (size_t i = 0; i < browsers.size(); ++i)
                if (rows[i].denied ? !browsers[i]->Ended(0) : !Logged(host, browsers[i]->Window(), "URL=")) return false;
            return true;
        };
        EXPECT_EQ(host.WaitFor(settled, on ? kSweepWaitMs : kTwoWalksMs), on);
        host.Pump(kTwoWalksMs);
        host.StopRestrict(MODE_URLRESTRICT);
        for (size_t i = 0; i < browsers.size(); ++i)
            EXPECT_EQ(browsers[i]->Ended(0), on && rows[i].denied) << rows[i].label;
        EXPECT_GT(CountLines(host.LogLines(), "GetChromeVersion() m_ChromeVersion = [0]"), 0);
        EXPECT_EQ(CountLines(host.LogLines(), "ReadAddressField") > 0, on);
    }
}

// Firefox in front, which hides "http://". While its field has focus its
// value is a suggestion's label, here holding the denied name: neither is
// it judged nor does the keyboard take over. Once focus leaves, the
// address is judged. DDE is asked first, as before.
TEST(CurrentBrowsers, FirefoxInFrontIsReadThroughItsTreeWithoutAKeyPressedOrTheClipboardTouched) {
    HostList denied;
    denied.Add(L"games.example");
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "on by default" : "CURRENT_BROWSERS=0");
        const UniqueKernelHandle keys(CreateEventW(nullptr, TRUE, FALSE, L"RaCurrentKeys"));
        const UniqueKernelHandle blur(CreateEventW(nullptr, TRUE, FALSE, L"RaCurrentBlur"));
        const TestApp firefox(L"firefox.exe", L"MozillaWindowClass", {L"Stand-in"}, L"",
                              {L"--tree", L"firefox", L"games.example/play", L"--keys", L"RaCurrentKeys",
                               L"--focus-until", L"RaCurrentBlur"});
        ASSERT_TRUE(firefox.Started());
        ASSERT_TRUE(MadeForeground(firefox.Window()));
        const DWORD clipboard = GetClipboardSequenceNumber();
        TestHost host;
        Start(host, on, denied, kTickMs);
        const std::string noDde = "CQvUrlLaunchControl::GetLocalURLFirefox DdeUninitialize() strURL[].";
        EXPECT_TRUE(host.WaitFor(
            [&] { return on ? Logged(host, firefox.Window(), "FOCUSED", 3) : CountLines(host.LogLines(), noDde) >= 3; },
            kSweepWaitMs));
        EXPECT_FALSE(firefox.Ended(0));
        SetEvent(blur.get());
        EXPECT_EQ(host.WaitFor([&] { return firefox.Ended(0); }, on ? kSweepWaitMs : 4 * kTickMs), on);
        host.StopRestrict(MODE_URLRESTRICT);

        const std::vector<std::string> lines = host.LogLines();
        EXPECT_EQ(HasRun(lines, {noDde, FieldLine(firefox.Window(), "URL=games.example/play]")}), on);
        EXPECT_EQ(CountLines(lines, "ReadAddressField") > 0, on);
        EXPECT_EQ(WaitForSingleObject(keys.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "a key reached Firefox";
        EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);
    }
}
