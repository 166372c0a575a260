#include "apprestrict/Exemption.h"

#include <cwchar>

bool ExemptFolder::Exists() const {
    if (!exists) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    return *exists;
}

BOOL IsExemptApplication(const CLIENT_APP_INFO& info, BOOL bExplorerExempt, const Exemptions& exemptions) {
    const std::wstring path = ToLower(info.szAppExePath);
    for (int slot : kHostFolderSlots) {
        const wchar_t* folder = exemptions.host.Text(slot);
        if (folder && *folder && Contains(path, ToLower(folder))) return TRUE;
    }

    const wchar_t* name = info.szAppExeName;
    if (wcscmp(name, L"taskmgr.exe") == 0 || wcscmp(name, L"winlogon.exe") == 0) return TRUE;
    if (wcscmp(name, L"explorer.exe") == 0 && bExplorerExempt) return TRUE;

    const std::wstring lowerName = ToLower(name);
    // The configured lists are lower case already.
    for (const auto& exe : exemptions.exes)
        if (exe == lowerName) return TRUE;
    for (const auto& folder : exemptions.folders)
        if (Contains(path, folder.path) && folder.Exists()) return TRUE;
    return FALSE;
}
