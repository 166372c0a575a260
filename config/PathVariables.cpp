#include "config/PathVariables.h"

#include "fw/Text.h"

#include <windows.h>

namespace {

constexpr DWORD kExpandedSize = 260;

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The variable's value plus one backslash; empty when it is undefined or
// empty, or when the platform left a '%' in it.
std::wstring ExpandVariable(const std::wstring& variable) {
    // One unit more than offered, so a filled buffer stays terminated.
    wchar_t value[kExpandedSize + 1] = {};
    ExpandEnvironmentStringsW(variable.c_str(), value, kExpandedSize);
    const std::wstring expanded = value;
    if (expanded.empty() || Contains(expanded, L"%")) return {};
    return expanded + L"\\";
}

}  // namespace

void RemoveTrailingBackslash(std::wstring& text) {
    if (!text.empty() && text.back() == L'\\') text.pop_back();
}

std::wstring ExpandPathVariables(std::wstring path) {
    // Every round replaces two '%' by text without any, so the loop ends.
    for (size_t open = path.find(L'%'); open != std::wstring::npos; open = path.find(L'%')) {
        const size_t close = path.find(L'%', open + 1);
        if (close == std::wstring::npos) break;
        const std::wstring variable = path.substr(open, close - open + 1);
        std::wstring expanded = ExpandVariable(variable);
        if (expanded.empty()) break;
        if (close + 1 < path.size() && path[close + 1] == L'\\') RemoveTrailingBackslash(expanded);
        ReplaceAll(path, variable, expanded);
    }
    RemoveTrailingBackslash(path);
    return ToLower(path);
}
