// A browser-shaped window of this thread; it records WM_CLOSE and stays, so every sweep may post it again.
#pragma once

#include "support/FakeTree.h"

#include <vector>

// Fakes subclass it afterwards, so that different kinds may share a class name.
HWND CreatePlainWindow(const wchar_t* windowClass, const wchar_t* text, HWND parent);

bool MadeForeground(HWND window);

class FakeBrowser {
public:
    FakeBrowser(const wchar_t* frameClass, const wchar_t* title = L"Fake browser", FakeTree* tree = nullptr);
    ~FakeBrowser() { DestroyWindow(frame_); }
    FakeBrowser(const FakeBrowser&) = delete;
    FakeBrowser& operator=(const FakeBrowser&) = delete;

    // Each window the child of the one before; returns the last, holding `text`.
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
