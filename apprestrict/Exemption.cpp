#include "control/CRestrictAction.h"
#include "fw/Text.h"

#include <cwchar>

bool ExemptFolder::Exists() const {
    if (!exists) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    return *exists;
}

// System programs, the host's own folders and the configured exemptions are
// never restricted. Folders match by substring of the lower-cased path.
BOOL CRestrictAction::IsExemptApplication(const CLIENT_APP_INFO* pInfo, BOOL bExplorerExempt) const {
    const std::wstring path = ToLower(pInfo->szAppExePath);
    const HostContext host = Host();
    for (int slot : kHostFolderSlots) {
        const wchar_t* folder = host.Text(slot);
        if (folder && *folder && Contains(path, ToLower(folder))) return TRUE;
    }

    const wchar_t* name = pInfo->szAppExeName;
    if (wcscmp(name, L"taskmgr.exe") == 0 || wcscmp(name, L"winlogon.exe") == 0) return TRUE;
    if (wcscmp(name, L"explorer.exe") == 0 && bExplorerExempt) return TRUE;

    const std::wstring lowerName = ToLower(name);
    // The configured lists are lower case already.
    for (const auto& exe : m_ThrowAppExeList)
        if (exe == lowerName) return TRUE;
    for (const auto& folder : m_ThrowAppPathList)
        if (Contains(path, folder.path) && folder.Exists()) return TRUE;
    return FALSE;
}
