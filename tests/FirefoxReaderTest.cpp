// The Firefox reader against a stand-in browser process: a window of a
// Firefox class with an address field, and a DDE server "firefox" that
// records every transaction.
#include "urlrestrict/FirefoxReader.h"

#include "fw/Text.h"
#include "support/FakeBrowser.h"
#include "support/FakeFirefox.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// A host log object writing into a fresh scratch file.
class ScratchLog {
public:
    ScratchLog() : path_(ScratchFolder(L"firefox") + L"host.log") {
        DeleteFileW(path_.c_str());
        InitializeCriticalSection(&log_.lock);
        log_.pszPath = path_.c_str();
        log_.bEnabled = TRUE;
        log_.dwLevelMask = 1;
    }
    ~ScratchLog() { DeleteCriticalSection(&log_.lock); }
    ScratchLog(const ScratchLog&) = delete;
    ScratchLog& operator=(const ScratchLog&) = delete;

    CHostLog* get() { return &log_; }
    // The messages of the lines, between the tag and the file size.
    std::vector<std::string> Messages() const {
        std::ifstream file(Narrow(path_), std::ios::binary);
        std::vector<std::string> messages;
        for (std::string line; std::getline(file, line);) {
            const size_t start = line.find(" : ") + 3;
            messages.push_back(line.substr(start, line.rfind(' ') - start));
        }
        return messages;
    }

private:
    std::wstring path_;
    CHostLog log_{};
};

bool Maximised(HWND hwnd) { return IsZoomed(hwnd) && (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST); }

const std::wstring kConnect = L"connect WWW_GetWindowInfo/firefox";
const std::wstring kRequest = L"request URL 1";
const std::string kAnsweredLog = "CQvUrlLaunchControl::GetLocalURLFirefox,[URL: ";

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

}  // namespace

TEST(FirefoxReader, TakesTheQuotedAddressOutOfTheDdeReplyWithoutTyping) {
    const std::string a257(257, 'a');
    struct Row {
        const char* label;
        const wchar_t* windowClass;
        std::string reply;
        std::wstring address;
    };
    const std::vector<Row> rows = {
        {"quoted list", L"MozillaWindowClass", "\"http://x/\",\"Title\",\"\"", L"http://x/"},
        {"older window class", L"MozillaUIWindowClass", "\"http://x/\",\"Title\",\"\"", L"http://x/"},
        {"no comma", L"MozillaWindowClass", "\"http://x/\"", L""},
        {"comma right after the opening quote", L"MozillaWindowClass", "\",\"Title\"", L""},
        {"ANSI code page text", L"MozillaWindowClass", "\"http://x/\xE9\",\"T\"", L"http://x/\u00E9"},
        {"NUL before the comma ends the reply", L"MozillaWindowClass", Bytes("\"http://x/\"\0,\"T\"", 16), L""},
        {"no NUL, comma at byte 259", L"MozillaWindowClass", "\"" + a257 + "\"," + std::string(40, 'b'),
         std::wstring(257, L'a')},
        {"no NUL, comma at byte 260: past the 260 read", L"MozillaWindowClass",
         "\"" + a257 + "b\"," + std::string(40, 'b'), L""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakeFirefox firefox({row.windowClass, Server::kAnswers, row.reply, L"http://typed/"});
        ASSERT_TRUE(MadeForeground(firefox.Frame()));
        ScratchLog log;

        EXPECT_EQ(GetLocalURLFirefox(log.get()), row.address);

        EXPECT_FALSE(Maximised(firefox.Frame())) << "the keyboard was used although the browser answered";
        const std::vector<std::wstring> calls = {kConnect, kRequest, L"disconnect"};
        EXPECT_EQ(firefox.Stop(), calls);
        // Log messages are cut at 259 characters.
        const std::string line = (kAnsweredLog + ToAnsi(row.address) + "] .").substr(0, 259);
        EXPECT_EQ(log.Messages(), std::vector<std::string>{line});
    }
}

// When the browser gives no data the address field is copied with Ctrl+L,
// Ctrl+C; without a conversation, or without a Firefox window, nothing is
// typed at all.
TEST(FirefoxReader, FallsBackOnTheKeyboardOnlyWhenTheBrowserGivesNoData) {
    struct Row {
        const char* label;
        const wchar_t* windowClass;
        Server server;
        const wchar_t* field;
        std::wstring address;
        bool typed;
        std::vector<std::wstring> calls;
        std::vector<std::string> log;
    };
    const std::vector<Row> rows = {
        {"request times out: address field copied, last character dropped", L"MozillaWindowClass", Server::kSilent,
         L"http://fallback.test/page", L"http://fallback.test/pag", true, {kConnect, kRequest, L"disconnect"}, {}},
        {"request times out, nothing copied: no text", L"MozillaWindowClass", Server::kSilent, L"", L"", true,
         {kConnect, kRequest, L"disconnect"}, {}},
        {"no DDE server: no conversation", L"MozillaWindowClass", Server::kNone, L"http://fallback.test/page", L"",
         false, {}, {"CQvUrlLaunchControl::GetLocalURLFirefox DdeUninitialize() strURL[]."}},
        {"not a Firefox window: no DDE at all", L"RaTestOtherBrowser", Server::kAnswers, L"http://fallback.test/page",
         L"", false, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakeFirefox firefox({row.windowClass, row.server, "\"http://x/\",\"T\"", row.field});
        ASSERT_TRUE(MadeForeground(firefox.Frame()));
        ScratchLog log;

        const DWORD start = GetTickCount();
        EXPECT_EQ(GetLocalURLFirefox(log.get()), row.address);
        const DWORD elapsed = GetTickCount() - start;

        EXPECT_EQ(Maximised(firefox.Frame()), row.typed);
        if (row.typed) {
            EXPECT_GE(elapsed, 4900u) << "the request must wait 5000 ms";
            EXPECT_EQ(CountClipboardFormats(), 0) << "the clipboard is left empty";
        }
        EXPECT_EQ(firefox.Stop(), row.calls);
        EXPECT_EQ(log.Messages(), row.log);
    }
}
