// Configuration benchmark, through the host path: what Config\Restrict.ini
// costs the host's thread.
//   - Initial with each file below, on a fresh load of the DLL (only the
//     first Initial reads the file): the median of RUNS loads, and that as a
//     multiple of Initial with a small valid file;
//   - a timer tick with MODE_APPRESTRICT active and a stand-in application in
//     front, with no exemptions and with 1,000 exempt programs and 1,000
//     exempt folders that exist (none of which holds the stand-in).
//
//   ConfigBench.exe [RUNS]      RUNS loads per file, 5 by default
//
// Figures only. The files are written below the temporary folder.
#include "bench/BenchFigures.h"
#include "support/FakeBrowser.h"
#include "support/TestHost.h"

#include <cstdio>

namespace {

constexpr int kDefaultRuns = 5;
constexpr int kTicks = 110;  // ten full walks among them
constexpr int kExemptions = 1000;
constexpr size_t kBigFileBytes = 50u << 20;

using Bytes = std::string;

Bytes Ansi(const std::wstring& text) {
    return Bytes(text.begin(), text.end());
}

Bytes Utf16(const std::wstring& text) {
    return "\xFF\xFE" + Bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// `line(i)` for i = 0, 1, ... until the text holds `bytes` bytes.
template <typename Line>
Bytes Repeated(size_t bytes, Line line) {
    Bytes text;
    text.reserve(bytes + 64);
    for (int i = 0; text.size() < bytes; ++i) text += line(i);
    return text;
}

std::wstring Counts(const std::wstring& count) {
    std::wstring text = L"[SYSTEM]\r\n";
    for (const wchar_t* key : {L"THROW_APP_EXE_NUM", L"THROW_APP_PATH_NUM", L"THROW_APP_REG_NUM",
                               L"SYSTEM_PROPERTIES_NUM", L"NETWORK_PROPERTIES_NUM", L"EXPLORER_NUM", L"PRINTER_NUM",
                               L"APP_RUN_NUM", L"CONTROL_PANEL_NUM"})
        text += std::wstring(key) + L"=" + count + L"\r\n";
    return text;
}

const wchar_t kSmall[] =
    L"[SYSTEM]\r\nTHROW_APP_EXE_NUM=2\r\n[THROW_APP_EXE]\r\nAPP_EXE1=notepad.exe\r\nAPP_EXE2=calc.exe\r\n";

// 1,000 exempt programs and 1,000 exempt folders, made here.
std::wstring ThousandEach() {
    const std::wstring folders = ScratchFolder(L"cfgbench-folders");
    std::wstring text = L"[SYSTEM]\r\nTHROW_APP_EXE_NUM=1000\r\nTHROW_APP_PATH_NUM=1000\r\n[THROW_APP_EXE]\r\n";
    for (int i = 1; i <= kExemptions; ++i)
        text += L"APP_EXE" + std::to_wstring(i) + L"=tool" + std::to_wstring(i) + L".exe\r\n";
    text += L"[THROW_APP_PATH]\r\n";
    for (int i = 1; i <= kExemptions; ++i) {
        const std::wstring folder = folders + L"tools" + std::to_wstring(i);
        CreateDirectoryW(folder.c_str(), nullptr);
        text += L"APP_PATH" + std::to_wstring(i) + L"=" + folder + L"\r\n";
    }
    return text;
}

// A new base folder holding Config\Restrict.ini with these bytes.
std::wstring BaseWithIni(const Bytes& bytes) {
    static int made = 0;
    const std::wstring base = ScratchFolder(L"cfgbench-" + std::to_wstring(++made));
    WriteRestrictIni(base, bytes);
    return base;
}

void Quiet(TestHost& host, const std::wstring& base) {
    host.log.bEnabled = FALSE;
    host.baseFolder = base;
}

// Each TestHost loads the DLL afresh, so each Initial reads the file.
double InitialMs(const Bytes& bytes, int runs) {
    const std::wstring base = BaseWithIni(bytes);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        TestHost host;
        Quiet(host, base);
        times.push_back(TimeMs([&] { host.Initial(0, USER_TIMER_MAXIMUM); }));
    }
    DeleteFileW((base + L"Config\\Restrict.ini").c_str());
    return Median(times);
}

// Adds kTicks tick times with `front` in front and MODE_APPRESTRICT judging
// it to `times`.
void Ticks(const std::wstring& base, HWND front, std::vector<double>& times) {
    TestHost host;
    Quiet(host, base);
    host.Initial(0, USER_TIMER_MAXIMUM);
    host.StartRestrict(MODE_APPRESTRICT, 1, host.List({L"never-started.exe"}), 0);
    const HWND controller = host.ControllerWindow();
    MadeForeground(front);
    for (int i = 0; i < 11; ++i) Sweep(controller);
    for (int i = 0; i < kTicks; ++i) times.push_back(TimeMs([&] { Sweep(controller); }));
    host.StopRestrict(MODE_APPRESTRICT);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = CountArgument(argc, argv, kDefaultRuns, L"ConfigBench [RUNS]");
    if (!runs) return 2;
    const std::wstring thousand = ThousandEach();
    const std::pair<const wchar_t*, Bytes> files[] = {
        {L"small valid file (5 lines)", Ansi(kSmall)},
        {L"an empty file", ""},
        {L"every count 2147483647", Ansi(Counts(L"2147483647"))},
        {L"every count 1000000", Ansi(Counts(L"1000000"))},
        {L"every count in Arabic-Indic digits",
         Utf16(Counts(L"\x0662\x0661\x0664\x0667\x0664\x0668\x0663\x0666\x0664\x0667"))},
        {L"1,000 exempt programs and 1,000 exempt folders", Ansi(thousand)},
        {L"50 MB: the small file, then comment lines",
         Ansi(kSmall) + Repeated(kBigFileBytes, [](int) { return Bytes(";" + Bytes(78, 'x') + "\r\n"); })},
        {L"50 MB of distinct section names",
         Repeated(kBigFileBytes, [](int i) { return "[S" + std::to_string(i) + "]\r\n"; })},
        {L"50 MB of distinct keys in a section read",
         "[THROW_APP_EXE]\r\n" + Repeated(kBigFileBytes, [](int i) { return "K" + std::to_string(i) + "=v\r\n"; })},
        {L"50 MB of keys in [SYSTEM], each as long as a count key and alike for 12 characters",
         "[SYSTEM]\r\n" +
             Repeated(kBigFileBytes, [](int i) { return "THROW_APP_EX" + std::to_string(10000 + i % 90000) + "=1\r\n"; })},
    };
    InitialMs(files[0].second, 1);  // the first load of the DLL pays for more than the file
    double small = 0;
    for (const auto& [label, bytes] : files) {
        const double ms = InitialMs(bytes, runs);
        if (small == 0) small = ms;
        wprintf(L"Initial, %ls: %.3f ms (%.1fx)\n", label, ms, ms / small);
        fflush(stdout);
    }

    const ChildProcess app = StandIn(L"cfgbench.exe", L"CfgBenchClass", {L"Config bench app"});
    if (!app.Window()) return 1;
    // Taken in turns, so that a busy spell of the machine falls on both.
    std::vector<double> none, many;
    for (int round = 0; round < 3; ++round) {
        Ticks(BaseWithIni(""), app.Window(), none);
        Ticks(BaseWithIni(Ansi(thousand)), app.Window(), many);
    }
    wprintf(L"tick, no exemptions: %.3f ms; 1,000 exempt programs and folders: %.3f ms (%.1fx)\n", Median(none),
            Median(many), Median(many) / Median(none));
    return 0;
}
