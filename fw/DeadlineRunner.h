// Work on a window of another process, or with a server, that must not hold
// the calling thread past a deadline: it runs on a thread of its own, is
// waited for at most that long, and when it overruns it is abandoned (left
// to finish on its own, never stopped; a call into a hung process cannot be
// stopped).
//
// Abandoned work outlives the call that started it. It must keep what it
// writes in state it co-owns (captured by value, e.g. a shared_ptr), never
// point into the caller's stack nor touch objects of the caller's thread,
// and must leave COM objects behind only as locals. Its thread keeps this
// module loaded until the work returns.
#pragma once

#include <windows.h>

#include <functional>

enum class DeadlineOutcome {
    kFinished,   // ran to its end in time; what it wrote may be read
    kAbandoned,  // still running at the deadline
    kRefused,    // not started: earlier work on the window still runs, too
                 // much abandoned work runs, or no thread could be made
};

// What the caller's thread does while it waits for the work.
enum class WhileWaiting {
    kBlock,               // nothing: no host code runs inside the wait
    kAnswerSentMessages,  // answers messages other threads send to it, for
                          // work that itself sends to every window (a DDE
                          // broadcast) and would otherwise wait on the caller
};

// Abandoned work running at one time, over all windows; each holds a thread.
constexpr int kMaxAbandonedWork = 8;

// Runs `work` on `window` and waits for it at most `ms`. Work on a window of
// the calling thread runs inline: only this thread can answer that window,
// so a thread of its own would only wait for this one. Work on no window
// (null) is bounded by the total alone. Calls are expected one at a time
// (the sweep's lock); two at once may start one thread more.
DeadlineOutcome RunWithDeadline(HWND window, DWORD ms, std::function<void()> work,
                                WhileWaiting waiting = WhileWaiting::kBlock);
