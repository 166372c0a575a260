// Win32 critical sections: an owned one, and a guard that works on any
// (also on one that lives in host memory).
#pragma once

#include <windows.h>

class CriticalSectionGuard {
public:
    explicit CriticalSectionGuard(CRITICAL_SECTION& cs) noexcept : cs_(cs) { EnterCriticalSection(&cs_); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;
    ~CriticalSectionGuard() { LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION& cs_;
};

class CriticalSection {
public:
    CriticalSection() noexcept { InitializeCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    ~CriticalSection() { DeleteCriticalSection(&cs_); }

    [[nodiscard]] CriticalSectionGuard Lock() noexcept { return CriticalSectionGuard(cs_); }

private:
    CRITICAL_SECTION cs_;
};
