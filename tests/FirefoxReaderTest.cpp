// The Firefox reader against a stand-in browser of this process: a window of
// a Firefox class with an address field, and a DDE server "firefox" that
// records every transaction. Both run on a thread of their own: the reader
// blocks its caller while it talks DDE and types keys.
#include "urlrestrict/FirefoxReader.h"

#include "fw/Text.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <ddeml.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

enum class Server { kNone, kAnswers, kSilent };

struct BrowserSetup {
    const wchar_t* windowClass;
    Server server;
    std::string reply;        // CF_TEXT bytes, given without terminator
    const wchar_t* address;   // text of the address field
};

class FakeFirefox;
// DDE callbacks carry no context; one fake runs at a time.
FakeFirefox* g_fake = nullptr;

std::wstring DdeText(DWORD instance, HSZ hsz) {
    wchar_t text[64] = {};
    DdeQueryStringW(instance, hsz, text, 64, CP_WINUNICODE);
    return text;
}

// The stand-in browser. Focus starts on the frame; Ctrl+L moves it to the
// address field and selects it, as the browser does, so that Ctrl+C copies
// only after Ctrl+L.
class FakeFirefox {
public:
    explicit FakeFirefox(BrowserSetup setup) : setup_(std::move(setup)) {
        g_fake = this;
        ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this] { Run(); });
        WaitForSingleObject(ready_, 30000);
    }
    ~FakeFirefox() {
        Stop();
        CloseHandle(ready_);
        g_fake = nullptr;
    }
    FakeFirefox(const FakeFirefox&) = delete;
    FakeFirefox& operator=(const FakeFirefox&) = delete;

    HWND Frame() const { return frame_; }
    bool MadeForeground() const {
        SetForegroundWindow(frame_);
        for (int i = 0; i < 100 && GetForegroundWindow() != frame_; ++i) Sleep(20);
        return GetForegroundWindow() == frame_;
    }
    // Closes the browser and gives the transactions its server saw, in order.
    std::vector<std::wstring> Stop() {
        if (thread_.joinable()) {
            PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
            thread_.join();
        }
        return calls_;
    }

private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA, ULONG_PTR,
                                      ULONG_PTR) {
        return g_fake->Serve(type, format, hsz1, hsz2);
    }

    HDDEDATA Serve(UINT type, UINT format, HSZ hsz1, HSZ hsz2) {
        switch (type) {
        case XTYP_CONNECT:
            calls_.push_back(L"connect " + DdeText(instance_, hsz1) + L"/" + DdeText(instance_, hsz2));
            return reinterpret_cast<HDDEDATA>(TRUE);
        case XTYP_REQUEST:
            calls_.push_back(L"request " + DdeText(instance_, hsz2) + L" " + std::to_wstring(format));
            if (setup_.server == Server::kSilent) return CBR_BLOCK;
            return DdeCreateDataHandle(instance_, reinterpret_cast<BYTE*>(&setup_.reply[0]),
                                       static_cast<DWORD>(setup_.reply.size()), 0, hsz2, format, 0);
        case XTYP_DISCONNECT: calls_.push_back(L"disconnect"); return nullptr;
        case XTYP_CONNECT_CONFIRM: return nullptr;
        default: calls_.push_back(L"unexpected " + std::to_wstring(type)); return nullptr;
        }
    }

    void Run() {
        threadId_ = GetCurrentThreadId();
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = setup_.windowClass;
        RegisterClassW(&wc);  // fails harmlessly once registered
        frame_ = CreateWindowExW(0, setup_.windowClass, L"Fake Firefox", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30,
                                 400, 200, nullptr, nullptr, wc.hInstance, nullptr);
        const HWND field = CreateWindowExW(0, L"EDIT", setup_.address, WS_CHILD | WS_VISIBLE, 0, 0, 300, 20, frame_,
                                           nullptr, wc.hInstance, nullptr);
        HSZ service = nullptr;
        if (setup_.server != Server::kNone) {
            DdeInitializeW(&instance_, Callback, APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                           0);
            service = DdeCreateStringHandleW(instance_, L"firefox", CP_WINUNICODE);
            DdeNameService(instance_, service, nullptr, DNS_REGISTER);
        }
        SetEvent(ready_);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_KEYDOWN && msg.wParam == 'L' && GetKeyState(VK_CONTROL) < 0) {
                SetFocus(field);
                SendMessageW(field, EM_SETSEL, 0, -1);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (instance_) {
            DdeNameService(instance_, service, nullptr, DNS_UNREGISTER);
            DdeFreeStringHandle(instance_, service);
            DdeUninitialize(instance_);
        }
        DestroyWindow(frame_);
    }

    BrowserSetup setup_;
    HANDLE ready_ = nullptr;
    std::thread thread_;
    DWORD threadId_ = 0;
    DWORD instance_ = 0;
    HWND frame_ = nullptr;
    std::vector<std::wstring> calls_;
};

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

// Puts a format the reader must not take for text on the clipboard.
void PutNonText(HWND owner) {
    OpenClipboard(owner);
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 4);
    SetClipboardData(RegisterClipboardFormatW(L"RaTestNotText"), memory);
    CloseClipboard();
}

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
        ASSERT_TRUE(firefox.MadeForeground());
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
        bool nonTextOnClipboard;
        std::wstring address;
        bool typed;
        std::vector<std::wstring> calls;
        std::vector<std::string> log;
    };
    const std::vector<Row> rows = {
        {"request times out: address field copied, last character dropped", L"MozillaWindowClass", Server::kSilent,
         L"http://fallback.test/page", false, L"http://fallback.test/pag", true, {kConnect, kRequest}, {}},
        {"request times out, nothing copied, clipboard holds no text", L"MozillaWindowClass", Server::kSilent, L"",
         true, L"", true, {kConnect, kRequest}, {}},
        {"no DDE server: no conversation", L"MozillaWindowClass", Server::kNone, L"http://fallback.test/page", false,
         L"", false, {}, {"CQvUrlLaunchControl::GetLocalURLFirefox DdeUninitialize() strURL[]."}},
        {"not a Firefox window: no DDE at all", L"RaTestOtherBrowser", Server::kAnswers, L"http://fallback.test/page",
         false, L"", false, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakeFirefox firefox({row.windowClass, row.server, "\"http://x/\",\"T\"", row.field});
        ASSERT_TRUE(firefox.MadeForeground());
        if (row.nonTextOnClipboard) PutNonText(firefox.Frame());
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
