#include "urlrestrict/FirefoxReader.h"

#include "fw/Clipboard.h"
#include "fw/DeadlineRunner.h"
#include "fw/HostLog.h"
#include "fw/Text.h"
#include "fw/UniqueHandle.h"
#include "fw/Window.h"
#include "urlrestrict/BrowserWindows.h"

#include <atomic>
#include <memory>

namespace {

const wchar_t* const kFirefoxClasses[] = {L"MozillaWindowClass", L"MozillaUIWindowClass"};

constexpr DWORD kClientFlags = CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS;
constexpr DWORD kRequestTimeoutMs = 5000;
// The whole conversation: the request's own wait, and a second for the
// broadcast that finds the server.
constexpr DWORD kConversationMs = kRequestTimeoutMs + 1000;
constexpr DWORD kReplyBytes = 260;
// Time for the browser to handle the keys before the clipboard is read.
constexpr DWORD kCopyWaitMs = 100;
// The clipboard's read, in which the browser renders the copied text.
constexpr DWORD kClipboardMs = 1000;

// What a DDE conversation's outcome logs, with the address it read.
constexpr wchar_t kNoInstanceLine[] = L"CQvUrlLaunchControl::GetLocalURLFirefox [DMLERR_NO_ERROR] strURL[%s].";
constexpr wchar_t kNoConversationLine[] = L"CQvUrlLaunchControl::GetLocalURLFirefox DdeUninitialize() strURL[%s].";
constexpr wchar_t kAnsweredLine[] = L"CQvUrlLaunchControl::GetLocalURLFirefox,[URL: %s] .";
constexpr wchar_t kNoAnswerLine[] = L"CQvUrlLaunchControl::GetLocalURLFirefox [No answer from window 0x%08X within %d ms].";

// A pure client: every transaction offered to it is refused.
HDDEDATA CALLBACK IgnoreTransaction(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

// The reply is a quoted list, quoted address first: "http://x/","Title","".
// The address lies between the opening quote and the quote before the
// first comma.
std::wstring AddressOfReply(const std::wstring& reply) {
    const size_t comma = reply.find(L',');
    if (comma == std::wstring::npos || comma < 2) return {};
    return reply.substr(1, comma - 2);
}

UniqueDdeConversation Connect(DWORD instance) {
    const UniqueDdeString service(instance, DdeCreateStringHandleW(instance, L"firefox", 0));
    const UniqueDdeString topic(instance, DdeCreateStringHandleW(instance, L"WWW_GetWindowInfo", 0));
    return UniqueDdeConversation(DdeConnect(instance, service.get(), topic.get(), nullptr));
}

// The reply as ANSI text of at most kReplyBytes, ending at its first NUL.
std::wstring ReadReply(HDDEDATA data) {
    char reply[kReplyBytes + 1] = {};
    DdeGetData(data, reinterpret_cast<BYTE*>(reply), kReplyBytes, 0);
    return FromAnsi(reply);
}

// One SendInput call: Ctrl down, key down, Ctrl up, key up.
void SendCtrlChord(WORD key) {
    const WORD keys[] = {VK_CONTROL, key, VK_CONTROL, key};
    INPUT inputs[4] = {};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, inputs, sizeof(INPUT));
}

// Ctrl+L puts the focus in the address field, Ctrl+C copies it. The browser
// stays maximised and topmost; the clipboard is left empty. The copied text
// loses its last character.
//
// Raised and maximised without waiting for it: a browser that let the DDE
// request time out may have stopped answering, and the synchronous calls
// (BringWindowToTop, ShowWindow, SetWindowPos) would hold the caller until it
// answers again. The browser's thread handles those requests before the keys.
std::wstring CopyAddressBar(HWND browser) {
    constexpr UINT kRaise = SWP_NOSIZE | SWP_NOMOVE | SWP_ASYNCWINDOWPOS;
    SetForegroundWindow(browser);
    SetWindowPos(browser, HWND_TOP, 0, 0, 0, 0, kRaise);
    SetActiveWindow(browser);
    ShowWindowAsync(browser, SW_MAXIMIZE);
    SetWindowPos(browser, HWND_TOPMOST, 0, 0, 0, 0, kRaise);
    SendCtrlChord('L');
    SendCtrlChord('C');
    Sleep(kCopyWaitMs);

    // The browser renders what it copied when asked for it: the read runs on
    // a thread of its own, waited for at most kClipboardMs. On no window: the
    // DDE conversation may still be running on the browser's.
    const auto text = std::make_shared<std::wstring>();
    const DeadlineOutcome read = RunWithDeadline(nullptr, kClipboardMs, [text] {
        const Clipboard clipboard;
        if (!clipboard.IsOpen()) return;
        *text = clipboard.UnicodeText();
        clipboard.Empty();
    });
    if (read != DeadlineOutcome::kFinished || text->empty()) return {};
    text->pop_back();
    return *text;
}

}  // namespace

FirefoxReader::DdeAnswer FirefoxReader::AskFirefox(HWND firefox, CHostLog* log) {
    // Written once by the conversation's thread, before its disconnect,
    // which may wait on a browser that stopped answering; read once ready.
    struct Outcome {
        DdeAnswer answer{DdeOutcome::kNoConversation, nullptr, {}};
        std::atomic<bool> ready{false};
        void Publish(DdeAnswer given) {
            answer = std::move(given);
            ready.store(true, std::memory_order_release);
        }
    };
    const auto outcome = std::make_shared<Outcome>();
    const auto converse = [outcome] {
        UniqueDdeInstance instance;
        if (DdeInitializeW(instance.put(), IgnoreTransaction, kClientFlags, 0) != DMLERR_NO_ERROR)
            return outcome->Publish({DdeOutcome::kNoConversation, kNoInstanceLine, {}});
        const UniqueDdeConversation conversation = Connect(instance.get());
        if (!conversation) return outcome->Publish({DdeOutcome::kNoConversation, kNoConversationLine, {}});
        // The ANSI entry point: the item is named in the ANSI code page, which
        // the wide one does not do for CP_WINANSI everywhere (Wine reads the
        // wide text as bytes).
        const UniqueDdeString item(instance.get(), DdeCreateStringHandleA(instance.get(), "URL", CP_WINANSI));
        const UniqueDdeData data(DdeClientTransaction(nullptr, 0, conversation.get(), item.get(), CF_TEXT,
                                                      XTYP_REQUEST, kRequestTimeoutMs, nullptr));
        if (!data) return outcome->Publish({DdeOutcome::kNoData, nullptr, {}});
        outcome->Publish({DdeOutcome::kAnswered, kAnsweredLine, AddressOfReply(ReadReply(data.get()))});
    };
    // The broadcast that looks for the server reaches this thread's windows too.
    const DeadlineOutcome run =
        RunWithDeadline(firefox, kConversationMs, converse, WhileWaiting::kAnswerSentMessages);
    if (outcome->ready.load(std::memory_order_acquire)) return std::move(outcome->answer);
    if (run == DeadlineOutcome::kAbandoned)
        Log(log, RA_LOG_ERROR, kNoAnswerLine, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(firefox)),
            static_cast<int>(kConversationMs));
    return {DdeOutcome::kNoConversation, nullptr, {}};
}

std::wstring FirefoxReader::Read(const BeforeKeys& beforeKeys) {
    const HWND foreground = ForegroundWindow();
    if (!foreground || !HasClassOf(foreground, kFirefoxClasses)) return {};
    if (foreground != asked_) {
        asked_ = foreground;
        dde_ = AskFirefox(foreground, log_);
        copied_.reset();
    }
    if (dde_.line) Log(log_, RA_LOG_SYSTEM, dde_.line, dde_.address.c_str());
    if (!dde_.address.empty() || (beforeKeys && beforeKeys(foreground))) return dde_.address;
    if (dde_.outcome != DdeOutcome::kNoData) return {};
    if (!copied_) copied_ = CopyAddressBar(foreground);
    return *copied_;
}
