#include "support/ScratchLog.h"

#include "support/TestHost.h"

#include <fstream>
#include <regex>

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

std::vector<LogLine> ScratchLog::Lines() const {
    std::ifstream file(Narrow(path), std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) lines.push_back(line);
    return ParseLogLines(lines);
}

std::vector<std::string> ScratchLog::Messages() const {
    std::vector<std::string> messages;
    for (const auto& line : Lines()) messages.push_back(line.message);
    return messages;
}
