#include "fw/DeadlineRunner.h"

#include "fw/CriticalSection.h"
#include "fw/UniqueHandle.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct Work {
    std::function<void()> run;
    UniqueLibrary pin;  // this module, loaded once more for the thread's life
};

// The threads of abandoned work, by window, until they end.
class AbandonedWork {
public:
    // Whether work on `window` may start: none of its abandoned work still
    // runs, and less than kMaxAbandonedWork in all does.
    bool MayStart(HWND window) {
        const auto lock = lock_.Lock();
        const auto ended = [](const Entry& entry) { return WaitForSingleObject(entry.thread.get(), 0) == WAIT_OBJECT_0; };
        entries_.erase(std::remove_if(entries_.begin(), entries_.end(), ended), entries_.end());
        const auto onWindow = [window](const Entry& entry) { return window && entry.window == window; };
        return entries_.size() < kMaxAbandonedWork && std::none_of(entries_.begin(), entries_.end(), onWindow);
    }

    void Add(HWND window, UniqueKernelHandle thread) {
        const auto lock = lock_.Lock();
        entries_.push_back({window, std::move(thread)});
    }

private:
    struct Entry {
        HWND window;
        UniqueKernelHandle thread;
    };
    CriticalSection lock_;
    std::vector<Entry> entries_;
};

AbandonedWork g_abandonedWork;

// Ends the work and every C++ object of it; hands back the pin.
HMODULE RunWork(Work* raw) noexcept {
    const std::unique_ptr<Work> work(raw);
    try {
        work->run();
    } catch (...) {
        // Nothing may leave a thread; the work's state says what it got.
    }
    return work->pin.release();
}

DWORD WINAPI WorkThread(void* work) {
    // When the host has freed the module meanwhile, this drops the last
    // reference: the module goes, and the thread with it, without returning.
    FreeLibraryAndExitThread(RunWork(static_cast<Work*>(work)), 0);
}

// Waits for `thread` at most `ms`, woken by the messages of `wake` to
// answer them.
bool Joined(HANDLE thread, DWORD ms, DWORD wake) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        const DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, spent < ms ? ms - spent : 0, wake);
        if (wait != WAIT_OBJECT_0 + 1) return wait == WAIT_OBJECT_0;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

DeadlineOutcome RunWithDeadline(HWND window, DWORD ms, std::function<void()> work, WhileWaiting waiting) {
    if (window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        work();
        return DeadlineOutcome::kFinished;
    }
    if (!g_abandonedWork.MayStart(window)) return DeadlineOutcome::kRefused;
    auto owned = std::make_unique<Work>();
    owned->run = std::move(work);
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&WorkThread),
                            owned->pin.put()))
        return DeadlineOutcome::kRefused;
    UniqueKernelHandle thread(CreateThread(nullptr, 0, &WorkThread, owned.get(), 0, nullptr));
    if (!thread) return DeadlineOutcome::kRefused;
    owned.release();  // the thread's now
    // The thread's end, not the work's: a finished thread no longer holds
    // the module, whatever the host does next.
    const DWORD wake = waiting == WhileWaiting::kAnswerSentMessages ? QS_SENDMESSAGE : 0;
    if (Joined(thread.get(), ms, wake)) return DeadlineOutcome::kFinished;
    g_abandonedWork.Add(window, std::move(thread));
    return DeadlineOutcome::kAbandoned;
}
