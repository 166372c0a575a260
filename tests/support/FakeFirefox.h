// The stand-in Firefox (TestFirefox.exe next to the test program) as a
// process of its own: a window of a Firefox class with an address field,
// and a DDE server "firefox" that records every transaction. Ended with the
// object.
#pragma once

#include "support/ChildProcess.h"

#include <windows.h>

#include <string>
#include <vector>

enum class Server { kNone, kAnswers, kSilent };

struct BrowserSetup {
    const wchar_t* windowClass;
    Server server;
    std::string reply;        // CF_TEXT bytes, given without terminator
    const wchar_t* address;   // text of the address field
};

class FakeFirefox {
public:
    // Waits (up to 60 s) for the browser's window.
    explicit FakeFirefox(const BrowserSetup& setup);
    ~FakeFirefox() { Stop(); }
    FakeFirefox(const FakeFirefox&) = delete;
    FakeFirefox& operator=(const FakeFirefox&) = delete;

    HWND Frame() const { return frame_; }
    // The browser was maximised and made topmost, as the keyboard fallback does.
    bool Typed() const;
    // Ends the browser and gives the transactions its server saw, in order.
    std::vector<std::wstring> Stop();

private:
    std::wstring callsFile_;
    ChildProcess process_;
    HWND frame_ = nullptr;
};
