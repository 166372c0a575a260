// The Firefox reader against the stand-in Firefox: a window of a Firefox
// class with an address field, and a DDE server "firefox" that records every
// transaction.
#include "urlrestrict/FirefoxReader.h"

#include "fw/Text.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <tuple>

// An answer is taken out of the quoted list without typing. When the
// browser gives no data the address field is copied with Ctrl+L, Ctrl+C;
// without a conversation, or without a Firefox window, nothing is typed.
TEST(FirefoxReader, TakesTheDdeReplyElseCopiesTheAddressFieldOnlyWhenNoDataCame) {
    const std::vector<std::string> conversation = {"connect WWW_GetWindowInfo/firefox", "request URL 1", "disconnect"};
    struct Row {
        const char* label;
        const wchar_t* windowClass;
        const wchar_t* server;
        std::string reply;
        const wchar_t* field;
        std::wstring address;
        bool typed;
        std::vector<std::string> calls;
        std::vector<std::string> log;
    };
    std::vector<Row> rows = {
        {"request times out: address field copied, last character dropped", L"MozillaWindowClass", L"silent",
         "", L"http://fallback.test/page", L"http://fallback.test/pag", true, conversation, {}},
        {"request times out, nothing copied: no text", L"MozillaWindowClass", L"silent", "", L"", L"", true,
         conversation, {}},
        {"no DDE server: no conversation", L"MozillaWindowClass", L"none", "", L"http://x/", L"", false, {},
         {"CQvUrlLaunchControl::GetLocalURLFirefox DdeUninitialize() strURL[]."}},
        {"not a Firefox window: no DDE at all", L"RaTestOtherBrowser", L"answers", "\"http://x/\",\"T\"",
         L"http://x/", L"", false, {}, {}},
    };
    const std::string a257(257, 'a');
    const std::tuple<const char*, const wchar_t*, std::string, std::wstring> answers[] = {
        {"quoted list", L"MozillaWindowClass", "\"http://x/\",\"Title\",\"\"", L"http://x/"},
        {"older window class", L"MozillaUIWindowClass", "\"http://x/\",\"T\"", L"http://x/"},
        {"no comma", L"MozillaWindowClass", "\"http://x/\"", L""},
        {"comma right after the opening quote", L"MozillaWindowClass", "\",\"Title\"", L""},
        {"ANSI code page text", L"MozillaWindowClass", "\"http://x/\xE9\",\"T\"", L"http://x/\u00E9"},
        {"NUL before the comma ends the reply", L"MozillaWindowClass", std::string("\"http://x/\"\0,\"T\"", 16), L""},
        {"no NUL, comma at byte 259", L"MozillaWindowClass", "\"" + a257 + "\"," + std::string(40, 'b'),
         std::wstring(257, L'a')},
        {"no NUL, comma at byte 260: past the 260 read", L"MozillaWindowClass",
         "\"" + a257 + "b\"," + std::string(40, 'b'), L""},
    };
    for (const auto& [label, windowClass, reply, address] : answers) {
        // Log messages are cut at 259 characters.
        const std::string line = "CQvUrlLaunchControl::GetLocalURLFirefox,[URL: " + ToAnsi(address) + "] .";
        rows.push_back({label, windowClass, L"answers", reply, L"http://typed/", address, false, conversation,
                        {line.substr(0, 259)}});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const std::wstring calls = ScratchFolder(L"firefox") + L"calls.txt";
        DeleteFileW(calls.c_str());
        ChildProcess firefox = StandInFirefox(row.windowClass, row.server, row.reply, row.field, calls);
        ASSERT_TRUE(MadeForeground(firefox.Window()));
        LogFile log(L"firefox.log");
        const DWORD start = GetTickCount();
        EXPECT_EQ(FirefoxReader(&log).Read(), row.address);
        const DWORD elapsed = GetTickCount() - start;
        // Maximised and topmost, as the keyboard fallback leaves it.
        const HWND frame = firefox.Window();
        EXPECT_EQ(IsZoomed(frame) && (GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_TOPMOST), row.typed);
        if (row.typed) {
            EXPECT_GE(elapsed, 4900u) << "the request must wait 5000 ms";
            EXPECT_EQ(CountClipboardFormats(), 0) << "the clipboard is left empty";
        }
        // Through its message loop: the client's disconnect is recorded first.
        firefox.Stop();
        std::string expected;
        for (const auto& call : row.calls) expected += call + "\n";
        EXPECT_EQ(ReadBytes(calls), expected);
        EXPECT_EQ(log.Messages(), row.log);
    }
}
