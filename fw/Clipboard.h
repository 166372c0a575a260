// The system clipboard, open for the life of the object.
#pragma once

#include <windows.h>

#include <string>

class Clipboard {
public:
    // Opens with no owner window; IsOpen() tells whether that succeeded
    // (another program may hold the clipboard).
    Clipboard() noexcept : open_(OpenClipboard(nullptr) != FALSE) {}
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;
    ~Clipboard() {
        if (open_) CloseClipboard();
    }

    bool IsOpen() const noexcept { return open_; }
    // The CF_UNICODETEXT content; empty when there is none.
    std::wstring UnicodeText() const;
    void Empty() const noexcept { EmptyClipboard(); }

private:
    bool open_;
};
