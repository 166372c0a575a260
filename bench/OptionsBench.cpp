// What the opt-in options of Config\Restrict.ini's [OPTIONS] gain and cost,
// through the host path (LoadLibrary and the exports):
//   - reaction: the time from SetForegroundWindow of a denied program
//     (MODE_APPRESTRICT, deny list game.exe) to the end of its process, the
//     median of TRIALS trials with the module's timer at 5 s and at 60 s;
//   - naming: a timer tick with MODE_APPRESTRICT and an allowed program in
//     front, with the options given and with MATCH_ORIGINAL_NAME=1 before
//     them (the tick then reads that program's original name from its
//     file's version resource, once per process per sweep), beside that
//     reading alone.
//
//   OptionsBench.exe [TRIALS] [KEY=VALUE...]
//     TRIALS: 20 by default. Each KEY=VALUE goes into the [OPTIONS] section
//     of the host's Config\Restrict.ini (e.g. FOREGROUND_EVENTS=1); with none
//     the file is left out and the module runs as it always has.
//
// The stand-ins raise EVENT_SYSTEM_FOREGROUND themselves on activation (Wine
// does not). A trial waits up to two timer periods and a half; one that
// still finds the program running fails the run. Each trial takes about one
// timer period: at 20 trials, about 22 minutes in all.
#include "apprestrict/OriginalName.h"
#include "bench/BenchFigures.h"
#include "support/FakeBrowser.h"
#include "support/TestHost.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kDefaultTrials = 20;
constexpr int kTicks = 110;  // ten full walks among them
constexpr int kNamings = 200;
const std::vector<std::wstring> kNotify = {L"--notify-foreground"};

// Config\Restrict.ini below `base` with these options, or no file at all.
void WriteOptions(const std::wstring& base, const std::vector<std::wstring>& options) {
    DeleteFileW((base + L"Config\\Restrict.ini").c_str());
    if (options.empty()) return;
    std::string text = "[OPTIONS]\r\n";
    for (const auto& option : options) text += Narrow(option) + "\r\n";
    WriteRestrictIni(base, text);
}

// Dispatches this thread's messages (the module's timer and events run on
// it) until `process` ends or `ms` pass; false when it did not end.
bool PumpUntilEnded(HANDLE process, DWORD ms) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < ms; elapsed = GetTickCount() - start) {
        if (MsgWaitForMultipleObjects(1, &process, FALSE, ms - elapsed, QS_ALLINPUT) == WAIT_OBJECT_0) return true;
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
    }
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

// The module's timer ticks every period after Initial. The trials bring the
// program to the front at phases spread evenly over the period, as a user
// would at any moment.
struct TimerPhase {
    DWORD initial;  // GetTickCount at Initial
    DWORD period;
    // Dispatches messages until `phase` ms past a tick.
    void WaitFor(DWORD phase) const {
        const DWORD sinceTick = (GetTickCount() - initial) % period;
        TestHost::Pump((phase + period - sinceTick) % period);
    }
};

// One trial: game.exe started and `neutral` brought to the front while the
// mode is off, then at `phase` past a tick the mode started and game.exe
// brought to the front. Milliseconds to its end, or a negative figure when
// it outlived `waitMs`.
double ReactionMs(TestHost& host, HostList& deny, const ChildProcess& neutral, const TimerPhase& timer, DWORD phase,
                  DWORD waitMs) {
    host.StopRestrict(MODE_APPRESTRICT);
    const ChildProcess game = StandIn(L"game.exe", L"OptionsBenchGame", {L"Game"}, kNotify);
    if (!game.Window() || !MadeForeground(neutral.Window())) return -1;
    timer.WaitFor(phase);
    host.StartRestrict(MODE_APPRESTRICT, 1, deny.get());
    bool ended = false;
    const double ms = TimeMs([&] {
        SetForegroundWindow(game.Window());
        ended = PumpUntilEnded(game.Handle(), waitMs);
    });
    return ended ? ms : -1;
}

bool Reaction(UINT timerMs, int trials, const std::vector<std::wstring>& options, const ChildProcess& neutral) {
    TestHost host;
    host.log.bEnabled = FALSE;
    WriteOptions(host.baseFolder, options);
    const TimerPhase timer{GetTickCount(), timerMs};
    host.Initial(0, timerMs);
    HostList deny;
    deny.Add(L"game.exe");
    std::vector<double> times;
    for (int i = 0; i < trials; ++i) {
        const DWORD phase = static_cast<DWORD>((i + 0.5) * timerMs / trials);
        const double ms = ReactionMs(host, deny, neutral, timer, phase, timerMs * 5 / 2);
        if (ms < 0) {
            fwprintf(stderr, L"timer %u ms: trial %d: game.exe was not ended\n", timerMs, i + 1);
            return false;
        }
        times.push_back(ms);
    }
    const auto [least, most] = std::minmax_element(times.begin(), times.end());
    wprintf(L"timer %u ms: SetForegroundWindow to the end of a denied program: median %.1f ms over %d trials "
            L"(%.1f to %.1f)\n",
            timerMs, Median(times), trials, *least, *most);
    fflush(stdout);
    return true;
}

// A tick's median with MODE_APPRESTRICT and `allowed` in front.
double TickMs(const std::vector<std::wstring>& options, const ChildProcess& allowed) {
    TestHost host;
    host.log.bEnabled = FALSE;
    WriteOptions(host.baseFolder, options);
    host.Initial(0, USER_TIMER_MAXIMUM);
    HostList deny;
    deny.Add(L"game.exe");
    host.StartRestrict(MODE_APPRESTRICT, 1, deny.get());
    MadeForeground(allowed.Window());
    const HWND controller = host.ControllerWindow();
    std::vector<double> ticks;
    for (int i = 0; i < kTicks; ++i) ticks.push_back(TimeMs([&] { Sweep(controller); }));
    return Median(ticks);
}

void Naming(const std::vector<std::wstring>& options, const ChildProcess& allowed) {
    std::vector<std::wstring> matching = {L"MATCH_ORIGINAL_NAME=1"};  // the first of a key counts
    matching.insert(matching.end(), options.begin(), options.end());
    const double tick = TickMs(options, allowed), matchingTick = TickMs(matching, allowed);
    std::vector<double> namings;
    for (int i = 0; i < kNamings; ++i) namings.push_back(TimeMs([&] { ProcessOriginalName(allowed.Pid()); }));
    wprintf(L"tick with MODE_APPRESTRICT, an allowed program in front: median %.3f ms, with MATCH_ORIGINAL_NAME=1 "
            L"%.3f ms (%.2fx); its original name read from its file: median %.3f ms\n",
            tick, matchingTick, matchingTick / tick, Median(namings));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int trials = CountArgument(argc, argv, kDefaultTrials, L"OptionsBench [TRIALS] [KEY=VALUE...]");
    if (!trials) return 2;
    const std::vector<std::wstring> options(argv + std::min(argc, 2), argv + argc);
    wprintf(L"[OPTIONS]:");
    for (const auto& option : options) wprintf(L" %ls", option.c_str());
    wprintf(options.empty() ? L" none (no Config\\Restrict.ini)\n" : L"\n");

    const ChildProcess neutral = StandIn(L"neutral.exe", L"OptionsBenchNeutral", {L"Neutral"}, kNotify);
    if (!neutral.Window()) return 1;
    Naming(options, neutral);
    for (UINT timerMs : {5000u, 60000u})
        if (!Reaction(timerMs, trials, options, neutral)) return 1;
    return 0;
}
