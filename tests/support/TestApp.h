// A real process with real windows: a copy of TestWindow.exe started under
// the executable name a test needs. Ended when the object goes.
#pragma once

#include "support/ChildProcess.h"

#include <windows.h>

#include <string>
#include <vector>

// Generous bounds for the DLL's sweeps, which run emulated here: long enough
// for a sweep to act, and for more than two full walks (every eleventh
// 100 ms tick) once it has.
constexpr DWORD kSweepWaitMs = 30000;
constexpr DWORD kTwoWalksMs = 2500;

// The visible top-level window of process `pid` with this class and title,
// waited for up to 60 s: it may appear after WaitForInputIdle returns.
HWND WaitForProcessWindow(DWORD pid, const std::wstring& windowClass, const std::wstring& title);

class TestApp {
public:
    // Starts <scratch>\<exeName> opening a window of `windowClass` per title
    // and waits (up to 60 s) until the first one is visible. A non-empty
    // `editText` gives each window an "Edit" child holding it; `options` are
    // more of TestWindow.exe's options and their values.
    TestApp(const std::wstring& exeName, const std::wstring& windowClass, const std::vector<std::wstring>& titles,
            const std::wstring& editText = L"", const std::vector<std::wstring>& options = {});
    TestApp(const TestApp&) = delete;
    TestApp& operator=(const TestApp&) = delete;

    bool Started() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    DWORD Pid() const { return process_.Pid(); }
    HANDLE Process() const { return process_.Handle(); }
    const std::wstring& Path() const { return path_; }
    // Whether the process has ended within `ms`.
    bool Ended(DWORD ms) const { return process_.Ended(ms); }

private:
    std::wstring path_;
    ChildProcess process_;
    HWND window_ = nullptr;
};
