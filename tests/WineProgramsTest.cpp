// Wine's own programs, which nobody here wrote, through the host's path:
// the cases a host author tries first. Each program is started before the
// mode that acts on it, so that its window is seen before it can be ended.
#include "support/TestHost.h"

#include <gtest/gtest.h>


namespace {

// A program of the system folder (for this 32-bit test, the 32-bit one), up
// to its first visible window of this class and title.
ChildProcess WineProgram(const std::wstring& exe, const wchar_t* windowClass, const std::wstring& title,
                         const std::wstring& arguments = L"") {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring path = std::wstring(system) + L"\\" + exe;
    return ChildProcess(path, L"\"" + path + L"\" " + arguments, windowClass, title);
}

// The record of process `pid`: its name, and the image path's end (WoW64
// redirects the system folder).
void ExpectRecordOf(const std::optional<CLIENT_APP_INFO>& record, const std::wstring& exe) {
    ASSERT_TRUE(record);
    EXPECT_EQ(record->szAppExeName, exe);
    const std::wstring path = record->szAppExePath;
    EXPECT_EQ(_wcsicmp(path.substr(path.size() - exe.size() - 1).c_str(), (L"\\" + exe).c_str()), 0) << Narrow(path);
}

}  // namespace

TEST(WinePrograms, DeniedGameIsEndedAndTheHostGetsItsRecord) {
    const ChildProcess game = WineProgram(L"winemine.exe", L"WineMine", L"WineMine");
    ASSERT_TRUE(game.Window());
    TestHost host;
    host.Initial(0, 100);
    host.StartRestrict(MODE_APPRESTRICT, 1, host.List({L"winemine.exe"}));
    ASSERT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APP_RESTRICTED).empty(); }));
    EXPECT_EQ(host.Received(WM_RA_APP_RESTRICTED).front().lParam, 1);
    ExpectRecordOf(host.RecordOf(WM_RA_APP_RESTRICTED, game.Pid()), L"winemine.exe");
    EXPECT_TRUE(game.Ended(5000));
}

TEST(WinePrograms, AppWatchReportsNotepadWithItsCaption) {
    const ChildProcess notepad = WineProgram(L"notepad.exe", L"Notepad", L"Untitled - Notepad");
    ASSERT_TRUE(notepad.Window());
    TestHost host;
    host.Initial(500, 100);
    host.StartRestrict(MODE_APPWATCH);
    ASSERT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }));
    const auto record = host.RecordOf(WM_RA_APPWATCH_REPORT, notepad.Pid());
    ExpectRecordOf(record, L"notepad.exe");
    EXPECT_STREQ(record->szWindowTitle, L"Untitled - Notepad");
    EXPECT_FALSE(notepad.Ended(0));
}

// The Run dialog is owned by a hidden window: only the foreground pass sees
// it, while it stays in front. Recognised by the address its address bar
// shows (its start page), Internet Explorer falls under the IE lock with an
// empty list of browser names.
TEST(WinePrograms, RunDialogIsClosedByTheRunCategoryAloneAndInternetExplorerByTheIeLock) {
    const ChildProcess run = WineProgram(L"rundll32.exe", L"#32770", L"Run", L"shell32.dll,#61");
    ASSERT_TRUE(run.Window());
    TestHost host;
    host.Initial(0, 100);
    for (const auto& [mask, closed] : {std::pair{0x3F & ~RA_CONTROL_APP_RUN, false}, {RA_CONTROL_APP_RUN, true}}) {
        host.StartRestrict(MODE_CONTROLWATCH, mask);
        ASSERT_TRUE(MadeForeground(run.Window()));
        host.WaitFor([&] { return run.Ended(0); }, closed ? kSweepWaitMs : kTwoWalksMs);
        EXPECT_EQ(run.Ended(0), closed) << "mask " << mask;
    }
    host.StopRestrict(MODE_CONTROLWATCH);
    const ChildProcess ie = WineProgram(L"iexplore.exe", L"IEFrame", L"Wine Internet Explorer");
    ASSERT_TRUE(ie.Window());
    host.StartRestrict(MODE_IELOCK, 0, host.List({}));
    EXPECT_TRUE(host.WaitFor([&] { return ie.Ended(0); }));
}

// The C example host, as its reader would run it.
TEST(MinimalHost, PrintsTheDeniedGameAndEndsIt) {
    const ChildProcess game = WineProgram(L"winemine.exe", L"WineMine", L"WineMine");
    ASSERT_TRUE(game.Window());
    const std::wstring folder = ScratchFolder(L"minimalhost");
    DeleteFileW((folder + L"minimal_host.log").c_str());
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    const UniqueFile out(CreateFileW((folder + L"output.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::wstring exe = ProgramFolder() + L"minimal_host.exe";
    const ChildProcess host(exe, L"\"" + exe + L"\" winemine.exe 8", nullptr, L"", {0, folder.c_str(), out.get()});
    EXPECT_TRUE(host.Ended(60000));
    const std::string output = ReadBytes(folder + L"output.txt");
    EXPECT_EQ(host.ExitCode(), 0u) << output;
    EXPECT_NE(output.find("0x591 application restricted, ended: winemine.exe  pid " + std::to_string(game.Pid()) +
                          "  \"WineMine\""),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("minimal_host: done"), std::string::npos) << output;
    EXPECT_TRUE(game.Ended(0));
    EXPECT_NE(ReadBytes(folder + L"minimal_host.log").find("StartRestrictAction [MODE_APPRESTRICT]."), std::string::npos);
}
