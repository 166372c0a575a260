// Read access to one INI file through the platform's profile-string reader:
// text values, and integers in decimal or "0x" hexadecimal form. A file that
// does not exist yet is created empty (UTF-16LE mark only), open to everyone.
#pragma once

#include <windows.h>

#include <string>

class CIniFile {
public:
    // A relative name is resolved against the folder of the process's
    // executable, not the current folder or this module's folder.
    explicit CIniFile(const wchar_t* path);
    virtual ~CIniFile() = default;

    // A file or a folder exists at the path.
    bool FileExists() const;
    // The value cut to 260 characters, or the empty text.
    std::wstring ReadString(const wchar_t* section, const wchar_t* key) const;
    // -1 when the value is missing or empty. "0x..." reads as hexadecimal
    // (0xFFFFFFFF is -1 as well); otherwise decimal up to the first non-digit,
    // clamped to the signed 32-bit range.
    int ReadInt(const wchar_t* section, const wchar_t* key) const;
    // The last eight characters as hexadecimal digits; any other character
    // counts as 0 but keeps its place.
    static DWORD ParseHex(const std::wstring& text);

private:
    std::wstring m_strFilePath;
};

// Normal attributes and a DACL with full access for "Everyone"; inherited
// entries still apply. Failures are ignored: the file stays as it is.
void GrantEveryoneAccess(const wchar_t* path);
