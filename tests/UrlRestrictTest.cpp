// MODE_URLRESTRICT through the host's path: addresses shown in "Edit"
// children of browser-shaped windows are judged against the host's allow or
// deny list on the DLL's timer. Where the host is asked first (0x594) and
// takes the case, nothing else happens, so browser classes can be judged in
// windows of the test process itself; windows whose process is to be ended
// are real processes.
#include "support/FakeBrowser.h"
#include "support/ScratchLog.h"
#include "support/SharedWords.h"
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

namespace {

constexpr DWORD kDenyList = 1;
constexpr DWORD kAllowList = 0;
constexpr DWORD kAskHost = 0;
constexpr DWORD kEnforceAtOnce = 1;

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;  // first, second pattern

struct AddressRow {
    const char* label;
    const wchar_t* frameClass;
    std::wstring address;
    bool asked;  // the host is asked about it
    std::vector<const wchar_t*> chain = {L"Edit"};
};

// Put in front of the windows under test: the sweep waits 500 ms after
// each restricted foreground window, on every tick while the host takes
// the case.
std::unique_ptr<FakeBrowser> ForegroundDecoy() {
    auto decoy = std::make_unique<FakeBrowser>(L"RaPlainFrame", L"Decoy");
    SetForegroundWindow(decoy->hwnd());
    return decoy;
}

bool AskedAbout(const TestHost& host, HWND window) {
    for (const auto& n : host.Received(WM_RA_URL_CONFIRM))
        if (n.window == window) return true;
    return false;
}

// Opens the rows' windows at once under a list of `entries`, lets the
// expected questions arrive and two more walks pass. The host takes every
// case, so nothing is closed.
void ExpectQuestions(TestHost& host, const char* label, DWORD sense, const Entries& entries,
                     const std::vector<AddressRow>& rows) {
    SCOPED_TRACE(label);
    HostList list;
    for (const auto& entry : entries) list.Add(entry.first, entry.second);
    host.ClearReceived();
    host.StartRestrict(MODE_URLRESTRICT, sense, list.get(), kAskHost);

    std::vector<std::unique_ptr<FakeBrowser>> windows;
    std::vector<HWND> readers;  // the window whose child shows the address
    for (const AddressRow& row : rows) {
        windows.push_back(std::make_unique<FakeBrowser>(row.frameClass));
        ASSERT_TRUE(windows.back()->hwnd()) << row.label;
        readers.push_back(GetParent(windows.back()->AddChain(row.chain, row.address.c_str())));
    }
    const auto decoy = ForegroundDecoy();
    const auto expectedAsked = [&] {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].asked && !AskedAbout(host, readers[i])) return false;
        return true;
    };
    EXPECT_TRUE(host.WaitFor(expectedAsked, kSweepWaitMs));
    host.Pump(kTwoWalksMs);
    host.StopRestrict(MODE_URLRESTRICT);

    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(AskedAbout(host, readers[i]), rows[i].asked) << rows[i].label;
        EXPECT_FALSE(windows[i]->Closed()) << rows[i].label;
    }
    for (const auto& n : host.Received(WM_RA_URL_CONFIRM)) EXPECT_EQ(n.lParam, static_cast<LPARAM>(sense));
}

class UrlRestrict : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Loaded());
        // The allow list acts only while the shared flag is set; an earlier
        // test may have left it cleared.
        ASSERT_NE(LoadedUrlRestrWords(), nullptr);
        LoadedUrlRestrWords()->checkUrl = TRUE;
        host.Initial(0, 100);
    }
    TestHost host;
};

}  // namespace

// With no Chrome installed, a text is an address by the dot rule: two dots,
// something before and between them, no leading lower-case "file".
TEST_F(UrlRestrict, DenyListMatchesEitherPatternIgnoringCase) {
    const std::wstring longTail(280, L'a');
    host.confirmReply = 1;
    ExpectQuestions(host, "deny list", kDenyList,
        {{L"Example.INVALID", L""}, {L"", L"WWW.Blocked.NET/Path"}, {L"", L"例え.jp"}},
        {
            {"first pattern, other case", L"Chrome_WidgetWin_1", L"http://www.example.invalid/a", true},
            {"second pattern, address in capitals", L"IEFrame", L"HTTP://WWW.BLOCKED.NET/PATH/x", true},
            {"second pattern not held", L"CabinetWClass", L"http://www.blocked.net/other", false},
            {"one dot: no address", L"Chrome_WidgetWin_1", L"example.invalid", false},
            {"dot first: no address", L"ExploreWClass", L".example.invalid", false},
            {"lower-case file: no address", L"CabinetWClass", L"file.example.invalid", false},
            {"FILE in capitals is one", L"CabinetWClass", L"FILE.example.invalid", true},
            {"an empty second pattern matches nothing", L"IEFrame", L"www.other.org", false},
            {"non-Latin host", L"ExploreWClass", L"http://www.例え.jp/", true},
            {"percent signs and control characters", L"CabinetWClass", L"www.example.invalid/%s%n%d\t\x01", true},
            {"pattern beyond the 259 characters read", L"Chrome_WidgetWin_1",
             L"www.x.org/" + longTail + L"example.invalid", false},
            {"long address, pattern early", L"IEFrame", L"www.example.invalid/" + longTail, true},
            {"address deeper in the tree", L"CabinetWClass", L"www.example.invalid/b", true, {L"WorkerW", L"Edit"}},
            {"empty Edit passed over, its child read", L"IEFrame", L"www.example.invalid/c", true, {L"Edit", L"Edit"}},
            {"core window child: only Edge's reader asked", L"CabinetWClass", L"www.example.invalid/d", false,
             {L"Windows.UI.Core.CoreWindow", L"Edit"}},
            {"store-app frame without core window", L"ApplicationFrameWindow", L"www.example.invalid/e", false},
            {"unknown class never read", L"RaPlainFrame", L"www.example.invalid/f", false},
        });
}

TEST_F(UrlRestrict, AllowListSparesListedAddressesOnlyWhileFlagSet) {
    host.confirmReply = 1;
    ExpectQuestions(host, "allow list", kAllowList,
        {{L"", L"www.allowed.com"}, {L"Intranet.Local", L""}, {L"", L"http://www.docs.org/guide"}},
        {
            {"second pattern", L"Chrome_WidgetWin_1", L"http://www.allowed.com/x", false},
            {"first pattern, other case", L"IEFrame", L"http://web.INTRANET.local/", false},
            {"second pattern without its scheme", L"Chrome_WidgetWin_1", L"www.docs.org/guide/page2", false},
            {"same host, other path", L"Chrome_WidgetWin_1", L"www.docs.org/other", true},
            {"unlisted (an empty pattern allows nothing)", L"CabinetWClass", L"www.elsewhere.com", true},
            {"no address", L"CabinetWClass", L"intranet.invalid", false},
        });
    ExpectQuestions(host, "empty allow list", kAllowList, {}, {{"any address", L"IEFrame", L"www.any.com", true}});
    ExpectQuestions(host, "empty deny list", kDenyList, {}, {{"any address", L"IEFrame", L"www.any.com", false}});
    // While the user types in Internet Explorer's address field.
    LoadedUrlRestrWords()->checkUrl = FALSE;
    ExpectQuestions(host, "flag cleared", kAllowList, {}, {{"any address", L"IEFrame", L"www.any.com", false}});
    EXPECT_GT(CountLines(host.LogLines(), "CRestrictAction::CheckInternetRestrictEditbox [g_bCheckUrl=0]"), 0);
    LoadedUrlRestrWords()->checkUrl = TRUE;
}

// One window's tree, read in the order it always was: a window whose child
// shows an address ends its turn with that address's judgement (here: not
// listed), its parent goes on with its next child, and every window that
// shows none asks Firefox at the end of its turn.
TEST_F(UrlRestrict, WalksTheTreeLevelByLevelEachEndingWithItsAddressOrAFirefoxQuestion) {
    host.confirmReply = 1;
    HostList list;
    list.Add(L"denied.invalid");
    FakeBrowser frame(L"IEFrame");
    const HWND shown = CreatePlainWindow(L"WorkerW", L"", frame.hwnd());
    CreatePlainWindow(L"Edit", L"www.allowed.invalid/a", shown);
    CreatePlainWindow(L"Edit", L"www.denied.invalid/a", shown);  // never read
    CreatePlainWindow(L"WorkerW", L"", frame.hwnd());
    CreatePlainWindow(L"Edit", L"", frame.hwnd());
    const HWND denied = CreatePlainWindow(L"WorkerW", L"", frame.hwnd());
    CreatePlainWindow(L"Edit", L"www.denied.invalid/b", denied);
    const auto decoy = ForegroundDecoy();
    host.StartRestrict(MODE_URLRESTRICT, kDenyList, list.get(), kAskHost);
    EXPECT_TRUE(host.WaitFor([&] { return AskedAbout(host, denied); }, kSweepWaitMs));
    host.StopRestrict(MODE_URLRESTRICT);
    EXPECT_FALSE(AskedAbout(host, shown));
    EXPECT_FALSE(AskedAbout(host, frame.hwnd()));

    const std::string level = "CRestrictAction::CheckInternetRestrictEditbox GetChromeVersion() m_ChromeVersion = [0]";
    const std::string firefox = "CQvUrlLaunchControl::CheckInternetRestrictEditbox GetLocalURLFirefox().";
    // The first turn of the frame: the frame, the window judged, the empty
    // window, the empty "Edit", the window asked about.
    const std::vector<std::string> turn = {level, level, level, firefox, level, firefox, level};
    const std::vector<std::string> messages = MessagesOf(host.LogLines());
    const auto first = std::find(messages.begin(), messages.end(), level);
    ASSERT_GE(messages.end() - first, static_cast<std::ptrdiff_t>(turn.size()));
    EXPECT_EQ(std::vector<std::string>(first, first + turn.size()), turn);
}

// Explorer windows are closed, browsers' processes ended, unless the host
// takes the case.
TEST_F(UrlRestrict, EnforcesByHostReplyAndWindowKind) {
    struct Row {
        const char* label;
        DWORD extra;
        LRESULT reply;
        bool asked;
        bool closed;
    };
    const Row rows[] = {
        {"host takes the case", kAskHost, 1, true, false},
        {"host declines", kAskHost, 0, true, true},
        {"host not asked", kEnforceAtOnce, 1, false, true},
    };
    HostList list;
    list.Add(L"blocked");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        host.ClearReceived();
        host.confirmReply = row.reply;
        host.StartRestrict(MODE_URLRESTRICT, kDenyList, list.get(), row.extra);
        FakeBrowser folder(L"CabinetWClass", L"Folder");
        folder.AddChain({L"Edit"}, L"www.blocked.com/x");
        const auto decoy = ForegroundDecoy();
        EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_URL_RESTRICTED).empty(); }, kSweepWaitMs));
        EXPECT_EQ(AskedAbout(host, folder.hwnd()), row.asked);
        EXPECT_EQ(folder.Closed(), row.closed);
        host.StopRestrict(MODE_URLRESTRICT);
    }

    host.ClearReceived();
    host.StartRestrict(MODE_URLRESTRICT, kDenyList, list.get(), kEnforceAtOnce);
    TestApp ie(L"browser.exe", L"IEFrame", {L"Home"}, L"http://www.blocked.com/");
    TestApp chrome(L"chrome.exe", L"Chrome_WidgetWin_1", {L"New Tab"}, L"www.blocked.com/y");
    TestApp shell(L"explorer.exe", L"CabinetWClass", {L"Web folder"}, L"www.blocked.com/z");
    ASSERT_TRUE(ie.Started() && chrome.Started() && shell.Started());
    EXPECT_TRUE(host.WaitFor([&] { return ie.Ended(0) && chrome.Ended(0); }, kSweepWaitMs));
    EXPECT_TRUE(host.WaitFor(
        [&] { return CountLines(host.LogLines(), "szAppExeName szAppExeName is explorer.exe") > 0; }, kSweepWaitMs));
    host.Pump(kTwoWalksMs);
    EXPECT_FALSE(shell.Ended(0));
    host.StopRestrict(MODE_URLRESTRICT);
    std::set<DWORD> notified;
    for (const auto& n : host.Received(WM_RA_URL_RESTRICTED)) notified.insert(n.record.dwProcessId);
    EXPECT_EQ(notified, (std::set<DWORD>{ie.Pid(), chrome.Pid()}));
}
