// A process a test started: ended (and waited for) when the object goes,
// so no test leaves a stand-in program running.
#pragma once

#include "fw/UniqueHandle.h"

#include <string>

class ChildProcess {
public:
    ChildProcess() = default;
    // Starts `exe` with the full command line `command`.
    ChildProcess(const std::wstring& exe, std::wstring command, DWORD flags = 0) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si, &pi))
            return;
        CloseHandle(pi.hThread);
        process_.reset(pi.hProcess);
        pid_ = pi.dwProcessId;
    }
    ChildProcess(ChildProcess&&) = default;
    ChildProcess& operator=(ChildProcess&& other) noexcept {
        Stop();
        process_ = std::move(other.process_);
        pid_ = other.pid_;
        return *this;
    }
    ~ChildProcess() { Stop(); }

    explicit operator bool() const { return static_cast<bool>(process_); }
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_.get(); }
    // Whether the process has ended within `ms`.
    bool Ended(DWORD ms) const { return process_ && WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0; }
    void Stop() {
        if (!process_) return;
        if (!Ended(0)) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 5000);
        }
        process_.reset();
    }

private:
    UniqueKernelHandle process_;
    DWORD pid_ = 0;
};
