#include "config/IniFile.h"

#include "fw/UniqueHandle.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

constexpr size_t kValueLength = 260;  // what a 261-unit buffer holds

// The file's first kMaxIniBytes bytes; `cut` tells that there were more.
std::string ReadHead(const wchar_t* path, bool& cut) {
    cut = false;
    const UniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) return {};
    cut = size.QuadPart > kMaxIniBytes;
    std::string bytes(static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, kMaxIniBytes)), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
    bytes.resize(read);
    return bytes;
}

// Invalid sequences become U+FFFD (UTF-8) or the code page's own mapping.
std::wstring FromCodePage(UINT codePage, const char* bytes, size_t size) {
    const int length = static_cast<int>(size);
    const int n = length ? MultiByteToWideChar(codePage, 0, bytes, length, nullptr, 0) : 0;
    std::wstring text(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, bytes, length, &text[0], n);
    return text;
}

// An odd last byte is no character and is left out.
std::wstring FromUtf16(const char* bytes, size_t size, bool bigEndian) {
    std::wstring text(size / 2, L'\0');
    std::memcpy(&text[0], bytes, text.size() * sizeof(wchar_t));
    if (bigEndian)
        for (auto& c : text) c = static_cast<wchar_t>((c << 8) | (c >> 8));
    return text;
}

// The mark alone decides, as for the profile reader: UTF-16 without one
// reads as ANSI (and so as nothing), UTF-8 without one as ANSI.
std::wstring Decode(const std::string& bytes) {
    const char* data = bytes.data();
    const size_t size = bytes.size();
    if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) return FromCodePage(CP_UTF8, data + 3, size - 3);
    if (size >= 2 && std::memcmp(data, "\xFF\xFE", 2) == 0) return FromUtf16(data + 2, size - 2, false);
    if (size >= 2 && std::memcmp(data, "\xFE\xFF", 2) == 0) return FromUtf16(data + 2, size - 2, true);
    return FromCodePage(CP_ACP, data, size);
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == 0x1A;
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The profile reader keeps names and values as C strings.
std::wstring_view UpToNul(std::wstring_view text) {
    return text.substr(0, text.find(L'\0'));
}

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    const auto same = [](wchar_t x, wchar_t y) { return AsciiLower(x) == AsciiLower(y); };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), same);
}

// n when `key` is `prefix` and then n in decimal without padding, with
// 1 <= n <= count; 0 otherwise.
int NumberAfter(std::wstring_view key, std::wstring_view prefix, int count) {
    if (key.size() <= prefix.size() || !SameName(key.substr(0, prefix.size()), prefix)) return 0;
    const std::wstring_view digits = key.substr(prefix.size());
    if (digits.size() > 10 || digits.front() == L'0') return 0;
    long long n = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') return 0;
        n = n * 10 + (c - L'0');
    }
    return n <= count ? static_cast<int>(n) : 0;
}

// What the profile reader puts in a 261-unit buffer: one pair of matching
// quotes dropped (the closing one only when it fits), cut to 260 characters.
std::wstring BufferText(std::wstring_view value) {
    const bool quoted = value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
                        value.back() == value.front();
    if (quoted) value.remove_prefix(1);
    std::wstring text(value.substr(0, kValueLength));
    if (quoted && value.size() <= kValueLength + 1) text.pop_back();
    return text;
}

DWORD HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return static_cast<DWORD>(c - L'0');
    if (c >= L'a' && c <= L'f') return static_cast<DWORD>(c - L'a' + 10);
    if (c >= L'A' && c <= L'F') return static_cast<DWORD>(c - L'A' + 10);
    return 0;
}

}  // namespace

CIniFile::CIniFile(const wchar_t* path, const std::vector<std::wstring>& sections) {
    for (const auto& name : sections) m_sections.push_back({name, false, {}});
    bool cut = false;
    m_text = Decode(ReadHead(path, cut));
    if (cut) m_text.erase(m_text.find_last_of(L"\r\n") + 1);  // npos + 1: no whole line

    const std::wstring_view text = m_text;
    Section* current = nullptr;  // lines above every section belong to none
    size_t end = 0;
    for (size_t start = 0; start < text.size(); start = end + 1) {
        end = start;
        while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
        const std::wstring_view line = Trim(text.substr(start, end - start));
        if (line.empty()) continue;
        const size_t close = line.front() == L'[' ? line.rfind(L']') : std::wstring_view::npos;
        if (close != std::wstring_view::npos) {
            const std::wstring_view name = UpToNul(Trim(line.substr(1, close - 1)));
            const auto wanted = std::find_if(m_sections.begin(), m_sections.end(),
                                             [&](const Section& s) { return SameName(s.name, name); });
            // A later section of a name already read is passed over.
            current = wanted != m_sections.end() && !wanted->present ? &*wanted : nullptr;
            if (current) current->present = true;
        } else if (current) {
            // A key without '=' has no value, and still hides a later one.
            const size_t equals = line.find(L'=');
            const std::wstring_view key = UpToNul(Trim(line.substr(0, equals)));
            const std::wstring_view value =
                equals == std::wstring_view::npos ? std::wstring_view() : UpToNul(Trim(line.substr(equals + 1)));
            current->lines.push_back({key, value});
        }
    }
}

const CIniFile::Section* CIniFile::FindSection(const wchar_t* name) const {
    for (const auto& section : m_sections)
        if (section.present && SameName(section.name, name)) return &section;
    return nullptr;
}

std::wstring CIniFile::ReadString(const wchar_t* section, const wchar_t* key) const {
    const Section* found = section && key ? FindSection(section) : nullptr;
    if (!found) return {};
    for (const Line& line : found->lines)
        if (SameName(line.key, key)) return BufferText(line.value);
    return {};
}

int CIniFile::ReadInt(const wchar_t* section, const wchar_t* key) const {
    const std::wstring value = ReadString(section, key);
    if (value.empty()) return -1;
    if (value.compare(0, 2, L"0x") == 0) return static_cast<int>(ParseHex(value));
    // wcstol clamps out-of-range values, where the C runtime's _wtoi varies.
    const long number = std::wcstol(value.c_str(), nullptr, 10);
    return static_cast<int>(number);
}

std::vector<std::wstring> CIniFile::ReadNumbered(const wchar_t* section, const wchar_t* prefix, int count) const {
    std::vector<std::wstring> values(count > 0 ? static_cast<size_t>(count) : 0);
    const Section* found = FindSection(section);
    if (!found || values.empty()) return values;
    std::vector<bool> seen(values.size());
    for (const Line& line : found->lines) {
        const int n = NumberAfter(line.key, prefix, count);
        if (n == 0 || seen[n - 1]) continue;
        seen[n - 1] = true;
        values[n - 1] = BufferText(line.value);
    }
    return values;
}

DWORD CIniFile::ParseHex(const std::wstring& text) {
    DWORD result = 0;
    const size_t digits = text.size() < 8 ? text.size() : 8;
    for (size_t i = 0; i < digits; ++i) result |= HexDigit(text[text.size() - 1 - i]) << (4 * i);
    return result;
}
