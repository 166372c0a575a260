#include "fw/Clipboard.h"

#include "fw/UniqueHandle.h"

#include <algorithm>

std::wstring Clipboard::UnicodeText() const {
    if (!open_ || !IsClipboardFormatAvailable(CF_UNICODETEXT)) return {};
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (!text) return {};
    const UniqueGlobalLock unlock(data);
    // The memory belongs to the clipboard: a text without terminator ends
    // with its block.
    const wchar_t* end = text + GlobalSize(data) / sizeof(wchar_t);
    return std::wstring(text, std::find(text, end, L'\0'));
}
