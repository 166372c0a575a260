// The path is resolved once and that one file is checked and read.
#include "config/RestrictConfig.h"

#include "config/IniFile.h"
#include "config/PathVariables.h"
#include "fw/UniqueHandle.h"

#include <algorithm>
#include <string>

namespace {

// Entries read per list at most, whatever count the file gives: a hostile
// count (2147483647, 0xFFFFFFF0) must not keep Initial busy for hours.
constexpr int kMaxEntriesPerList = 1000;

constexpr wchar_t kSystem[] = L"SYSTEM";
constexpr wchar_t kExeSection[] = L"THROW_APP_EXE";
constexpr wchar_t kPathSection[] = L"THROW_APP_PATH";
constexpr wchar_t kRegSection[] = L"THROW_APP_REG";
constexpr wchar_t kOptionsSection[] = L"OPTIONS";

struct OptionKey {
    const wchar_t* key;
    bool RestrictOptions::*flag;
};
const OptionKey kOptionKeys[] = {
    {L"CURRENT_BROWSERS", &RestrictOptions::currentBrowsers},
    {L"FOREGROUND_EVENTS", &RestrictOptions::foregroundEvents},
    {L"MATCH_ORIGINAL_NAME", &RestrictOptions::matchOriginalName},
};

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

// The base folder and Config\Restrict.ini joined as they are (no separator
// added), made absolute against the working folder now.
std::wstring ConfigPath(const wchar_t* base) {
    const std::wstring joined = std::wstring(base ? base : L"") + L"Config\\Restrict.ini";
    std::wstring full(GetFullPathNameW(joined.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD length =
        full.empty() ? 0 : GetFullPathNameW(joined.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length == 0 || length >= full.size()) return joined;
    full.resize(length);
    return full;
}

// Entries 1 to count, at most kMaxEntriesPerList; a missing one is read as
// the empty text and kept, so numbering gaps stay visible.
StringList ReadEntries(const CIniFile& ini, const wchar_t* section, const wchar_t* prefix, int count) {
    return ini.ReadNumbered(section, prefix, std::min(count, kMaxEntriesPerList));
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

// Only "1" and "0" count: a switch that turns a protection off must not
// be flipped by a word such as "yes", which reads as the number 0.
RestrictOptions ReadOptions(const CIniFile& ini) {
    RestrictOptions options;
    for (const OptionKey& option : kOptionKeys) {
        const std::wstring value = ini.ReadString(kOptionsSection, option.key);
        if (value == L"0" || value == L"1") options.*option.flag = value == L"1";
    }
    return options;
}

}  // namespace

std::optional<RestrictConfig> LoadRestrictConfig(const wchar_t* baseFolder) {
    const std::wstring path = ConfigPath(baseFolder);
    // A folder at the path counts as found, and reads as an empty file.
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    std::vector<std::wstring> sections = {kSystem, kExeSection, kPathSection, kRegSection, kOptionsSection};
    for (const auto& category : kCategories) sections.push_back(category.section);
    const CIniFile ini(path.c_str(), sections);
    RestrictConfig config;

    const int exeCount = ini.ReadInt(kSystem, L"THROW_APP_EXE_NUM");
    const int pathCount = ini.ReadInt(kSystem, L"THROW_APP_PATH_NUM");
    const int regCount = ini.ReadInt(kSystem, L"THROW_APP_REG_NUM");
    for (auto& exe : ReadEntries(ini, kExeSection, L"APP_EXE", exeCount))
        config.exemptExes.push_back(ToLower(std::move(exe)));
    for (auto& folder : ReadEntries(ini, kPathSection, L"APP_PATH", pathCount))
        config.exemptFolders.push_back(ExpandPathVariables(std::move(folder)));
    const StringList regKeys = ReadEntries(ini, kRegSection, L"APP_REG_KEY", regCount);
    const StringList regNames = ReadEntries(ini, kRegSection, L"APP_REG_NAME", regCount);
    for (size_t i = 0; i < regKeys.size(); ++i) {
        std::wstring folder;
        if (ReadRegistryFolder(regKeys[i], regNames[i], folder))
            config.exemptFolders.push_back(ExpandPathVariables(folder));
    }

    for (int k = 0; k < CATEGORY_COUNT; ++k) {
        const int count = ini.ReadInt(kSystem, kCategories[k].countKey);
        if (count < 0) continue;
        config.titleLists[k] = ReadEntries(ini, kCategories[k].section, L"WINDOW_TITLE", count);
        config.useTitleLists = true;
    }
    config.options = ReadOptions(ini);
    return config;
}
