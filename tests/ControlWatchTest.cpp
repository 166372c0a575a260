// MODE_CONTROLWATCH through the host's path: windows judged by class and exact title, sent WM_CLOSE.
#include "support/TestHost.h"

#include <gtest/gtest.h>

// The Explorer category closes every folder but known system titles; an unknown bit nothing.
TEST(ControlWatch, ClosesSystemWindowsByCategoryClassAndExactTitle) {
    TestHost host;
    host.Initial(0, 100);
    host.StartRestrict(MODE_CONTROLWATCH, RA_CONTROL_APP_RUN | RA_CONTROL_CONTROL_PANEL | RA_CONTROL_SYSTEM_PROPERTIES |
                                              RA_CONTROL_NETWORK_PROPERTIES | RA_CONTROL_PRINTER | 0x40);
    ExpectFates(host, {
        {"Run dialog", nullptr, L"#32770", L"", Fate::kActed, {}, L"Run"},
        {"Run in lower case: titles keep case", nullptr, L"#32770", L"", Fate::kLeft, {}, L"run"},
        {"folder titled Run: dialogs only", nullptr, L"CabinetWClass", L"", Fate::kLeft, {}, L"Run"},
        {"Control Panel folder", nullptr, L"CabinetWClass", L"", Fate::kActed, {}, L"Control Panel"},
        {"System on WorkerW", nullptr, L"WorkerW", L"", Fate::kActed, {}, L"System"},
        {"System in ExploreWClass", nullptr, L"ExploreWClass", L"", Fate::kLeft, {}, L"System"},
        {"Connect to a network", nullptr, L"NativeHWNDHost", L"", Fate::kActed, {}, L"ネットワークに接続"},
        {"Printers folder", nullptr, L"CabinetWClass", L"", Fate::kActed, {}, L"Printers"},
        {"an ordinary folder: no Explorer bit", nullptr, L"CabinetWClass", L"", Fate::kLeft, {}, L"Documents"},
    });
    host.StartRestrict(MODE_CONTROLWATCH, RA_CONTROL_EXPLORER);
    ExpectFates(host, {
        {"ordinary folder", nullptr, L"CabinetWClass", L"", Fate::kActed, {}, L"Documents"},
        {"another process's folder", L"folder.exe", L"CabinetWClass", L"", Fate::kActed, {}, L"Documents"},
        {"known system title", nullptr, L"CabinetWClass", L"", Fate::kLeft, {}, L"Printers"},
        {"class not watched", nullptr, L"WorkerW", L"", Fate::kLeft, {}, L"Documents"},
    });
}

// Configured titles replace the built-in ones of every category.
TEST(ControlWatch, ClosesConfiguredTitlesInsteadOfBuiltInOnes) {
    TestHost host;
    WriteRestrictIni(host.baseFolder,
                     "[SYSTEM]\r\nCONTROL_PANEL_NUM=1\r\n[CONTROL_PANEL]\r\nWINDOW_TITLE1=Class Settings\r\n");
    host.Initial(0, 100);
    host.StartRestrict(MODE_CONTROLWATCH, RA_CONTROL_CONTROL_PANEL | RA_CONTROL_APP_RUN);
    ExpectFates(host, {
        {"configured title", nullptr, L"CabinetWClass", L"", Fate::kActed, {}, L"Class Settings"},
        {"built-in Control Panel title", nullptr, L"CabinetWClass", L"", Fate::kLeft, {}, L"Control Panel"},
        {"built-in Run title: its list is empty now", nullptr, L"#32770", L"", Fate::kLeft, {}, L"Run"},
    });
}
