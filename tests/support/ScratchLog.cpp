#include "support/ScratchLog.h"

#include "support/TestFolders.h"

#include <algorithm>
#include <fstream>
#include <regex>

namespace {

bool LineHas(const std::string& line, const std::string& text) { return line.find(text) != std::string::npos; }

std::vector<std::string> RawLines(const std::wstring& path) {
    std::ifstream file(Narrow(path), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

}  // namespace

std::vector<LogLine> ParseLogLines(const std::vector<std::string>& lines) {
    static const std::regex shape(R"(^\d{4}-\d\d-\d\d  \d\d:\d\d:\d\d:\d{3} (\[[A-Z]+\]) : (.*) (\d+)\r$)");
    std::vector<LogLine> out;
    for (const auto& line : lines) {
        std::smatch m;
        if (std::regex_match(line, m, shape))
            out.push_back({m[1], m[2], std::stoull(m[3])});
        else
            out.push_back({"<malformed>", line, 0});
    }
    return out;
}

std::vector<std::string> MessagesOf(const std::vector<std::string>& lines) {
    std::vector<std::string> messages;
    for (const auto& line : ParseLogLines(lines)) messages.push_back(line.message);
    return messages;
}

int CountLines(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return LineHas(line, text); }));
}

bool HasRun(const std::vector<std::string>& lines, const std::vector<std::string>& run) {
    return std::search(lines.begin(), lines.end(), run.begin(), run.end(), LineHas) != lines.end();
}

ScratchLog::ScratchLog(const std::wstring& name, DWORD mask) {
    path = ScratchFolder(L"logtest") + name;
    DeleteFileW(path.c_str());
    InitializeCriticalSection(&log.lock);
    log.pszPath = path.c_str();
    log.bEnabled = TRUE;
    log.dwLevelMask = mask;
}

ScratchLog::~ScratchLog() {
    DeleteCriticalSection(&log.lock);
}

std::vector<LogLine> ScratchLog::Lines() const { return ParseLogLines(RawLines(path)); }

std::vector<std::string> ScratchLog::Messages() const { return MessagesOf(RawLines(path)); }
