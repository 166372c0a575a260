// The low-level input hooks of MODE_URLRESTRICT through the host's path:
// SendInput into Internet Explorer-shaped window chains drives g_bCheckUrl,
// read from the module's shared section.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr DWORD kInputWaitMs = 10000;
const std::vector<const wchar_t*> kIE8Chain = {L"WorkerW", L"ReBarWindow32", L"Address Band Root", L"Edit"};

// The installed Internet Explorer version, for one test. No Internet
// Explorer is registered in the test prefix, so the value goes afterwards.
struct IEVersionValue {
    explicit IEVersionValue(const std::wstring& text) { SetRegistryText(HKEY_LOCAL_MACHINE, kKey, L"IE", text); }
    ~IEVersionValue() { SetRegistryText(HKEY_LOCAL_MACHINE, kKey, L"IE", L""); }
    static constexpr wchar_t kKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector";
};

// A key pressed and let go, or (0) the mouse moved.
void SendInputOf(WORD vk) {
    INPUT input[2] = {};
    input[0].type = vk ? INPUT_KEYBOARD : INPUT_MOUSE;
    input[0].ki.wVk = vk;
    if (!vk) input[0].mi = {1, 1, 0, MOUSEEVENTF_MOVE, 0, 0};
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(vk ? 2 : 1, input, sizeof(INPUT));
}

// Presses "A" into the focused `edit` and waits until the letter arrived:
// the hooks have seen the key by then.
bool TypeLetter(TestHost& host, HWND edit) {
    const int before = GetWindowTextLengthW(edit);
    SendInputOf('A');
    return host.WaitFor([&] { return GetWindowTextLengthW(edit) > before; }, kInputWaitMs);
}

// Types a letter into the focused Internet Explorer address field, then
// sends `resume` (a key, or 0: a mouse move). The flag drops to 0 and comes
// back to 1, and the browser stays in front throughout.
void ExpectTypingTracked(TestHost& host, HWND address, WORD resume) {
    const HWND browser = GetAncestor(address, GA_ROOT);
    EXPECT_TRUE(TypeLetter(host, address)) << "the letter reached the address field";
    EXPECT_EQ(SharedWords()->checkUrl, FALSE);
    EXPECT_EQ(GetForegroundWindow(), browser) << "after typing";
    SendInputOf(resume);
    EXPECT_TRUE(host.WaitFor([&] { return SharedWords()->checkUrl == TRUE; }, kInputWaitMs)) << "resumed by " << resume;
    EXPECT_EQ(GetForegroundWindow(), browser) << "after resuming";
}

class InputHooks : public testing::Test {
protected:
    void SetUp() override {
        host.Initial(0, 100);
        // An empty deny list: the sweep judges nothing while the hooks run.
        host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
        SharedWords()->checkUrl = TRUE;
    }
    void TearDown() override { SharedWords()->checkUrl = TRUE; }

    IEVersionValue version{L"11.0000"};
    TestHost host;
};

}  // namespace

// The hooks are installed once however often the mode starts, and removed
// by its stop. Typing in Internet Explorer's address field clears the flag;
// Enter there and mouse activity set it again. Other focus, other layouts
// and other frames leave it as it is.
TEST_F(InputHooks, SharedHooksTrackTypingInIEAddressFieldUntilStop) {
    const struct {
        const char* label;
        const wchar_t* version;
        const wchar_t* frameClass;
        std::vector<const wchar_t*> chain;
        bool tracked;
    } rows[] = {
        {"IE 8, version text without point", L"8", L"IEFrame", kIE8Chain, true},
        {"IE 7 looks for another layout", L"7.0.5730.13", L"IEFrame", kIE8Chain, false},
        {"version not a number", L"abc", L"IEFrame", kIE8Chain, false},
        {"IE's layout in an unknown frame", L"11.0000", L"RaPlainFrame", kIE8Chain, false},
        {"chain broken below WorkerW", L"11.0000", L"IEFrame", {L"WorkerW", L"Address Band Root", L"Edit"}, false},
    };
    const UrlRestrWords* words = SharedWords();
    host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
    EXPECT_NE(words->keyboardHook, nullptr);
    EXPECT_NE(words->mouseHook, nullptr);
    EXPECT_EQ(host.log.Count("CRestrictAction::Install WH_KEYBOARD_LL"), 1);
    EXPECT_EQ(host.log.Count("CRestrictAction::Install WH_MOUSE_LL"), 1);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        IEVersionValue version(row.version);
        // The hooks use the version read when the mode starts.
        host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
        FakeBrowser browser(row.frameClass, L"Browser");
        const HWND address = browser.AddChain(row.chain);
        const HWND other = browser.AddChain({L"Edit"});
        SetForegroundWindow(browser.hwnd());
        SetFocus(address);
        if (row.tracked) {
            ExpectTypingTracked(host, address, VK_RETURN);
            ExpectTypingTracked(host, address, 0);
            SetFocus(other);
        }
        ASSERT_TRUE(TypeLetter(host, row.tracked ? other : address));
        EXPECT_EQ(words->checkUrl, TRUE);
    }
    host.StopRestrict(MODE_URLRESTRICT);
    EXPECT_EQ(words->keyboardHook, nullptr);
    EXPECT_EQ(words->mouseHook, nullptr);
    host.StopRestrict(MODE_URLRESTRICT);
    host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
    EXPECT_NE(words->keyboardHook, nullptr);
    EXPECT_EQ(host.log.Count("CRestrictAction::Install WH_MOUSE_LL"), 2);
}

// A second host maps the same module and unloads it while this host's hooks
// run: the shared words keep this host's handles and both hooks go on. The
// second is the reference host, watching applications only: its log shows
// that the module ran there. The browser's windows live on another thread
// than the hooks: its focus is read without taking the user's window out of
// the front, and the Enter that follows the typing is seen.
TEST_F(InputHooks, AnotherHostUnloadingLeavesTheHooksWhichSeeEnterInAnotherThreadsAddressField) {
    const UrlRestrWords before = *SharedWords();
    ASSERT_NE(before.keyboardHook, nullptr);
    LogFile secondLog(L"secondhost.log");
    ChildProcess second(ProgramFolder() + L"RefHost.exe",
                        L"RefHost.exe --start 4 --run 0 --log \"" + secondLog.path + L"\"");
    ASSERT_TRUE(host.WaitFor([&] { return second.Ended(0); }));
    EXPECT_EQ(secondLog.Count("CRestrictAction::StopRestrictAction [MODE_APPWATCH]."), 1);
    EXPECT_EQ(SharedWords()->keyboardHook, before.keyboardHook);
    EXPECT_EQ(SharedWords()->mouseHook, before.mouseHook);

    std::atomic<HWND> address{nullptr};
    std::atomic<bool> quit{false};
    std::thread ie([&] {
        FakeBrowser browser(L"IEFrame", L"Browser");
        const HWND field = browser.AddChain(kIE8Chain);
        SetForegroundWindow(browser.hwnd());
        SetFocus(field);
        address = field;
        TestHost::WaitFor([&] { return quit.load(); }, INFINITE);
    });
    EXPECT_TRUE(host.WaitFor([&] { return address && GetForegroundWindow() == GetAncestor(address, GA_ROOT); },
                             kInputWaitMs));
    ExpectTypingTracked(host, address, VK_RETURN);
    ExpectTypingTracked(host, address, 0);
    quit = true;
    ie.join();
}
