// The low-level input hooks of MODE_URLRESTRICT through the host's path:
// SendInput into Internet Explorer-shaped window chains drives g_bCheckUrl,
// read from the module's shared section.
#include "support/ChildProcess.h"
#include "support/FakeBrowser.h"
#include "support/ScratchLog.h"
#include "support/SharedWords.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr DWORD kInputWaitMs = 10000;
constexpr DWORD kSecondHostWaitMs = 30000;
constexpr wchar_t kVersionKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector";
const std::vector<const wchar_t*> kIE8Chain = {L"WorkerW", L"ReBarWindow32", L"Address Band Root", L"Edit"};

// The installed Internet Explorer version, for one test. No Internet
// Explorer is registered in the test prefix, so the value goes afterwards.
struct IEVersionValue {
    explicit IEVersionValue(const std::wstring& text) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kVersionKey, L"IE", REG_SZ, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    ~IEVersionValue() { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kVersionKey, L"IE"); }
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
void ExpectTypingTracked(TestHost& host, const UrlRestrWords* words, HWND address, WORD resume) {
    const HWND browser = GetAncestor(address, GA_ROOT);
    EXPECT_TRUE(TypeLetter(host, address)) << "the letter reached the address field";
    EXPECT_EQ(words->checkUrl, FALSE);
    EXPECT_EQ(GetForegroundWindow(), browser) << "after typing";
    SendInputOf(resume);
    EXPECT_TRUE(host.WaitFor([&] { return words->checkUrl == TRUE; }, kInputWaitMs)) << "resumed by " << resume;
    EXPECT_EQ(GetForegroundWindow(), browser) << "after resuming";
}

// Internet Explorer in front with its address field focused, on a thread of
// its own as a real browser's windows are: the hooks read another thread's
// focus.
class IEOnOwnThread {
public:
    IEOnOwnThread() : thread_([this] { Run(); }) {}
    ~IEOnOwnThread() {
        quit_ = true;
        thread_.join();
    }
    HWND Address() const { return address_; }

private:
    void Run() {
        FakeBrowser browser(L"IEFrame", L"Browser");
        const HWND address = browser.AddChain(kIE8Chain);
        SetForegroundWindow(browser.hwnd());
        SetFocus(address);
        address_ = address;
        for (MSG msg; !quit_; MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT))
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
    }

    std::atomic<HWND> address_{nullptr};
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

}  // namespace

// The hooks are installed once however often the mode starts, and removed
// by its stop. Typing in Internet Explorer's address field clears the flag;
// Enter there and mouse activity set it again. Other browsers, other focus
// and other layouts leave it as it is.
TEST(InputHooks, SharedHooksTrackTypingInIEAddressFieldUntilStop) {
    struct Row {
        const char* label;
        const wchar_t* version;
        const wchar_t* frameClass;
        std::vector<const wchar_t*> chain;
        bool tracked;
    };
    const Row rows[] = {
        {"IE 11", L"11.0000", L"IEFrame", kIE8Chain, true},
        {"IE 8, version text without point", L"8", L"IEFrame", kIE8Chain, true},
        {"IE 7 looks for another layout", L"7.0.5730.13", L"IEFrame", kIE8Chain, false},
        {"version not a number", L"abc", L"IEFrame", kIE8Chain, false},
        {"Chrome in front", L"11.0000", L"Chrome_WidgetWin_1", {L"Edit"}, false},
        {"IE's layout in an unknown frame", L"11.0000", L"RaPlainFrame", kIE8Chain, false},
        {"chain broken below WorkerW", L"11.0000", L"IEFrame", {L"WorkerW", L"Address Band Root", L"Edit"}, false},
    };
    TestHost host;
    ASSERT_TRUE(host.Loaded());
    host.Initial(0, 100);
    // The layout a second process maps: three shared words.
    const IMAGE_SECTION_HEADER* section = LoadedUrlRestrSection();
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->Misc.VirtualSize, 12u);
    EXPECT_NE(section->Characteristics & IMAGE_SCN_MEM_SHARED, 0u);
    UrlRestrWords* words = LoadedUrlRestrWords();

    // An empty deny list: the sweep judges nothing while the hooks run.
    host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
    host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
    EXPECT_NE(words->keyboardHook, nullptr);
    EXPECT_NE(words->mouseHook, nullptr);
    EXPECT_EQ(CountLines(host.LogLines(), "[TRACE] : CRestrictAction::Install WH_KEYBOARD_LL"), 1);
    EXPECT_EQ(CountLines(host.LogLines(), "[TRACE] : CRestrictAction::Install WH_MOUSE_LL"), 1);

    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        IEVersionValue version(row.version);
        // The hooks use the version read when the mode starts.
        host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
        FakeBrowser browser(row.frameClass, L"Browser");
        const HWND address = browser.AddChain(row.chain);
        const HWND other = browser.AddChain({L"Edit"});
        SetForegroundWindow(browser.hwnd());
        words->checkUrl = TRUE;

        SetFocus(address);
        if (!row.tracked) {
            ASSERT_TRUE(TypeLetter(host, address));
            EXPECT_EQ(words->checkUrl, TRUE);
            continue;
        }
        ExpectTypingTracked(host, words, address, VK_RETURN);
        ExpectTypingTracked(host, words, address, 0);

        SetFocus(other);
        ASSERT_TRUE(TypeLetter(host, other));
        EXPECT_EQ(words->checkUrl, TRUE) << "typing elsewhere in Internet Explorer";
    }
    words->checkUrl = TRUE;

    host.StopRestrict(MODE_URLRESTRICT);
    EXPECT_EQ(words->keyboardHook, nullptr);
    EXPECT_EQ(words->mouseHook, nullptr);
    host.StopRestrict(MODE_URLRESTRICT);
    EXPECT_EQ(words->keyboardHook, nullptr);
    host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
    EXPECT_NE(words->keyboardHook, nullptr);
    EXPECT_EQ(CountLines(host.LogLines(), "CRestrictAction::Install WH_MOUSE_LL"), 2);
}

// A host with URL restriction started while Internet Explorer 11 is
// installed, g_bCheckUrl at 1.
class InputHooksIE11 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Loaded());
        host.Initial(0, 100);
        host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
        words->checkUrl = TRUE;
    }
    void TearDown() override {
        if (words) words->checkUrl = TRUE;
    }

    IEVersionValue version{L"11.0000"};
    TestHost host;
    UrlRestrWords* words = LoadedUrlRestrWords();
};

// A browser's windows live on another thread than the hooks: its focus is
// read without taking the user's window out of the front, and the Enter
// that follows the typing is seen.
TEST_F(InputHooksIE11, EnterInAnotherThreadsAddressFieldResumesTheCheckAndKeepsTheForeground) {
    IEOnOwnThread browser;
    ASSERT_TRUE(host.WaitFor(
        [&] { return browser.Address() && GetForegroundWindow() == GetAncestor(browser.Address(), GA_ROOT); },
        kInputWaitMs));
    ExpectTypingTracked(host, words, browser.Address(), VK_RETURN);
}

// A second host maps the same module and unloads it while this host's hooks
// run: the shared words keep this host's handles and both hooks go on.
TEST_F(InputHooksIE11, AnotherHostUnloadingTheModuleLeavesThisHostsHooks) {
    const UrlRestrWords before = *words;
    ASSERT_NE(before.keyboardHook, nullptr);

    // The reference host, watching applications only: its log shows that
    // the module ran there, and nothing of it touches the hooks.
    ScratchLog secondLog(L"secondhost.log");
    ChildProcess second(ProgramFolder() + L"RefHost.exe",
                        L"RefHost.exe --start 4 --run 0 --log \"" + secondLog.path + L"\"");
    ASSERT_TRUE(host.WaitFor([&] { return second.Ended(0); }, kSecondHostWaitMs));
    EXPECT_EQ(CountLines(secondLog.Messages(), "CRestrictAction::StopRestrictAction [MODE_APPWATCH]."), 1);
    EXPECT_EQ(words->keyboardHook, before.keyboardHook);
    EXPECT_EQ(words->mouseHook, before.mouseHook);

    FakeBrowser browser(L"IEFrame", L"Browser");
    const HWND address = browser.AddChain(kIE8Chain);
    ASSERT_TRUE(MadeForeground(browser.hwnd()));
    SetFocus(address);
    ExpectTypingTracked(host, words, address, 0);
}
