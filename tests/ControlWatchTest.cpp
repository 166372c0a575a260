// MODE_CONTROLWATCH through the host's path: the DLL's sweeps judge real
// top-level windows by class and exact title and post WM_CLOSE.
#include "support/FakeBrowser.h"
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace {

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

    // All the rows' windows, of this process, open at once under `mask`;
    // the expected closes arrive, then two more walks pass.
    void ExpectCloses(DWORD mask, const std::vector<Row>& rows) {
        SCOPED_TRACE(testing::Message() << "mask 0x" << std::hex << mask);
        host_.StartRestrict(MODE_CONTROLWATCH, mask);
        std::vector<std::unique_ptr<FakeBrowser>> windows;
        for (const Row& row : rows) windows.push_back(std::make_unique<FakeBrowser>(row.windowClass, row.title));
        const auto expectedClosed = [&] {
            for (size_t i = 0; i < rows.size(); ++i)
                if (rows[i].closed && !windows[i]->Closed()) return false;
            return true;
        };
        EXPECT_TRUE(host_.WaitFor(expectedClosed, kSweepWaitMs));
        host_.Pump(kTwoWalksMs);
        for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(windows[i]->Closed(), rows[i].closed) << rows[i].label;
    }

    TestHost host_;
};

// A host whose base folder holds Config\Restrict.ini with a title list for
// the Control Panel, read by the first Initial of the loaded module.
class ControlWatchConfigured : public ControlWatch {
protected:
    void SetUp() override {
        host_.baseFolder = ScratchFolder(L"cwconfig");
        CreateDirectoryW((host_.baseFolder + L"Config").c_str(), nullptr);
        std::ofstream(Narrow(host_.baseFolder + L"Config\\Restrict.ini"), std::ios::binary)
            << "[SYSTEM]\r\nCONTROL_PANEL_NUM=1\r\n[CONTROL_PANEL]\r\nWINDOW_TITLE1=Class Settings\r\n";
        ControlWatch::SetUp();
    }
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

// Configured titles replace the built-in ones of every category.
TEST_F(ControlWatchConfigured, ClosesConfiguredTitlesInsteadOfBuiltInOnes) {
    ExpectCloses(RA_CONTROL_CONTROL_PANEL | RA_CONTROL_APP_RUN, {
        {"configured title", L"CabinetWClass", L"Class Settings", true},
        {"built-in Control Panel title", L"CabinetWClass", L"Control Panel", false},
        {"built-in Run title: its list is empty now", L"#32770", L"Run", false},
    });
}
