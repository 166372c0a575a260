// Windows of the test process shaped like a browser, Explorer or system
// window: a visible top-level frame of any class and title with chains of child
// windows below it. The frame only records WM_CLOSE and stays, so that every
// sweep may post it again. Classes other than the system's are registered
// on first use with DefWindowProc. Lives on the creating thread; the frame
// and its children go with the object.
#pragma once

#include <windows.h>

#include <vector>

// A window of `windowClass` with the default window procedure; the class is
// registered on first use unless the system has it ("Edit"). Every fake
// window of the tests is made here and subclassed afterwards, so that fakes
// of different kinds may share a class name in one process.
HWND CreatePlainWindow(const wchar_t* windowClass, const wchar_t* text, HWND parent);

// Puts `window` (of any process) in front; whether it is the foreground
// window within 2 s.
bool MadeForeground(HWND window);

class FakeBrowser {
public:
    FakeBrowser(const wchar_t* frameClass, const wchar_t* title = L"Fake browser");
    ~FakeBrowser();
    FakeBrowser(const FakeBrowser&) = delete;
    FakeBrowser& operator=(const FakeBrowser&) = delete;

    // Builds `classes` as a chain below the frame, each the child of the
    // one before; the last holds `text`. Returns the last window.
    HWND AddChain(const std::vector<const wchar_t*>& classes, const wchar_t* text = L"");

    HWND hwnd() const { return frame_; }
    bool Closed() const { return closed_; }

private:
    static LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND frame_ = nullptr;
    WNDPROC previous_ = nullptr;
    bool closed_ = false;
};
