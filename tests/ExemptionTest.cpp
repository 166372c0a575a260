// Which applications are never restricted, judged on records as the sweep
// builds them.
#include "apprestrict/Exemption.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

namespace {

CLIENT_APP_INFO Record(const std::wstring& name, const std::wstring& path) {
    CLIENT_APP_INFO r{};
    lstrcpynW(r.szAppExeName, name.c_str(), RA_TEXT_LEN);
    lstrcpynW(r.szAppExePath, path.c_str(), RA_TEXT_LEN);
    return r;
}

}  // namespace

TEST(Exemption, SystemProgramsHostFoldersAndConfiguredLists) {
    const std::wstring tools = ScratchFolder(L"exempt-tools");  // exists
    const std::wstring folder = tools.substr(0, tools.size() - 1);
    const std::wstring later = ScratchFolder(L"exempt-later");
    const std::wstring missing = later.substr(0, later.size() - 1);
    RemoveDirectoryW(missing.c_str());
    const CLIENT_APP_INFO inFolder = Record(L"a.exe", folder + L"\\a.exe");
    const CLIENT_APP_INFO inMissing = Record(L"a.exe", missing + L"\\a.exe");
    wchar_t hostFolder[] = L"C:\\Host\\Bin\\", empty[] = L"";
    void* context[RA_HOST_CONTEXT_SLOTS] = {};
    for (int slot : kHostFolderSlots) context[slot] = empty;  // empty texts name no folder
    context[RA_SLOT_FOLDER_7] = hostFolder;

    // An empty folder (a gap in the numbering) is contained in every path.
    const Exemptions exemptions{HostContext(context), {L"allowed.exe"},
                                {ToLower(folder), ToLower(missing), std::wstring()}};

    // Task manager's exemption: AppRestrictTest, SweepTest.
    const struct {
        const char* label;
        CLIENT_APP_INFO record;
        BOOL explorerExempt, exempt;
    } cases[] = {
        {"plain", Record(L"game.exe", L"C:\\Games\\game.exe"), TRUE, FALSE},
        {"host folder, any case", Record(L"agent.exe", L"c:\\HOST\\bin\\agent.exe"), FALSE, TRUE},
        {"explorer when asked", Record(L"explorer.exe", L"C:\\Windows\\explorer.exe"), TRUE, TRUE},
        {"explorer otherwise", Record(L"explorer.exe", L"C:\\Windows\\explorer.exe"), FALSE, FALSE},
        {"configured name", Record(L"Allowed.EXE", L"C:\\X\\Allowed.EXE"), FALSE, TRUE},
        {"configured folder", inFolder, FALSE, TRUE},
        {"configured folder as prefix", Record(L"a.exe", folder + L"x\\a.exe"), FALSE, TRUE},
        {"configured folder missing", inMissing, FALSE, FALSE},
        {"empty configured folder", Record(L"a.exe", L"C:\\Games\\a.exe"), FALSE, FALSE},
    };
    for (const auto& row : cases)
        EXPECT_EQ(IsExemptApplication(row.record, row.explorerExempt, exemptions), row.exempt) << row.label;

    // Each folder is looked at once: what it was then holds for the session.
    RemoveDirectoryW(folder.c_str());
    CreateDirectoryW(missing.c_str(), nullptr);
    EXPECT_TRUE(IsExemptApplication(inFolder, FALSE, exemptions)) << "removed after it was looked at";
    EXPECT_FALSE(IsExemptApplication(inMissing, FALSE, exemptions)) << "made after it was looked at";
}
