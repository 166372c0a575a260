#include "fw/Text.h"

#include <cwctype>
#include <vector>

std::wstring ToLower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::wstring& text, const std::wstring& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::wstring FromAnsi(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, &narrow[0], n, nullptr, nullptr);
    return narrow;
}

void CopyToField(wchar_t* field, size_t size, const wchar_t* text) {
    std::fill(field, field + size, L'\0');
    if (!text) return;
    for (size_t i = 0; i + 1 < size && text[i]; ++i) field[i] = text[i];
}

std::wstring WindowClass(HWND hwnd, int limit) {
    std::vector<wchar_t> buffer(static_cast<size_t>(limit) + 1, L'\0');
    const int n = GetClassNameW(hwnd, buffer.data(), limit);
    return std::wstring(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

std::wstring WindowCaption(HWND hwnd, int limit) {
    std::vector<wchar_t> buffer(static_cast<size_t>(limit > 0 ? limit : 260), L'\0');
    for (;;) {
        const int size = static_cast<int>(buffer.size());
        const int n = InternalGetWindowText(hwnd, buffer.data(), size);
        // A full buffer may have cut the caption: read again with twice the room.
        if (limit > 0 || n < size - 1) return std::wstring(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
        buffer.resize(buffer.size() * 2);
    }
}
