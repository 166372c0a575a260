// The configuration step of Initial: Config\Restrict.ini below the host's
// base folder, read once, fills the exempt applications and folders and the
// control watch's title lists.
#include "config/IniFile.h"
#include "config/PathVariables.h"
#include "control/CRestrictAction.h"
#include "fw/Text.h"
#include "fw/UniqueHandle.h"

#include <cwchar>
#include <string>

namespace {

// Entries read per list at most, whatever count the file gives: a hostile
// count (2147483647, 0xFFFFFFF0) must not keep Initial busy for hours.
constexpr int kMaxEntriesPerList = 1000;

constexpr wchar_t kSystem[] = L"SYSTEM";

// Indexed by ControlCategory.
struct CategoryNames {
    const wchar_t* section;
    const wchar_t* countKey;
};
constexpr CategoryNames kCategories[CATEGORY_COUNT] = {
    {L"SYSTEM_PROPERTIES", L"SYSTEM_PROPERTIES_NUM"},
    {L"NETWORK_PROPERTIES", L"NETWORK_PROPERTIES_NUM"},
    {L"EXPLORER", L"EXPLORER_NUM"},
    {L"PRINTER", L"PRINTER_NUM"},
    {L"APP_RUN", L"APP_RUN_NUM"},
    {L"CONTROL_PANEL", L"CONTROL_PANEL_NUM"},
};

// Compared exactly: a lower-case root name is not recognised.
struct RootName {
    const wchar_t* name;
    HKEY key;
};
const RootName kRoots[] = {
    {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},   {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {L"HKEY_USERS", HKEY_USERS},
    {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

std::wstring NumberedKey(const wchar_t* prefix, int number) {
    return prefix + std::to_wstring(number);
}

int BoundedCount(int count) {
    return count < kMaxEntriesPerList ? count : kMaxEntriesPerList;
}

// Entries 1 to count, each passed through `convert`; a missing one is read
// as the empty text and kept, so numbering gaps stay visible.
template <typename Convert>
void ReadList(const CIniFile& ini, int count, const wchar_t* section, const wchar_t* prefix, StringList& list,
              Convert convert) {
    for (int i = 1; i <= BoundedCount(count); ++i)
        list.push_back(convert(ini.ReadString(section, NumberedKey(prefix, i).c_str())));
}

// The folder a registry value names, as "ROOT\subkey" and value name; false
// when the root is unknown or the key or value cannot be read.
bool ReadRegistryFolder(const std::wstring& keyPath, const std::wstring& valueName, std::wstring& folder) {
    const size_t slash = keyPath.find(L'\\');
    if (slash == std::wstring::npos) return false;
    const std::wstring rootName = keyPath.substr(0, slash);
    for (const auto& root : kRoots) {
        if (rootName != root.name) continue;
        UniqueRegKey key;
        if (RegOpenKeyExW(root.key, keyPath.c_str() + slash + 1, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
            return false;
        // 260 bytes offered; longer values fail. Any type is read as text.
        wchar_t value[131] = {};
        DWORD size = 260;
        if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS)
            return false;
        folder = value;
        return true;
    }
    return false;
}

}  // namespace

BOOL CRestrictAction::LoadRestrictConfig() {
    const wchar_t* base = Host().Text(RA_SLOT_BASE_FOLDER);
    const std::wstring path = std::wstring(base ? base : L"") + L"Config\\Restrict.ini";
    // Checked first: CIniFile would create a missing file.
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return FALSE;
    const CIniFile ini(path.c_str());
    if (!ini.FileExists()) return FALSE;

    const int exeCount = ini.ReadInt(kSystem, L"THROW_APP_EXE_NUM");
    const int pathCount = ini.ReadInt(kSystem, L"THROW_APP_PATH_NUM");
    const int regCount = ini.ReadInt(kSystem, L"THROW_APP_REG_NUM");
    ReadList(ini, exeCount, L"THROW_APP_EXE", L"APP_EXE", m_ThrowAppExeList, ToLower);
    ReadList(ini, pathCount, L"THROW_APP_PATH", L"APP_PATH", m_ThrowAppPathList, ExpandPathVariables);
    for (int i = 1; i <= BoundedCount(regCount); ++i) {
        const std::wstring key = ini.ReadString(L"THROW_APP_REG", NumberedKey(L"APP_REG_KEY", i).c_str());
        const std::wstring name = ini.ReadString(L"THROW_APP_REG", NumberedKey(L"APP_REG_NAME", i).c_str());
        std::wstring folder;
        if (ReadRegistryFolder(key, name, folder)) m_ThrowAppPathList.push_back(ExpandPathVariables(folder));
    }

    for (int k = 0; k < CATEGORY_COUNT; ++k) {
        const int count = ini.ReadInt(kSystem, kCategories[k].countKey);
        if (count < 0) continue;
        ReadList(ini, count, kCategories[k].section, L"WINDOW_TITLE", m_TitleLists[k],
                 [](std::wstring title) { return title; });
        m_bUseTitleLists = TRUE;
    }
    return TRUE;
}
