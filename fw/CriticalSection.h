// Win32 critical sections: an owned one, and a guard that works on any
// (also on one that lives in host memory).
#pragma once

#include <windows.h>

class CriticalSectionGuard {
public:
    explicit CriticalSectionGuard(CRITICAL_SECTION& cs) noexcept : cs_(&cs) { EnterCriticalSection(cs_); }
    // Holds the section only if it was free at once; false when not held.
    static CriticalSectionGuard TryEnter(CRITICAL_SECTION& cs) noexcept {
        return CriticalSectionGuard(TryEnterCriticalSection(&cs) ? &cs : nullptr);
    }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;
    ~CriticalSectionGuard() {
        if (cs_) LeaveCriticalSection(cs_);
    }

    explicit operator bool() const noexcept { return cs_ != nullptr; }

private:
    explicit CriticalSectionGuard(CRITICAL_SECTION* entered) noexcept : cs_(entered) {}

    CRITICAL_SECTION* cs_;
};

class CriticalSection {
public:
    CriticalSection() noexcept { InitializeCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    ~CriticalSection() { DeleteCriticalSection(&cs_); }

    [[nodiscard]] CriticalSectionGuard Lock() noexcept { return CriticalSectionGuard(cs_); }
    [[nodiscard]] CriticalSectionGuard TryLock() noexcept { return CriticalSectionGuard::TryEnter(cs_); }

private:
    CRITICAL_SECTION cs_;
};
