#include "fw/HostLog.h"

#include "fw/CriticalSection.h"
#include "fw/Text.h"
#include "fw/UniqueHandle.h"

#include <cstdarg>
#include <string>

namespace {

constexpr size_t kMessageChars = 259;
// wvsprintfW never writes more than 1024 characters and the terminator.
constexpr size_t kFormatterChars = 1025;

const wchar_t* TagOf(int level) {
    switch (level) {
    case RA_LOG_SYSTEM: return L"[SYSTEM]";
    case RA_LOG_ERROR:
    case RA_LOG_ALWAYS: return L"[ERROR]";
    default: return L"[TRACE]";
    }
}

std::wstring Timestamp() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t text[64];
    wsprintfW(text, L"%04u-%02u-%02u  %02u:%02u:%02u:%03u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
              t.wSecond, t.wMilliseconds);
    return text;
}

// Opens the host's log file for appending: created when missing, shared with
// every other reader, writer and deleter.
UniqueFile OpenFile(const CHostLog& log) {
    if (!log.bEnabled || !log.pszPath || !*log.pszPath) return UniqueFile();
    UniqueFile file(CreateFileW(log.pszPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) SetFilePointer(file.get(), 0, nullptr, FILE_END);
    return file;
}

// Text-mode output: every line feed is stored as CR LF.
std::string ToFileText(const std::wstring& line) {
    std::string out;
    for (char c : ToAnsi(line)) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

void WriteLine(CHostLog& log, int level, const wchar_t* format, va_list args) {
    if (!log.bEnabled) return;
    CriticalSectionGuard guard(log.lock);
    UniqueFile file = OpenFile(log);
    if (!file) return;  // the line is lost; the next one tries again

    wchar_t message[kFormatterChars] = {};
    wvsprintfW(message, format, args);
    message[kMessageChars] = L'\0';

    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    const std::wstring line = Timestamp() + L" " + TagOf(level) + L" : " + message + L" " +
                              std::to_wstring(static_cast<unsigned long long>(size.QuadPart)) + L"\n";
    const std::string bytes = ToFileText(line);
    log.pFile = &file;  // the host sees a file as open while the line is written
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(file.get());
    file.reset();
    log.pFile = nullptr;
}

}  // namespace

void Log(CHostLog* log, int level, const wchar_t* format, ...) {
    if (!log || !format) return;
    const DWORD mask = log->dwLevelMask;
    if (mask != 1 && level != RA_LOG_ALWAYS && (static_cast<DWORD>(level) & mask) == 0) return;
    va_list args;
    va_start(args, format);
    try {
        WriteLine(*log, level, format, args);
    } catch (...) {
        // A line that cannot be formed is dropped; logging never fails a caller.
    }
    va_end(args);
}
