// Wine's own programs through the host's path, each started before the mode that acts on it.
#include "support/TestHost.h"

#include <gtest/gtest.h>

namespace {

ChildProcess WineProgram(const std::wstring& exe, const wchar_t* windowClass, const std::wstring& title,
                         const std::wstring& arguments = L"") {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring path = std::wstring(system) + L"\\" + exe;
    return ChildProcess(path, L"\"" + path + L"\" " + arguments, windowClass, title);
}

}  // namespace

// Only the foreground pass sees the Run dialog (a hidden window owns it).
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

TEST(MinimalHost, PrintsReportsAndTheDeniedGameItEnds) {
    const ChildProcess game = WineProgram(L"winemine.exe", L"WineMine", L"WineMine");
    const ChildProcess notepad = WineProgram(L"notepad.exe", L"Notepad", L"Untitled - Notepad");
    ASSERT_TRUE(game.Window() && notepad.Window());
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
    for (const std::string& line :
         {"0x591 application restricted, ended: winemine.exe  pid " + std::to_string(game.Pid()) + "  \"WineMine\"",
          "    notepad.exe  pid " + std::to_string(notepad.Pid()) + "  \"Untitled - Notepad\"  ",
          std::string("minimal_host: done")})
        EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
    EXPECT_TRUE(game.Ended(0));
    EXPECT_FALSE(notepad.Ended(0));
    EXPECT_NE(ReadBytes(folder + L"minimal_host.log").find("StartRestrictAction [MODE_APPRESTRICT]."), std::string::npos);
}
