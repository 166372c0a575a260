// Current browsers through the host's path, no Chrome registered, no DDE: only the field reader sees them.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

void Start(TestHost& host, bool on, UINT tickMs) {
    WriteRestrictIni(host.baseFolder, on ? "[SYSTEM]\n" : "[OPTIONS]\nCURRENT_BROWSERS=0\n");
    host.Initial(0, tickMs);
    host.StartRestrict(MODE_URLRESTRICT, 1, host.List({L"games.example", L"page.example", L"find.example"}), 1);
}

std::string FieldLine(HWND window, const std::string& read) {
    char line[80];
    std::snprintf(line, sizeof(line), "CRestrictAction::ReadAddressField [WINDOW=0x%08X] [",
                  static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)));
    return line + read;
}

}  // namespace

TEST(CurrentBrowsers, ChromiumFieldsAreJudgedInAnyLanguage) {
    TestHost host;
    Start(host, true, 100);
    const auto row = [&](const char* label, const wchar_t* exe, const wchar_t* shape, const wchar_t* address) {
        const bool denied = std::wstring(address).find(L"games") == 0;
        return WindowRow{label, exe, L"Chrome_WidgetWin_1", L"", denied ? Fate::kActed : Fate::kLeft, {},
                         L"Stand-in", shape ? std::vector<std::wstring>{L"--tree", shape, address}
                                            : std::vector<std::wstring>{}};
    };
    ExpectFates(host, {
        row("Edge in French", L"msedge.exe", L"edge", L"games.example/play"),
        row("Edge, allowed", L"msedge.exe", L"edge", L"allowed.example/"),
        row("Brave in Chinese", L"brave.exe", L"brave", L"games.example/play"),
        row("a find bar's and a page's own fields denied", L"chrome.exe", L"page", L"allowed.example/"),
        row("2,000 elements in the tab strip, ahead of the toolbar", L"vivaldi.exe", L"tabs", L"games.example/x"),
        row("an empty field, as on a new tab", L"opera.exe", L"edge", L""),
        row("no tree served", L"msedge.exe", nullptr, L""),
    });
    std::set<std::string> read;
    for (const auto& message : host.log.Messages())
        if (message.find("[URL=allowed.example/]") != std::string::npos) read.insert(message);
    EXPECT_EQ(read.size(), 2u) << "each allowed browser read";
    EXPECT_GT(host.log.Count("[NO ADDRESS]"), 0) << "the empty field, the platform's object";
}

// While Firefox's field has focus its value is a suggestion's label (the denied name): not judged, nor typed
// for. DDE is asked first. Switched off, Firefox passes.
TEST(CurrentBrowsers, FirefoxInFrontIsReadThroughItsTreeWithoutAKeyPressedOrTheClipboardTouched) {
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "on by default" : "CURRENT_BROWSERS=0");
        const UniqueKernelHandle keys(CreateEventW(nullptr, TRUE, FALSE, L"RaCurrentKeys"));
        const UniqueKernelHandle blur(CreateEventW(nullptr, TRUE, FALSE, L"RaCurrentBlur"));
        const ChildProcess firefox =
            StandIn(L"firefox.exe", L"MozillaWindowClass", {L"Stand-in"},
                    {L"--tree", L"firefox", L"games.example/play", L"--keys", L"RaCurrentKeys", L"--focus-until",
                     L"RaCurrentBlur"});
        ASSERT_TRUE(MadeForeground(firefox.Window()));
        const DWORD clipboard = GetClipboardSequenceNumber();
        TestHost host;
        Start(host, on, 500);
        const std::string noDde = "CQvUrlLaunchControl::GetLocalURLFirefox DdeUninitialize() strURL[].";
        const std::string focused = on ? FieldLine(firefox.Window(), "FOCUSED") : noDde;
        EXPECT_TRUE(host.WaitFor([&] { return host.log.Count(focused) >= 3; }));
        EXPECT_FALSE(firefox.Ended(0));
        SetEvent(blur.get());
        EXPECT_EQ(host.WaitFor([&] { return firefox.Ended(0); }, on ? kSweepWaitMs : 2000), on);
        host.StopRestrict(MODE_URLRESTRICT);

        const auto messages = host.log.Messages();
        const std::vector<std::string> run = {noDde, FieldLine(firefox.Window(), "URL=games.example/play].")};
        EXPECT_EQ(std::search(messages.begin(), messages.end(), run.begin(), run.end()) != messages.end(), on);
        EXPECT_EQ(host.log.Count("ReadAddressField") > 0, on);
        EXPECT_EQ(WaitForSingleObject(keys.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "a key reached Firefox";
        EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);
    }
}
