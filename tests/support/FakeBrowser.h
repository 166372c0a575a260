// Windows of the test process shaped like a browser, Explorer or system
// window: a visible top-level frame of any class and title with chains of
// child windows below it, serving an accessible tree when given one. The
// frame only records WM_CLOSE and stays, so that every sweep may post it
// again. Lives on the creating thread; the frame and its children go with
// the object.
#pragma once

#include "support/FakeTree.h"

#include <vector>

// A window of `windowClass` with the default window procedure; the class is
// registered on first use unless the system has it ("Edit"). Every fake
// window is made here and subclassed afterwards, so that fakes of different
// kinds may share a class name in one process.
HWND CreatePlainWindow(const wchar_t* windowClass, const wchar_t* text, HWND parent);

// Puts `window` (of any process) in front; whether it is the foreground
// window within 2 s.
bool MadeForeground(HWND window);

class FakeBrowser {
public:
    // With `tree`, its root is served for the frame itself (OBJID_WINDOW).
    FakeBrowser(const wchar_t* frameClass, const wchar_t* title = L"Fake browser", FakeTree* tree = nullptr);
    ~FakeBrowser() { DestroyWindow(frame_); }
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
    IAccessible* root_ = nullptr;
    bool closed_ = false;
};
