// A visible top-level window of this thread shaped like a browser's, with
// chains of child windows and perhaps an accessible tree. It only records
// WM_CLOSE and stays, so that every sweep may post it again.
#pragma once

#include "support/FakeTree.h"

#include <vector>

// A window of `windowClass` with the default window procedure, the class
// registered unless the system has it ("Edit"). Fakes subclass it
// afterwards, so that different kinds may share a class name.
HWND CreatePlainWindow(const wchar_t* windowClass, const wchar_t* text, HWND parent);

// Whether `window` (of any process) is in front within 2 s.
bool MadeForeground(HWND window);

class FakeBrowser {
public:
    // The frame serves the root of `tree` (OBJID_WINDOW).
    FakeBrowser(const wchar_t* frameClass, const wchar_t* title = L"Fake browser", FakeTree* tree = nullptr);
    ~FakeBrowser() { DestroyWindow(frame_); }
    FakeBrowser(const FakeBrowser&) = delete;
    FakeBrowser& operator=(const FakeBrowser&) = delete;

    // Windows of `classes`, each the child of the one before, the last
    // holding `text`; returns the last.
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
