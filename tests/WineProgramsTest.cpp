// Wine's own programs, which nobody here wrote, through the host's path:
// the cases a host author tries first. Each program is started before the
// mode that acts on it, so that its window is seen before it can be ended.
#include "support/ChildProcess.h"
#include "support/TestApp.h"
#include "support/TestFolders.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

// A program of the system folder (for this 32-bit test, the 32-bit one),
// up to the first visible window of this class and title.
class WineProgram {
public:
    WineProgram(const std::wstring& exe, const std::wstring& windowClass, const std::wstring& title,
                const std::wstring& arguments = L"") {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        const std::wstring path = std::wstring(system) + L"\\" + exe;
        process_ = ChildProcess(path, L"\"" + path + L"\" " + arguments);
        if (!process_) return;
        window_ = WaitForProcessWindow(process_.Pid(), windowClass, title);
        // As the system names the image (WoW64 redirects the system folder).
        const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_.Pid()));
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (process && QueryFullProcessImageNameW(process.get(), 0, image, &size)) imagePath_ = image;
    }

    HWND Window() const { return window_; }
    DWORD Pid() const { return process_.Pid(); }
    const std::wstring& ImagePath() const { return imagePath_; }
    bool Ended(DWORD ms) const { return process_.Ended(ms); }

private:
    ChildProcess process_;
    HWND window_ = nullptr;
    std::wstring imagePath_;
};

// Owned windows are examined only while in front: put it there, and wait
// until the system agrees.
bool BringToFront(TestHost& host, HWND window) {
    SetForegroundWindow(window);
    return host.WaitFor([&] { return GetForegroundWindow() == window; }, 5000);
}

const CLIENT_APP_INFO* FindReported(const std::vector<Notification>& reports, DWORD pid) {
    for (const Notification& n : reports)
        for (const CLIENT_APP_INFO& record : n.report)
            if (record.dwProcessId == pid) return &record;
    return nullptr;
}

// Runs `command` in `folder` with its output into `output`; its exit code,
// or -1 when it is still running after `ms` (it is then ended).
int RunCaptured(std::wstring command, const std::wstring& folder, const std::wstring& output, DWORD ms) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    const UniqueFile out(CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out.get();
    PROCESS_INFORMATION pi{};
    if (!out || !CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &si, &pi))
        return -1;
    const UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.get(), ms) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
    else GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

std::string FileText(const std::wstring& path) {
    std::ostringstream text;
    text << std::ifstream(Narrow(path), std::ios::binary).rdbuf();
    return text.str();
}

}  // namespace

TEST(WinePrograms, DeniedGameIsEndedAndTheHostGetsItsRecord) {
    WineProgram game(L"winemine.exe", L"WineMine", L"WineMine");
    ASSERT_TRUE(game.Window());
    ASSERT_FALSE(game.ImagePath().empty());
    TestHost host;
    ASSERT_TRUE(host.Loaded());
    HostList denied;
    denied.Add(L"winemine.exe");
    host.Initial(0, 100);
    host.StartRestrict(MODE_APPRESTRICT, 1, denied.get());

    ASSERT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APP_RESTRICTED).empty(); }, kSweepWaitMs));
    const Notification n = host.Received(WM_RA_APP_RESTRICTED).front();
    EXPECT_EQ(n.lParam, 1);
    EXPECT_STREQ(n.record.szAppExeName, L"winemine.exe");
    // The foreground record's path is lower-cased, a walked one's is not.
    EXPECT_EQ(_wcsicmp(n.record.szAppExePath, game.ImagePath().c_str()), 0)
        << Narrow(n.record.szAppExePath) << " vs " << Narrow(game.ImagePath());
    EXPECT_EQ(n.record.dwProcessId, game.Pid());
    EXPECT_TRUE(game.Ended(5000));
}

TEST(WinePrograms, AppWatchReportsNotepadWithItsCaption) {
    WineProgram notepad(L"notepad.exe", L"Notepad", L"Untitled - Notepad");
    ASSERT_TRUE(notepad.Window());
    TestHost host;
    ASSERT_TRUE(host.Loaded());
    host.Initial(500, 100);
    host.StartRestrict(MODE_APPWATCH);

    const auto reported = [&] { return FindReported(host.Received(WM_RA_APPWATCH_REPORT), notepad.Pid()); };
    ASSERT_TRUE(host.WaitFor([&] { return reported() != nullptr; }, kSweepWaitMs));
    const CLIENT_APP_INFO record = *reported();
    wchar_t caption[RA_TEXT_LEN] = {};
    GetWindowTextW(notepad.Window(), caption, RA_TEXT_LEN);
    EXPECT_STREQ(record.szWindowTitle, caption);
    EXPECT_STREQ(record.szAppExeName, L"notepad.exe");
    EXPECT_EQ(_wcsicmp(record.szAppExePath, notepad.ImagePath().c_str()), 0) << Narrow(record.szAppExePath);
    EXPECT_FALSE(notepad.Ended(0));
}

// The Run dialog is owned by a hidden window: only the foreground pass sees
// it. Every tick examines it while it stays in front.
TEST(WinePrograms, RunDialogIsClosedByTheRunCategoryAlone) {
    WineProgram run(L"rundll32.exe", L"#32770", L"Run", L"shell32.dll,#61");
    ASSERT_TRUE(run.Window());
    TestHost host;
    ASSERT_TRUE(host.Loaded());
    host.Initial(0, 100);

    struct Row {
        const char* label;
        DWORD mask;
        bool closed;
    };
    const Row rows[] = {
        {"every other category", 0x3F & ~RA_CONTROL_APP_RUN, false},
        {"the Run category alone", RA_CONTROL_APP_RUN, true},
    };
    for (const Row& row : rows) {
        host.StartRestrict(MODE_CONTROLWATCH, row.mask);
        ASSERT_TRUE(BringToFront(host, run.Window())) << row.label;
        host.WaitFor([&] { return run.Ended(0); }, row.closed ? kSweepWaitMs : kTwoWalksMs);
        EXPECT_EQ(run.Ended(0), row.closed) << row.label;
    }
}

// Recognised by the address its address bar shows (its start page), with an
// empty list of browser names.
TEST(WinePrograms, IeLockEndsInternetExplorer) {
    WineProgram ie(L"iexplore.exe", L"IEFrame", L"Wine Internet Explorer");
    ASSERT_TRUE(ie.Window());
    TestHost host;
    ASSERT_TRUE(host.Loaded());
    HostList noNames;
    host.Initial(0, 100);
    host.StartRestrict(MODE_IELOCK, 0, noNames.get());
    EXPECT_TRUE(host.WaitFor([&] { return ie.Ended(0); }, kSweepWaitMs));
}

// The C example host, as its reader would run it.
TEST(MinimalHost, PrintsTheDeniedGameAndEndsIt) {
    WineProgram game(L"winemine.exe", L"WineMine", L"WineMine");
    ASSERT_TRUE(game.Window());
    const std::wstring folder = ScratchFolder(L"minimalhost");
    DeleteFileW((folder + L"minimal_host.log").c_str());
    const int code = RunCaptured(L"\"" + ProgramFolder() + L"minimal_host.exe\" winemine.exe 8", folder,
                                 folder + L"output.txt", 60000);

    const std::string output = FileText(folder + L"output.txt");
    EXPECT_EQ(code, 0) << output;
    const std::string denied = "0x591 application restricted, ended: winemine.exe  pid " +
                               std::to_string(game.Pid()) + "  \"WineMine\"";
    EXPECT_NE(output.find(denied), std::string::npos) << output;
    EXPECT_NE(output.find("minimal_host: done"), std::string::npos) << output;
    EXPECT_TRUE(game.Ended(0));
    EXPECT_NE(FileText(folder + L"minimal_host.log").find("StartRestrictAction [MODE_APPRESTRICT]."),
              std::string::npos);
}
