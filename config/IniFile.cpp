#include "config/IniFile.h"

#include "config/StdioFileEx.h"
#include "fw/UniqueHandle.h"

#include <aclapi.h>
#include <shlwapi.h>

#include <cwchar>

namespace {

constexpr DWORD kValueSize = 261;  // 260 characters and the terminator

std::wstring BesideExecutable(const wchar_t* name) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    wchar_t drive[3] = {};
    wchar_t folder[256] = {};
    _wsplitpath_s(exe, drive, 3, folder, 256, nullptr, 0, nullptr, 0);
    return std::wstring(drive) + folder + name;
}

void CreateEmptyUnicodeFile(const wchar_t* path) {
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeNoTruncate | CStdioFileEx::modeWrite))
        return;
    file.WriteBOM();
    file.Close();
    GrantEveryoneAccess(path);
}

DWORD HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return static_cast<DWORD>(c - L'0');
    if (c >= L'a' && c <= L'f') return static_cast<DWORD>(c - L'a' + 10);
    if (c >= L'A' && c <= L'F') return static_cast<DWORD>(c - L'A' + 10);
    return 0;
}

}  // namespace

CIniFile::CIniFile(const wchar_t* path)
    : m_strFilePath(PathIsRelativeW(path) ? BesideExecutable(path) : std::wstring(path)) {
    if (!FileExists()) CreateEmptyUnicodeFile(m_strFilePath.c_str());
}

bool CIniFile::FileExists() const {
    return GetFileAttributesW(m_strFilePath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring CIniFile::ReadString(const wchar_t* section, const wchar_t* key) const {
    wchar_t value[kValueSize] = {};
    if (section && key && !m_strFilePath.empty())
        GetPrivateProfileStringW(section, key, L"", value, kValueSize, m_strFilePath.c_str());
    return value;
}

int CIniFile::ReadInt(const wchar_t* section, const wchar_t* key) const {
    const std::wstring value = ReadString(section, key);
    if (value.empty()) return -1;
    if (value.compare(0, 2, L"0x") == 0) return static_cast<int>(ParseHex(value));
    // wcstol clamps out-of-range values, where the C runtime's _wtoi varies.
    const long number = std::wcstol(value.c_str(), nullptr, 10);
    return static_cast<int>(number);
}

DWORD CIniFile::ParseHex(const std::wstring& text) {
    DWORD result = 0;
    const size_t digits = text.size() < 8 ? text.size() : 8;
    for (size_t i = 0; i < digits; ++i) result |= HexDigit(text[text.size() - 1 - i]) << (4 * i);
    return result;
}

void GrantEveryoneAccess(const wchar_t* path) {
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    EXPLICIT_ACCESSW access{};
    wchar_t everyone[] = L"Everyone";
    BuildExplicitAccessWithNameW(&access, everyone, FILE_ALL_ACCESS, SET_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
    PACL acl = nullptr;
    if (SetEntriesInAclW(1, &access, nullptr, &acl) != ERROR_SUCCESS) return;
    const UniqueLocalMemory owner(acl);
    SetNamedSecurityInfoW(const_cast<wchar_t*>(path), SE_FILE_OBJECT,
                          DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                          nullptr);
}
