// MODE_URLRESTRICT's input hooks: typing into Internet Explorer-shaped chains drives the shared g_bCheckUrl.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr DWORD kInputWaitMs = 10000;
const std::vector<const wchar_t*> kIE8Chain = {L"WorkerW", L"ReBarWindow32", L"Address Band Root", L"Edit"};

struct IEVersion {
    explicit IEVersion(const wchar_t* text) { SetRegistryText(HKEY_LOCAL_MACHINE, kKey, L"IE", text); }
    ~IEVersion() { SetRegistryText(HKEY_LOCAL_MACHINE, kKey, L"IE", L""); }
    static constexpr wchar_t kKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector";
};

// 0: the mouse moved.
void SendInputOf(WORD vk) {
    INPUT input[2] = {};
    input[0].type = vk ? INPUT_KEYBOARD : INPUT_MOUSE;
    input[0].ki.wVk = vk;
    if (!vk) input[0].mi = {1, 1, 0, MOUSEEVENTF_MOVE, 0, 0};
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(vk ? 2 : 1, input, sizeof(INPUT));
}

bool TypeLetter(HWND edit) {
    const int before = GetWindowTextLengthW(edit);
    SendInputOf('A');
    return TestHost::WaitFor([&] { return GetWindowTextLengthW(edit) > before; }, kInputWaitMs);
}

// Typing in the address field clears the flag; Enter and the mouse set it again; the browser stays in front.
void ExpectTypingTracked(HWND address) {
    for (const WORD resume : {VK_RETURN, 0}) {
        EXPECT_TRUE(TypeLetter(address)) << "the letter reached the address field";
        EXPECT_EQ(SharedWords()->checkUrl, FALSE);
        EXPECT_EQ(GetForegroundWindow(), GetAncestor(address, GA_ROOT)) << "after typing";
        SendInputOf(resume);
        EXPECT_TRUE(TestHost::WaitFor([] { return SharedWords()->checkUrl == TRUE; }, kInputWaitMs)) << resume;
        EXPECT_EQ(GetForegroundWindow(), GetAncestor(address, GA_ROOT)) << "after " << resume;
    }
}

}  // namespace

// Installed once however often the mode starts, kept when a second host unloads the module, removed by a
// stop; another thread's focus is read without taking it out of the front.
TEST(InputHooks, SharedHooksTrackTypingInIEAddressFieldUntilStop) {
    TestHost host;
    host.Initial(0, 100);
    UrlRestrWords* words = SharedWords();
    words->checkUrl = TRUE;
    {
        const IEVersion version(L"11.0000");
        host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
        host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
    }
    const UrlRestrWords installed = *words;
    EXPECT_NE(installed.keyboardHook, nullptr);
    EXPECT_NE(installed.mouseHook, nullptr);
    EXPECT_EQ(host.log.Count("CRestrictAction::Install WH_MOUSE_LL"), 1);
    LogFile secondLog(L"secondhost.log");
    const ChildProcess second(ProgramFolder() + L"RefHost.exe",
                              L"RefHost.exe --start 4 --run 0 --log \"" + secondLog.path + L"\"");
    ASSERT_TRUE(host.WaitFor([&] { return second.Ended(0); }));
    EXPECT_EQ(secondLog.Count("CRestrictAction::StopRestrictAction [MODE_APPWATCH]."), 1);
    EXPECT_EQ(words->keyboardHook, installed.keyboardHook);
    EXPECT_EQ(words->mouseHook, installed.mouseHook);

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
    ExpectTypingTracked(address);
    quit = true;
    ie.join();

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
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const IEVersion version(row.version);
        host.StartRestrict(MODE_URLRESTRICT, 1, nullptr);
        FakeBrowser browser(row.frameClass, L"Browser");
        const HWND field = browser.AddChain(row.chain);
        const HWND other = browser.AddChain({L"Edit"});
        SetForegroundWindow(browser.hwnd());
        SetFocus(field);
        if (row.tracked) {
            ExpectTypingTracked(field);
            SetFocus(other);
        }
        ASSERT_TRUE(TypeLetter(row.tracked ? other : field));
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
