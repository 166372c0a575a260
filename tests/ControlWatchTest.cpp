// MODE_CONTROLWATCH through the host's path: the DLL's sweeps judge real
// top-level windows by class and exact title and post WM_CLOSE.
#include "fw/UniqueHandle.h"
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

constexpr DWORD kSweepWaitMs = 30000;
// More than two full walks (every eleventh 100 ms tick).
constexpr DWORD kTwoWalksMs = 2500;

// Windows sent WM_CLOSE. Their procedure only records it and keeps the
// window, so that every sweep may post it again.
std::set<HWND> closedWindows;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        closedWindows.insert(hwnd);
        return 0;
    }
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

// A visible top-level window of this process. "#32770" is the system's
// dialog class; the others are registered here.
UniqueWindow OpenWindow(const wchar_t* windowClass, const wchar_t* title) {
    for (const wchar_t* name : {L"CabinetWClass", L"ExploreWClass", L"WorkerW", L"NativeHWNDHost"}) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = name;
        RegisterClassW(&wc);  // fails harmlessly once registered
    }
    UniqueWindow window(CreateWindowExW(0, windowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 150,
                                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    SetWindowLongPtrW(window.get(), GWLP_USERDATA, GetWindowLongPtrW(window.get(), GWLP_WNDPROC));
    SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc));
    return window;
}

struct Row {
    const char* label;
    const wchar_t* windowClass;
    const wchar_t* title;
    bool closed;
};

class ControlWatch : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host_.Loaded());
        host_.Initial(0, 100);
    }

    // All the rows' windows open at once under `mask`; as many closes as
    // expected arrive, then two more walks pass.
    void ExpectCloses(DWORD mask, const std::vector<Row>& rows) {
        SCOPED_TRACE(testing::Message() << "mask 0x" << std::hex << mask);
        host_.StartRestrict(MODE_CONTROLWATCH, mask);
        closedWindows.clear();
        std::vector<UniqueWindow> windows;
        for (const Row& row : rows) windows.push_back(OpenWindow(row.windowClass, row.title));
        const auto expected = std::count_if(rows.begin(), rows.end(), [](const Row& row) { return row.closed; });
        EXPECT_TRUE(host_.WaitFor([&] { return closedWindows.size() >= static_cast<size_t>(expected); }, kSweepWaitMs));
        host_.Pump(kTwoWalksMs);
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(closedWindows.count(windows[i].get()), rows[i].closed ? 1u : 0u) << rows[i].label;
    }

    TestHost host_;
};

}  // namespace

TEST_F(ControlWatch, ClosesSystemWindowsByCategoryClassAndExactTitle) {
    ExpectCloses(RA_CONTROL_APP_RUN, {
        {"Run dialog", L"#32770", L"Run", true},
        {"Run in lower case: titles keep case", L"#32770", L"run", false},
        {"folder titled Run: dialogs only", L"CabinetWClass", L"Run", false},
    });
    ExpectCloses(RA_CONTROL_CONTROL_PANEL, {
        {"folder, class in other case", L"CabinetWClass", L"Control Panel", true},
        {"two spaces before the hyphen", L"ExploreWClass", L"エクスプローラ  - ｺﾝﾄﾛｰﾙ ﾊﾟﾈﾙ", true},
        {"one space before the hyphen", L"ExploreWClass", L"エクスプローラ - ｺﾝﾄﾛｰﾙ ﾊﾟﾈﾙ", false},
        {"Explorer title in a cabinet", L"CabinetWClass", L"Explorer - Control Panel", false},
    });
    ExpectCloses(RA_CONTROL_SYSTEM_PROPERTIES | RA_CONTROL_NETWORK_PROPERTIES, {
        {"System in ExploreWClass", L"ExploreWClass", L"System", false},
        {"System on WorkerW", L"WorkerW", L"System", true},
        {"Connect to a network", L"NativeHWNDHost", L"ネットワークに接続", true},
        {"Network on NativeHWNDHost", L"NativeHWNDHost", L"Network", false},
    });
    ExpectCloses(0x40, {
        {"Run dialog under an unknown bit", L"#32770", L"Run", false},
        {"folder under an unknown bit", L"CabinetWClass", L"Documents", false},
    });
}

TEST_F(ControlWatch, ExplorerClosesEveryFolderButKnownSystemTitles) {
    ExpectCloses(RA_CONTROL_EXPLORER, {
        {"ordinary folder", L"CabinetWClass", L"Documents", true},
        {"known English title", L"CabinetWClass", L"Printers", false},
        {"Devices and Printers is not known", L"CabinetWClass", L"Devices and Printers", true},
        {"class not watched", L"WorkerW", L"Documents", false},
    });
    ExpectCloses(RA_CONTROL_EXPLORER | RA_CONTROL_PRINTER, {
        {"Printers closed by PRINTER", L"CabinetWClass", L"Printers", true},
        {"ordinary folder still closed", L"CabinetWClass", L"Documents", true},
    });
}

// Another process's folder window: its class is read across processes and
// the posted WM_CLOSE ends the stand-in.
TEST_F(ControlWatch, ClosesFolderWindowOfAnotherProcess) {
    host_.StartRestrict(MODE_CONTROLWATCH, RA_CONTROL_EXPLORER);
    TestApp folder(L"folder.exe", L"CabinetWClass", {L"Documents"});
    ASSERT_TRUE(folder.Started());
    EXPECT_TRUE(host_.WaitFor([&] { return folder.Ended(0); }, kSweepWaitMs));
}
