// A host log object of the tests' own, writing to a scratch file, and the
// lines of a host log taken apart.
#pragma once

#include "RestrictAction.h"

#include <string>
#include <vector>

struct LogLine {
    std::string tag, message;
    unsigned long long offset;
};

// "<date>  <time> <tag> : <message> <offset>\r" lines; others come back
// with the tag "<malformed>" and the whole line as message.
std::vector<LogLine> ParseLogLines(const std::vector<std::string>& lines);
// Only the messages, in order.
std::vector<std::string> MessagesOf(const std::vector<std::string>& lines);
// How many lines contain `text`.
int CountLines(const std::vector<std::string>& lines, const std::string& text);
// Whether consecutive lines contain the texts of `run`, in order.
bool HasRun(const std::vector<std::string>& lines, const std::vector<std::string>& run);

struct ScratchLog {
    // `mask` 1 writes every level.
    explicit ScratchLog(const std::wstring& name, DWORD mask = 1);
    ~ScratchLog();
    ScratchLog(const ScratchLog&) = delete;
    ScratchLog& operator=(const ScratchLog&) = delete;
    std::vector<LogLine> Lines() const;
    std::vector<std::string> Messages() const;

    std::wstring path;
    CHostLog log{};
};
