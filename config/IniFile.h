// Read access to one INI file, read from the disk once: its values are those
// the platform's profile-string reader gives (GetPrivateProfileStringW with a
// 261-unit buffer), looked up in memory, so that a file of any size or any
// count in it costs one read. Text values, and integers in decimal or "0x"
// hexadecimal form.
//
// The meanings kept from the profile reader: UTF-8 after its mark, UTF-16
// after its mark (either byte order), else the ANSI code page; lines end at
// CR or LF; blanks (space, tab, VT, FF, Ctrl-Z) around names and values are
// dropped; a section is "[name]" up to its last ']'; section and key names
// ignore ASCII case; only the first section of a name and the first key of a
// name in it count, a key without '=' included; names and values end at a
// NUL; one pair of matching quotes around a value is dropped.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// Bytes read at most: room for 1,000 exempt programs and 1,000 folders even
// in UTF-16, while reading and decoding, which is what a long file costs,
// stays within a few times a small file's Initial. A longer file reads as if
// it ended with the last line break within them.
constexpr DWORD kMaxIniBytes = 256 * 1024;

class CIniFile {
public:
    // Reads the file now, in one pass that keeps only the lines of the
    // sections named (the first section of each name); a file that cannot be
    // read reads as empty.
    CIniFile(const wchar_t* path, const std::vector<std::wstring>& sections);
    // Neither copied nor moved: the lines are views into the text it holds.
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    // The value cut to 260 characters, or the empty text; also for a section
    // not named to the constructor.
    std::wstring ReadString(const wchar_t* section, const wchar_t* key) const;
    // -1 when the value is missing or empty. "0x..." reads as hexadecimal
    // (0xFFFFFFFF is -1 as well); otherwise decimal up to the first non-digit,
    // clamped to the signed 32-bit range.
    int ReadInt(const wchar_t* section, const wchar_t* key) const;
    // ReadString of prefix1 ... prefixN (no padding), for N = count, in one
    // pass over the section; empty for a count below 1.
    std::vector<std::wstring> ReadNumbered(const wchar_t* section, const wchar_t* prefix, int count) const;
    // The last eight characters as hexadecimal digits; any other character
    // counts as 0 but keeps its place.
    static DWORD ParseHex(const std::wstring& text);

private:
    // A key line, in m_text.
    struct Line {
        std::wstring_view key;
        std::wstring_view value;
    };
    struct Section {
        std::wstring name;
        bool present;  // its first header has been read
        std::vector<Line> lines;
    };
    const Section* FindSection(const wchar_t* name) const;

    std::wstring m_text;
    std::vector<Section> m_sections;
};
