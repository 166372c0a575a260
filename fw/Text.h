// The module's text helpers: UTF-16 std::wstring throughout, with the few
// operations the restriction rules need.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

using StringList = std::vector<std::wstring>;

// Lower case by the C runtime's current locale, character by character.
std::wstring ToLower(std::wstring text);

bool Contains(const std::wstring& text, const std::wstring& part);
bool StartsWith(const std::wstring& text, const std::wstring& prefix);
bool EndsWith(const std::wstring& text, const std::wstring& suffix);

// ANSI code page conversions; characters that do not convert become '?'.
std::wstring FromAnsi(const char* text);
std::string ToAnsi(const std::wstring& text);

// Copies into a fixed field of `size` units: zero-filled, at most size - 1
// characters, always terminated.
void CopyToField(wchar_t* field, size_t size, const wchar_t* text);
template <size_t N>
void CopyToField(wchar_t (&field)[N], const std::wstring& text) {
    CopyToField(field, N, text.c_str());
}

// Window texts. The class name is cut at `limit` - 1 characters, the caption
// at `limit` - 1 when a limit is given, else read in full. The caption is the
// text the window holds, read without sending it a message: a window whose
// thread is hung or waits for the caller cannot stall the read.
std::wstring WindowClass(HWND hwnd, int limit = 260);
std::wstring WindowCaption(HWND hwnd, int limit = 0);
