// Which applications are never restricted, on records as the sweep builds them.
#include "apprestrict/Exemption.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

TEST(Exemption, SystemProgramsHostFoldersAndConfiguredLists) {
    const std::wstring tools = ScratchFolder(L"exempt-tools"), later = ScratchFolder(L"exempt-later");
    const std::wstring folder = tools.substr(0, tools.size() - 1), missing = later.substr(0, later.size() - 1);
    RemoveDirectoryW(missing.c_str());
    wchar_t hostFolder[] = L"C:\\Host\\Bin\\", empty[] = L"";
    void* context[RA_HOST_CONTEXT_SLOTS] = {};
    for (int slot : kHostFolderSlots) context[slot] = empty;
    context[RA_SLOT_FOLDER_7] = hostFolder;
    // An empty folder (a gap in the numbering) is contained in every path.
    const Exemptions exemptions{HostContext(context), {}, {ToLower(folder), ToLower(missing), std::wstring()}};
    const auto exempt = [&](const wchar_t* name, const std::wstring& path, BOOL explorerExempt) {
        CLIENT_APP_INFO record{};
        lstrcpynW(record.szAppExeName, name, RA_TEXT_LEN);
        lstrcpynW(record.szAppExePath, path.c_str(), RA_TEXT_LEN);
        return IsExemptApplication(record, explorerExempt, exemptions);
    };
    const struct {
        const char* label;
        const wchar_t* name;
        std::wstring path;
        BOOL explorerExempt, exempt;
    } cases[] = {
        {"host folder, any case", L"agent.exe", L"c:\\HOST\\bin\\agent.exe", FALSE, TRUE},
        {"explorer when asked", L"explorer.exe", L"C:\\Windows\\explorer.exe", TRUE, TRUE},
        {"explorer otherwise", L"explorer.exe", L"C:\\Windows\\explorer.exe", FALSE, FALSE},
        {"configured folder", L"a.exe", folder + L"\\a.exe", FALSE, TRUE},
        {"configured folder as prefix", L"a.exe", folder + L"x\\a.exe", FALSE, TRUE},
        {"configured folder missing; empty one", L"a.exe", missing + L"\\a.exe", TRUE, FALSE},
    };
    for (const auto& row : cases) EXPECT_EQ(exempt(row.name, row.path, row.explorerExempt), row.exempt) << row.label;

    // Each folder is looked at once: what it was then holds for the session.
    RemoveDirectoryW(folder.c_str());
    CreateDirectoryW(missing.c_str(), nullptr);
    EXPECT_TRUE(exempt(L"a.exe", folder + L"\\a.exe", FALSE)) << "removed after it was looked at";
    EXPECT_FALSE(exempt(L"a.exe", missing + L"\\a.exe", FALSE)) << "made after it was looked at";
}
