// Current browsers' address fields through the host's path: stand-in
// processes serve Edge-, Brave- and Firefox-shaped trees, with no Chrome
// registered and no DDE server, so only the field reader sees their
// addresses. [OPTIONS] CURRENT_BROWSERS=0 turns it off: they pass unjudged.
#include "support/FakeBrowser.h"
#include "support/ScratchLog.h"
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

namespace {

// Restricts URLs under a deny list, enforced at once, with the reader on by
// default or switched off. A tick must outlast a read of a stand-in's tree
// (about 100 ms here) for the host's pumping loop to look between sweeps.
void Start(TestHost& host, bool on, HostList& list, UINT tickMs) {
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

}  // namespace

// Every row at once, behind a window of no browser, which is cheap to sweep.
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
        {"a find bar's and a page's own fields denied", L"chrome.exe", L"page", L"allowed.example/", false},
    };
    HostList denied;
    denied.Add(L"games.example").Add(L"page.example").Add(L"find.example");
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "on by default" : "CURRENT_BROWSERS=0");
        std::vector<std::unique_ptr<TestApp>> browsers;
        for (const Row& row : rows) {
            browsers.push_back(std::make_unique<TestApp>(row.exe, L"Chrome_WidgetWin_1",
                                                         std::vector<std::wstring>{L"Stand-in"}, L"",
                                                         std::vector<std::wstring>{L"--tree", row.shape, row.address}));
            ASSERT_TRUE(browsers.back()->Started()) << row.label;
        }
        const FakeBrowser decoy(L"RaDecoyFrame", L"Decoy");
        ASSERT_TRUE(MadeForeground(decoy.hwnd()));
        TestHost host;
        Start(host, on, denied, 100);
        const auto settled = [&] {
            for (size_t i = 0; i < browsers.size(); ++i)
                if (rows[i].denied ? !browsers[i]->Ended(0)
                                   : CountLines(host.LogLines(), FieldLine(browsers[i]->Window(), "URL=")) == 0)
                    return false;
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

// Firefox in front hides "http://". While its field has focus its value is
// a suggestion's label, here holding the denied name: it is not judged, nor
// does the keyboard take over. Once focus leaves, the address is judged.
// DDE is asked first, as before.
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
        Start(host, on, denied, 500);
        const std::string noDde = "CQvUrlLaunchControl::GetLocalURLFirefox DdeUninitialize() strURL[].";
        const std::string focused = on ? FieldLine(firefox.Window(), "FOCUSED") : noDde;
        EXPECT_TRUE(host.WaitFor([&] { return CountLines(host.LogLines(), focused) >= 3; }, kSweepWaitMs));
        EXPECT_FALSE(firefox.Ended(0));
        SetEvent(blur.get());
        EXPECT_EQ(host.WaitFor([&] { return firefox.Ended(0); }, on ? kSweepWaitMs : 2000), on);
        host.StopRestrict(MODE_URLRESTRICT);

        const std::vector<std::string> lines = host.LogLines();
        EXPECT_EQ(HasRun(lines, {noDde, FieldLine(firefox.Window(), "URL=games.example/play]")}), on);
        EXPECT_EQ(CountLines(lines, "ReadAddressField") > 0, on);
        EXPECT_EQ(WaitForSingleObject(keys.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "a key reached Firefox";
        EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);
    }
}
