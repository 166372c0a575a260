// The Firefox reader against a stand-in whose DDE server records every transaction.
#include "urlrestrict/FirefoxReader.h"

#include "fw/Text.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

// An answer is taken out of the quoted list; only a silent server has the field copied with Ctrl+L, Ctrl+C.
TEST(FirefoxReader, TakesTheDdeReplyElseCopiesTheAddressFieldOnlyWhenNoDataCame) {
    const wchar_t* const kFox = L"MozillaWindowClass";
    const wchar_t* const kOther = L"RaTestOtherBrowser";
    const std::string a257(257, 'a');
    const struct {
        const char* label;
        const wchar_t *windowClass, *server;
        std::string reply;
        std::wstring address;
        const wchar_t* field = L"http://typed/";
    } rows[] = {
        {"times out: field copied, last character dropped", kFox, L"silent", "", L"http://fallback.test/pag",
         L"http://fallback.test/page"},
        {"times out, nothing copied", kFox, L"silent", "", L"", L""},
        {"no DDE server", kFox, L"none", "", L""},
        {"not a Firefox window: no DDE at all", kOther, L"answers", "\"http://x/\",\"T\"", L""},
        {"quoted list", kFox, L"answers", "\"http://x/\",\"Title\",\"\"", L"http://x/"},
        {"older window class", L"MozillaUIWindowClass", L"answers", "\"http://x/\",\"T\"", L"http://x/"},
        {"no comma", kFox, L"answers", "\"http://x/\"", L""},
        {"comma right after the opening quote", kFox, L"answers", "\",\"Title\"", L""},
        {"ANSI code page text", kFox, L"answers", "\"http://x/\xE9\",\"T\"", L"http://x/\u00E9"},
        {"NUL before the comma ends the reply", kFox, L"answers", std::string("\"http://x/\"\0,\"T\"", 16), L""},
        {"no NUL, comma at byte 259", kFox, L"answers", "\"" + a257 + "\"," + std::string(40, 'b'),
         std::wstring(257, L'a')},
        {"no NUL, comma at byte 260: past the 260 read", kFox, L"answers", "\"" + a257 + "b\"," + std::string(40, 'b'),
         L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const bool typed = row.server == std::wstring(L"silent");
        const bool talked = row.windowClass != kOther && row.server != std::wstring(L"none");
        const std::wstring calls = ScratchFolder(L"firefox") + L"calls.txt";
        DeleteFileW(calls.c_str());
        ChildProcess firefox = StandInFirefox(row.windowClass, row.server, row.reply, row.field, calls);
        ASSERT_TRUE(MadeForeground(firefox.Window()));
        LogFile log(L"firefox.log");
        const DWORD start = GetTickCount();
        EXPECT_EQ(FirefoxReader(&log).Read(), row.address);
        const DWORD elapsed = GetTickCount() - start;
        const HWND frame = firefox.Window();
        EXPECT_EQ(IsZoomed(frame) && (GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_TOPMOST), typed);
        if (typed) {
            EXPECT_GE(elapsed, 4900u) << "the request must wait 5000 ms";
            EXPECT_EQ(CountClipboardFormats(), 0) << "the clipboard is left empty";
        }
        firefox.Stop();
        EXPECT_EQ(ReadBytes(calls), talked ? "connect WWW_GetWindowInfo/firefox\nrequest URL 1\ndisconnect\n" : "");
        std::vector<std::string> lines;
        if (row.server == std::wstring(L"none"))
            lines = {"CQvUrlLaunchControl::GetLocalURLFirefox DdeUninitialize() strURL[]."};
        else if (talked && !typed)
            lines = {("CQvUrlLaunchControl::GetLocalURLFirefox,[URL: " + ToAnsi(row.address) + "] .").substr(0, 259)};
        EXPECT_EQ(log.Messages(), lines);
    }
}

// A conversation that hangs holds the reader 6 s, not until it answers; meanwhile its window is passed over.
TEST(FirefoxReader, LeavesAConversationThatHangsBehind) {
    const std::wstring calls = ScratchFolder(L"firefox") + L"hung.txt";
    ChildProcess firefox = StandInFirefox(L"MozillaWindowClass", L"hung", "", L"http://typed/", calls);
    ASSERT_TRUE(MadeForeground(firefox.Window()));
    LogFile log(L"firefox.log");
    for (const DWORD most : {7000u, 500u}) {
        const DWORD start = GetTickCount();
        EXPECT_EQ(FirefoxReader(&log).Read(), L"");
        EXPECT_LT(GetTickCount() - start, most);
    }
    char line[128];
    std::snprintf(line, sizeof line,
                  "CQvUrlLaunchControl::GetLocalURLFirefox [No answer from window 0x%08X within 6000 ms].",
                  static_cast<unsigned>(reinterpret_cast<UINT_PTR>(firefox.Window())));
    EXPECT_EQ(log.Messages(), std::vector<std::string>{line});
}
