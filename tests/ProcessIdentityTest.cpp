// Each window's record names the window's own process: its id, its image
// path by the module's naming rule (first module, else the image file name),
// lower case for the foreground window only, and the exe name from it.
#include "apprestrict/ProcessImages.h"
#include "fw/Text.h"
#include "support/TestApp.h"
#include "support/TestHost.h"
#include "tools/refhost/HostList.h"

#include <gtest/gtest.h>

#include <algorithm>

// A desktop of several programs, swept once: one with three windows (in
// front and behind), one that no one may open, the host's own 32-bit one, and
// a denied one that the sweep ends, so that its second window goes mid-walk.
TEST(ProcessIdentity, EachRecordNamesItsWindowsOwnProcess) {
    TestApp ending(L"ending.exe", L"RaEnding", {L"Ending one", L"Ending two"});
    TestApp sealed(L"sealed.exe", L"RaSealed", {L"Sealed"}, L"", {L"--sealed"});
    TestApp several(L"several.exe", L"RaSeveral", {L"Several one", L"Several two", L"Several three"});
    ASSERT_TRUE(ending.Started() && sealed.Started() && several.Started());
    HostList denyList;
    denyList.Add(L"ending.exe");
    TestHost host;
    host.Initial(0, 0x7FFFFFFF);
    host.StartRestrict(MODE_APPRESTRICT, 1, denyList.get());
    host.StartRestrict(MODE_APPWATCH);
    const UniqueWindow own(CreateWindowExW(0, L"STATIC", L"Host window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                           100, nullptr, nullptr, nullptr, nullptr));
    SetForegroundWindow(several.Window());
    ASSERT_TRUE(host.WaitFor([&] { return GetForegroundWindow() == several.Window(); }, 2000));

    // The stand-ins' names taken now, before one of them goes.
    BindProcessEntryPoints();
    const std::wstring severalPath = ProcessImagePath(several.Pid());
    const std::wstring endingPath = ProcessImagePath(ending.Pid());
    FreeProcessLibraries();
    wchar_t ownPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, ownPath, MAX_PATH);  // its first module
    struct Expected {
        const wchar_t* caption;
        DWORD pid;
        std::wstring path;
        const wchar_t* exe;
        BOOL foreground;
        bool mayHaveGone;
    };
    const Expected table[] = {
        {L"Several one", several.Pid(), ToLower(severalPath), L"several.exe", TRUE, false},
        {L"Several two", several.Pid(), severalPath, L"several.exe", FALSE, false},
        {L"Several three", several.Pid(), severalPath, L"several.exe", FALSE, false},
        {L"Sealed", sealed.Pid(), L"", L"", FALSE, false},
        {L"Host window", GetCurrentProcessId(), ownPath, L"host_tests.exe", FALSE, false},
        {L"Ending one", ending.Pid(), endingPath, L"ending.exe", FALSE, true},
        {L"Ending two", ending.Pid(), endingPath, L"ending.exe", FALSE, true},
    };

    SendMessageW(host.ControllerWindow(), WM_TIMER, 100, 0);
    std::vector<CLIENT_APP_INFO> records;
    for (const auto& n : host.Received(WM_RA_APP_RESTRICTED)) records.push_back(n.record);
    for (const auto& n : host.Received(WM_RA_APPWATCH_REPORT))
        records.insert(records.end(), n.report.begin(), n.report.end());
    EXPECT_TRUE(ending.Ended(0));
    int endingRecords = 0;
    for (const Expected& e : table) {
        SCOPED_TRACE(Narrow(e.caption));
        const auto record = std::find_if(records.begin(), records.end(), [&](const CLIENT_APP_INFO& r) {
            return wcscmp(r.szWindowTitle, e.caption) == 0;
        });
        if (record == records.end()) {
            EXPECT_TRUE(e.mayHaveGone);
            continue;
        }
        endingRecords += e.mayHaveGone;
        EXPECT_EQ(record->dwProcessId, e.pid);
        EXPECT_EQ(record->szAppExePath, e.path);
        EXPECT_STREQ(record->szAppExeName, e.exe);
        EXPECT_EQ(record->bForeground, e.foreground);
    }
    EXPECT_GE(endingRecords, 1);
}
