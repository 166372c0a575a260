// Reader benchmark, through the host path. A browser window of each kind the
// sweep reads an address from is put in front in turn and swept READS times
// while the deny list matches none of the addresses shown, so that every
// sweep reads the address and leaves the window be. A reader that leaks
// shows, over thousands of reads, as growth of the handle count or of
// committed private memory.
//
//   ReaderBench.exe [READS]      READS sweeps per kind, 3000 by default
//
// Prints a line per kind: the median time of one sweep, and the handles and
// private bytes before (after a warm-up) and after the reads; for the
// accessible trees, which the fakes serve from this thread, also what
// fetching the tree as often costs without the module, to set against them.
// One Chrome tree more is served by a stand-in browser process, as a
// browser serves its own: the module reads that one on a thread of its own.
// The host's log is off: each of its lines opens, flushes and closes the
// file, which would swamp the readers' own cost.
//
// The reader of current browsers' address fields is called directly: a
// tenth as many reads of an Edge-shaped tree served by a stand-in browser
// process (TestWindow.exe), in reads per second; then a tree of about 2,000
// elements whose field is the last one the search reaches, served by this
// thread (the search's own cost, no proxy) and by a stand-in process.
//
// Fails (exit 1) when one more sweep, with the address on the deny list,
// does not make the module ask the host about that browser's window (the
// figures would be of sweeps that read nothing), when a read of an address
// field does not give its address, when the readers keep a
// reference to an accessible tree, or when a fake saw a call no reader
// should make.
#include "bench/BenchFigures.h"
#include "browsers/AddressField.h"
#include "fw/Com.h"
#include "support/FakeBrowser.h"
#include "support/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

constexpr DWORD kDenyList = 1;
constexpr DWORD kAskHost = 0;
constexpr int kDefaultReads = 3000;
// Two full walks (every eleventh sweep walks all windows): what the readers
// set up once is in place before the first figure.
constexpr int kWarmUpSweeps = 22;

struct TreeShape {
    const wchar_t* frameClass;
    const wchar_t* childClass;  // a child window the frame needs, or null
    const wchar_t* shape;       // its accessible tree, by AddBrowserShape's name
};

const TreeShape kChromeShape = {L"Chrome_WidgetWin_1", nullptr, L"chrome-legacy"};
// Edge's content lives in a core window.
const TreeShape kEdgeShape = {L"ApplicationFrameWindow", L"Windows.UI.Core.CoreWindow", L"edge-legacy"};

class Bench {
public:
    explicit Bench(int reads) : reads_(reads) {
        list_.Add(L"www.never-shown.org");
        host_.log.bEnabled = FALSE;
        // The host takes every case: nothing of this process is closed or ended.
        host_.confirmReply = 1;
        // Only the benchmark's own ticks sweep.
        host_.Initial(0, USER_TIMER_MAXIMUM);
        host_.StartRestrict(MODE_URLRESTRICT, kDenyList, list_.get(), kAskHost);
        controller_ = host_.ControllerWindow();
    }

    bool Ready() const { return host_.Loaded() && controller_; }
    int Reads() const { return reads_; }

    // Sweeps with `frame` in front, which shows `address`; prints the
    // figures. False when the address was not read.
    bool Run(const wchar_t* kind, HWND frame, const wchar_t* address) {
        if (!MadeForeground(frame)) {
            wprintf(L"%ls: the browser window did not come to the front\n", kind);
            return false;
        }
        for (int i = 0; i < kWarmUpSweeps; ++i) Sweep(controller_);
        std::vector<double> times;
        times.reserve(reads_);  // allocated before the first figure
        const Usage before = Measure();
        for (int i = 0; i < reads_; ++i) times.push_back(TimeMs([&] { Sweep(controller_); }));
        const Usage after = Measure();
        const bool read = HostAskedAbout(frame, address);
        wprintf(L"%ls: %d reads, %.3f ms per read-sweep (median); %ls; %ls\n", kind, reads_, Median(times),
                UsageChange(before, after).c_str(), read ? L"address read" : L"ADDRESS NOT READ");
        return read;
    }

private:
    // One sweep more with `address` on the deny list: whether the module
    // asked the host about `frame` or a window inside it.
    bool HostAskedAbout(HWND frame, const wchar_t* address) {
        host_.ClearReceived();
        list_.Add(L"", address);
        Sweep(controller_);
        for (const Notification& n : host_.Received(WM_RA_URL_CONFIRM))
            if (n.window == frame || IsChild(frame, n.window)) return true;
        return false;
    }

    int reads_;
    HostList list_;  // read by the module until the host stops the mode
    TestHost host_;
    HWND controller_ = nullptr;
};

// The same figures for fetching `frame`'s tree `times` times without the
// module. The fake serves its tree from this process, so the platform's
// marshalling of it, done in the browser's process in use, shows here too.
std::wstring FetchedAlone(HWND frame, int times) {
    const ComInit com;
    const Usage before = Measure();
    for (int i = 0; i < times; ++i) {
        ComPtr<IAccessible> root;
        AccessibleObjectFromWindow(frame, static_cast<DWORD>(OBJID_WINDOW), IID_IAccessible,
                                   reinterpret_cast<void**>(root.put()));
    }
    return UsageChange(before, Measure());
}

bool ReadTree(Bench& bench, const wchar_t* kind, const TreeShape& shape, const wchar_t* address) {
    FakeTree tree;
    AddBrowserShape(tree, shape.shape, address);
    bool read = false;
    {
        FakeBrowser browser(shape.frameClass, L"Bench page", &tree);
        if (shape.childClass) browser.AddChain({shape.childClass});
        read = bench.Run(kind, browser.hwnd(), address);
        wprintf(L"  the tree fetched as often without the module: %ls\n",
                FetchedAlone(browser.hwnd(), bench.Reads()).c_str());
    }
    const std::wstring faults = tree.Faults();
    if (!faults.empty()) wprintf(L"%ls: faults of the readers on the tree: %ls\n", kind, faults.c_str());
    return read && faults.empty();
}

// As a browser's own process serves its tree: the module reads it on a
// thread of its own, through COM proxies into the stand-in's thread.
bool ReadTreeOfOtherProcess(Bench& bench, const wchar_t* address) {
    const ChildProcess chrome =
        StandIn(L"chrome.exe", kChromeShape.frameClass, {L"Bench page"}, {L"--tree", kChromeShape.shape, address});
    return bench.Run(L"Chrome, accessible tree of another process", chrome.Window(), address);
}

bool ReadEditChain(Bench& bench, const wchar_t* address) {
    FakeBrowser ie(L"IEFrame", L"Bench page");
    ie.AddChain({L"WorkerW", L"ReBarWindow32", L"Address Band Root", L"Edit"}, address);
    return bench.Run(L"IE, Edit chain", ie.hwnd(), address);
}

// The address field is left empty: the address comes only through DDE.
bool ReadFirefox(Bench& bench, const wchar_t* address) {
    const ChildProcess firefox = StandInFirefox(L"MozillaWindowClass", L"answers",
                                                "\"" + Narrow(address) + "\",\"Bench page\",\"\"", L"",
                                                ScratchFolder(L"bench") + L"calls.txt");
    return bench.Run(L"Firefox, DDE", firefox.Window(), address);
}

// Every tree of the address field reader shows this address.
constexpr wchar_t kFieldAddress[] = L"games.example/play";

// Reads `browser`'s address field `reads` times after `warmUps` reads,
// pausing `pauseMs` after each (a read left at its deadline ends
// meanwhile); prints the figures. Whether every read gave the address.
bool ReadAddressFields(const wchar_t* kind, HWND browser, int reads, int warmUps, DWORD pauseMs) {
    int read = 0, noAnswer = 0;
    const auto readOnce = [&] {
        const AddressField field = ReadAddressField(browser, nullptr);
        read += field.read == FieldRead::kAddress && field.value == kFieldAddress;
        noAnswer += field.read == FieldRead::kNoAnswer;
    };
    for (int i = 0; i < warmUps; ++i, Sleep(pauseMs)) readOnce();
    read = noAnswer = 0;
    std::vector<double> times;
    times.reserve(reads);
    const Usage before = Measure();
    for (int i = 0; i < reads; ++i, Sleep(pauseMs)) times.push_back(TimeMs(readOnce));
    const Usage after = Measure();
    double totalMs = 0;
    for (const double ms : times) totalMs += ms;
    wprintf(L"%ls: %d reads, %.3f ms per read (median), %.1f reads/s, %.3f ms the slowest; %ls; %d gave the address, "
            L"%d no answer\n",
            kind, reads, Median(times), 1000.0 * reads / totalMs, *std::max_element(times.begin(), times.end()),
            UsageChange(before, after).c_str(), read, noAnswer);
    return read == reads;
}

// Trees served by a stand-in browser process: read through COM proxies.
bool ReadStandInFields(const wchar_t* kind, const wchar_t* shape, int reads, int warmUps, DWORD pauseMs) {
    const ChildProcess browser = StandIn(L"msedge.exe", L"Chrome_WidgetWin_1", {L"Bench"}, {L"--tree", shape, kFieldAddress});
    if (!browser.Window()) {
        wprintf(L"%ls: the stand-in browser did not start\n", kind);
        return false;
    }
    return ReadAddressFields(kind, browser.Window(), reads, warmUps, pauseMs);
}

// The same tree served by a window of this thread is read inline, through
// no proxy: what shows is the search's own cost.
bool ReadOwnThreadFields(const wchar_t* kind, const wchar_t* shape, int reads) {
    FakeTree tree;
    AddBrowserShape(tree, shape, kFieldAddress);
    const FakeBrowser browser(L"Chrome_WidgetWin_1", L"Bench", &tree);
    return ReadAddressFields(kind, browser.hwnd(), reads, kWarmUpSweeps, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int reads = CountArgument(argc, argv, kDefaultReads, L"ReaderBench [READS]");
    if (!reads) return 2;
    const ChromeRegistered chrome;
    Bench bench(reads);
    if (!bench.Ready()) return 1;
    bool real = ReadTree(bench, L"Chrome, accessible tree", kChromeShape, L"http://www.chrome-reads.com/");
    real &= ReadTree(bench, L"Edge, accessible tree", kEdgeShape, L"http://www.edge-reads.com/");
    real &= ReadTreeOfOtherProcess(bench, L"http://www.chrome-elsewhere.com/");
    real &= ReadEditChain(bench, L"http://www.ie-reads.com/");
    real &= ReadFirefox(bench, L"http://www.firefox-reads.com/");
    // Reads of another process cost far more: fewer of them.
    real &= ReadStandInFields(L"Address field, Edge-shaped tree of another process", L"edge", std::max(reads / 10, 10),
                              kWarmUpSweeps, 0);
    real &= ReadOwnThreadFields(L"Address field, 2,000-element tree of this thread, field last", L"long",
                                std::max(reads / 10, 10));
    // Whether this one is read within the deadline depends on the cost of a
    // call into another process: its figures do not fail the benchmark.
    ReadStandInFields(L"Address field, 2,000-element tree of another process, field last", L"long",
                      std::max(reads / 100, 10), 2, 300);
    return real ? 0 : 1;
}
