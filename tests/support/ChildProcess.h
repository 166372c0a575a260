// A process a test started, ended with the object: first asked to quit, so that it records what it saw.
#pragma once

#include "fw/UniqueHandle.h"
#include "support/TestFolders.h"

#include <string>
#include <vector>

struct Launch {
    DWORD flags = 0;
    const wchar_t* folder = nullptr;
    HANDLE output = nullptr;  // inheritable
};

class ChildProcess {
public:
    ChildProcess() = default;
    // With `windowClass`, polls up to 60 s for its visible window of that class and title.
    ChildProcess(const std::wstring& exe, std::wstring command, const wchar_t* windowClass = nullptr,
                 const std::wstring& title = L"", const Launch& launch = {}) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = launch.output ? STARTF_USESTDHANDLES : 0;
        si.hStdOutput = si.hStdError = launch.output;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, launch.output != nullptr, launch.flags,
                            nullptr, launch.folder, &si, &pi))
            return;
        const UniqueKernelHandle thread(pi.hThread);
        process_.reset(pi.hProcess);
        pid_ = pi.dwProcessId;
        for (int i = 0; windowClass && !window_ && i < 600 && !Ended(i ? 100 : 0); ++i)
            for (HWND hwnd = nullptr; !window_ && (hwnd = FindWindowExW(nullptr, hwnd, windowClass, title.c_str()));) {
                DWORD owner = 0;
                GetWindowThreadProcessId(hwnd, &owner);
                if (owner == pid_ && IsWindowVisible(hwnd)) window_ = hwnd;
            }
    }
    ChildProcess(ChildProcess&&) noexcept = default;
    ChildProcess& operator=(ChildProcess&& other) noexcept {
        Stop();
        process_ = std::move(other.process_);
        pid_ = other.pid_;
        window_ = other.window_;
        return *this;
    }
    ~ChildProcess() { Stop(); }

    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_.get(); }
    HWND Window() const { return window_; }
    bool Ended(DWORD ms) const { return process_ && WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }
    void Stop() {
        if (!process_) return;
        if (window_) PostThreadMessageW(GetWindowThreadProcessId(window_, nullptr), WM_QUIT, 0, 0);
        if (!Ended(window_ ? 2000 : 0)) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 5000);
        }
        process_.reset();
    }

private:
    UniqueKernelHandle process_;
    DWORD pid_ = 0;
    HWND window_ = nullptr;
};

// A copy of the stand-in program named `exe`, with a window of `windowClass` per title.
inline ChildProcess StandIn(const std::wstring& exe, const std::wstring& windowClass,
                            const std::vector<std::wstring>& titles, const std::vector<std::wstring>& options = {}) {
    const std::wstring path = ScratchFolder(L"apps") + exe;
    CopyFileW((ProgramFolder() + L"TestWindow.exe").c_str(), path.c_str(), FALSE);
    std::wstring command = L"\"" + path + L"\"";
    for (const auto& word : options) command += L" \"" + word + L"\"";
    command += L" \"" + windowClass + L"\"";
    for (const auto& title : titles) command += L" \"" + title + L"\"";
    return ChildProcess(path, command, windowClass.c_str(), titles.front());
}

// A stand-in Firefox whose DDE server ("answers" `reply`, "silent", "hung", "none") logs to `calls`.
inline ChildProcess StandInFirefox(const wchar_t* windowClass, const wchar_t* server, const std::string& reply,
                                   const std::wstring& field, const std::wstring& calls) {
    std::wstring hex = L"x";
    for (unsigned char c : reply) hex += {L"0123456789abcdef"[c >> 4], L"0123456789abcdef"[c & 15]};
    return StandIn(L"firefox.exe", windowClass, {L"Fake Firefox"}, {L"--edit", field, L"--dde", server, hex, calls});
}

struct WebServer {
    WebServer() {
        const std::wstring portFile = ScratchFolder(L"http") + L"port.txt", exe = ProgramFolder() + L"TestWindow.exe";
        DeleteFileW(portFile.c_str());
        process = ChildProcess(exe, L"\"" + exe + L"\" --serve \"" + portFile + L"\"");
        for (int i = 0; i < 300 && port.empty() && !process.Ended(i ? 100 : 0); ++i) {
            const std::string text = ReadBytes(portFile);
            port.assign(text.begin(), text.end());
        }
    }
    ChildProcess process;
    std::wstring port;
};
