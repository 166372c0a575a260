// MODE_CONTROLWATCH through the host's path: the DLL's sweeps judge real
// top-level windows by class and exact title and post WM_CLOSE.
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr DWORD kSweepWaitMs = 30000;
// More than two full walks (every eleventh 100 ms tick).
constexpr DWORD kTwoWalksMs = 2500;

const wchar_t* const kFolderClasses[] = {L"CabinetWClass", L"ExploreWClass", L"WorkerW", L"NativeHWNDHost"};

// A visible top-level window of this process whose procedure only records
// WM_CLOSE and keeps the window, so that every sweep may post it again.
// "#32770" is the system's dialog class; the others are registered here.
class WatchedWindow {
public:
    WatchedWindow(const wchar_t* windowClass, const wchar_t* title) {
        for (const wchar_t* name : kFolderClasses) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = name;
            RegisterClassW(&wc);  // fails harmlessly once registered
        }
        hwnd_ = CreateWindowExW(0, windowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 150, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
    }
    ~WatchedWindow() { DestroyWindow(hwnd_); }
    WatchedWindow(const WatchedWindow&) = delete;
    WatchedWindow& operator=(const WatchedWindow&) = delete;

    bool Created() const { return hwnd_ != nullptr; }
    bool Closed() const { return closed_; }

private:
    static LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<WatchedWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message != WM_CLOSE) return CallWindowProcW(self->previous_, hwnd, message, wParam, lParam);
        self->closed_ = true;
        return 0;
    }

    WNDPROC previous_ = nullptr;
    bool closed_ = false;
    HWND hwnd_ = nullptr;
};

struct Row {
    DWORD mask;
    const char* label;
    const wchar_t* windowClass;
    const wchar_t* title;
    bool closed;
};

// Consecutive rows with one mask are judged together: all their windows
// open at once, the closes expected arrive, then two more walks pass.
void ExpectDecisions(TestHost& host, const std::vector<Row>& rows) {
    for (size_t first = 0; first < rows.size();) {
        const DWORD mask = rows[first].mask;
        size_t last = first;
        while (last < rows.size() && rows[last].mask == mask) ++last;
        SCOPED_TRACE(testing::Message() << "mask 0x" << std::hex << mask);
        host.StartRestrict(MODE_CONTROLWATCH, mask);

        std::vector<std::unique_ptr<WatchedWindow>> windows;
        for (size_t i = first; i < last; ++i) {
            windows.push_back(std::make_unique<WatchedWindow>(rows[i].windowClass, rows[i].title));
            ASSERT_TRUE(windows.back()->Created()) << rows[i].label;
        }
        const auto expectedClosesArrived = [&] {
            for (size_t i = first; i < last; ++i)
                if (rows[i].closed && !windows[i - first]->Closed()) return false;
            return true;
        };
        EXPECT_TRUE(host.WaitFor(expectedClosesArrived, kSweepWaitMs));
        host.Pump(kTwoWalksMs);
        for (size_t i = first; i < last; ++i) EXPECT_EQ(windows[i - first]->Closed(), rows[i].closed) << rows[i].label;
        first = last;
    }
}

}  // namespace

TEST(ControlWatch, ClosesSystemWindowsByCategoryClassAndExactTitle) {
    const std::vector<Row> rows = {
        {RA_CONTROL_APP_RUN, "Run dialog", L"#32770", L"Run", true},
        {RA_CONTROL_APP_RUN, "Run in lower case: titles keep case", L"#32770", L"run", false},
        {RA_CONTROL_APP_RUN, "half-width Japanese Run", L"#32770", L"ﾌｧｲﾙ名を指定して実行", true},
        {RA_CONTROL_APP_RUN, "Chinese Run", L"#32770", L"运行", true},
        {RA_CONTROL_APP_RUN, "folder titled Run: dialogs only", L"CabinetWClass", L"Run", false},

        {RA_CONTROL_CONTROL_PANEL, "folder, class in other case", L"CabinetWClass", L"Control Panel", true},
        {RA_CONTROL_CONTROL_PANEL, "dialog titled Control Panel", L"#32770", L"Control Panel", false},
        {RA_CONTROL_CONTROL_PANEL, "two spaces before the hyphen", L"ExploreWClass", L"エクスプローラ  - ｺﾝﾄﾛｰﾙ ﾊﾟﾈﾙ", true},
        {RA_CONTROL_CONTROL_PANEL, "one space before the hyphen", L"ExploreWClass", L"エクスプローラ - ｺﾝﾄﾛｰﾙ ﾊﾟﾈﾙ", false},
        {RA_CONTROL_CONTROL_PANEL, "Explorer title in a cabinet", L"CabinetWClass", L"Explorer - Control Panel", false},

        {RA_CONTROL_SYSTEM_PROPERTIES | RA_CONTROL_NETWORK_PROPERTIES, "System in ExploreWClass", L"ExploreWClass",
         L"System", false},
        {RA_CONTROL_SYSTEM_PROPERTIES | RA_CONTROL_NETWORK_PROPERTIES, "System on WorkerW", L"WorkerW", L"System",
         true},
        {RA_CONTROL_SYSTEM_PROPERTIES | RA_CONTROL_NETWORK_PROPERTIES, "half-width System Properties", L"#32770",
         L"ｼｽﾃﾑのﾌﾟﾛﾊﾟﾃｨ", true},
        {RA_CONTROL_SYSTEM_PROPERTIES | RA_CONTROL_NETWORK_PROPERTIES, "Connect to a network", L"NativeHWNDHost",
         L"ネットワークに接続", true},
        {RA_CONTROL_SYSTEM_PROPERTIES | RA_CONTROL_NETWORK_PROPERTIES, "Network on NativeHWNDHost",
         L"NativeHWNDHost", L"Network", false},
        {RA_CONTROL_SYSTEM_PROPERTIES | RA_CONTROL_NETWORK_PROPERTIES, "Network Map folder", L"CabinetWClass",
         L"ネットワーク マップ", true},
        {RA_CONTROL_SYSTEM_PROPERTIES | RA_CONTROL_NETWORK_PROPERTIES, "Network Map in ExploreWClass",
         L"ExploreWClass", L"ネットワーク マップ", false},

        {0x40, "Run dialog under an unknown bit", L"#32770", L"Run", false},
        {0x40, "folder under an unknown bit", L"CabinetWClass", L"Documents", false},
    };
    TestHost host;
    ASSERT_TRUE(host.Loaded());
    host.Initial(0, 100);
    ExpectDecisions(host, rows);
}

TEST(ControlWatch, ExplorerClosesEveryFolderButKnownSystemTitles) {
    const std::vector<Row> rows = {
        {RA_CONTROL_EXPLORER, "ordinary folder", L"CabinetWClass", L"Documents", true},
        {RA_CONTROL_EXPLORER, "known English title", L"CabinetWClass", L"Printers", false},
        {RA_CONTROL_EXPLORER, "known Japanese title", L"ExploreWClass", L"ネットワーク", false},
        {RA_CONTROL_EXPLORER, "Chinese titles are not known", L"CabinetWClass", L"控制面板", true},
        {RA_CONTROL_EXPLORER, "Devices and Printers is not known", L"CabinetWClass", L"Devices and Printers", true},
        {RA_CONTROL_EXPLORER, "class not watched", L"WorkerW", L"Documents", false},

        {RA_CONTROL_EXPLORER | RA_CONTROL_PRINTER, "Printers closed by PRINTER", L"CabinetWClass", L"Printers", true},
        {RA_CONTROL_EXPLORER | RA_CONTROL_PRINTER, "ordinary folder still closed", L"CabinetWClass", L"Documents",
         true},
    };
    TestHost host;
    ASSERT_TRUE(host.Loaded());
    host.Initial(0, 100);
    ExpectDecisions(host, rows);
}

// Another process's folder window: its class is read across processes and
// the posted WM_CLOSE ends the stand-in.
TEST(ControlWatch, ClosesFolderWindowOfAnotherProcess) {
    TestHost host;
    ASSERT_TRUE(host.Loaded());
    host.Initial(0, 100);
    host.StartRestrict(MODE_CONTROLWATCH, RA_CONTROL_EXPLORER);
    TestApp folder(L"folder.exe", L"CabinetWClass", {L"Documents"});
    ASSERT_TRUE(folder.Started());
    EXPECT_TRUE(host.WaitFor([&] { return folder.Ended(0); }, kSweepWaitMs));
}
