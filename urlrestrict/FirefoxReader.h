// The address of the Firefox window in the foreground: asked by DDE, else
// copied through the keyboard and the clipboard.
#pragma once

#include "RestrictAction.h"

#include <functional>
#include <optional>
#include <string>

// Asked about the foreground Firefox window once DDE gave no address, before
// any key is pressed: true when it dealt with the window, which the reader
// then leaves alone.
using BeforeKeys = std::function<bool(HWND firefox)>;

// One reader serves one walk of a window tree, which asks at every turn: a
// Firefox window is asked by DDE, and through the keys, once, and every
// later Read() gives that answer again with the same log line. Each DDE
// conversation broadcasts to every top-level window, and one with a browser
// that stopped answering waits out the 5 s request; it runs on a thread of
// its own, waited for at most 6 s, so that a disconnect or a broadcast that
// hangs is abandoned (one [ERROR] line) and the window passed over while it
// runs.
class FirefoxReader {
public:
    explicit FirefoxReader(CHostLog* log) : log_(log) {}

    // Empty when the foreground window is no Firefox window, nothing was
    // read, or `beforeKeys` dealt with it. The keys are pressed only when the
    // browser took the DDE conversation and gave no data.
    std::wstring Read(const BeforeKeys& beforeKeys = nullptr);
    // The Firefox window the last Read() that gave an address read it from.
    HWND Window() const { return asked_; }

private:
    enum class DdeOutcome { kNoConversation, kNoData, kAnswered };
    struct DdeAnswer {
        DdeOutcome outcome;
        const wchar_t* line;  // logged with the address; null for none
        std::wstring address;
    };
    static DdeAnswer AskFirefox(HWND firefox, CHostLog* log);

    CHostLog* const log_;
    HWND asked_ = nullptr;  // the window the answers below are of
    DdeAnswer dde_{};
    std::optional<std::wstring> copied_;  // through the keys
};
