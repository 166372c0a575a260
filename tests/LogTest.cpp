// Lines in the host's log file: levels, tags, the size column, CR LF, a file deleted or out of reach.
#include "fw/HostLog.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

// Mask 1 writes every level; any other its own levels, and level 16 always.
TEST(Log, MaskSelectsLevelsAndLevelSixteenIsAlwaysWritten) {
    for (const auto& [mask, tags] : {std::pair<DWORD, std::string>{1, "[SYSTEM][TRACE][ERROR][ERROR]"},
                                     {12, "[TRACE][ERROR][ERROR]"}}) {
        LogFile log(L"mask.log", mask);
        for (int level : {2, 4, 8, 16}) Log(&log, level, L"level %d", level);
        std::string written;
        for (const auto& line : log.Lines()) written += line.tag;
        EXPECT_EQ(written, tags) << "mask " << mask;
    }
}

// Each number is where its own line starts, CR LF counted; a file the host
// deleted between two lines starts again from zero.
TEST(Log, NumbersAreTheFileSizeBeforeEachCrLfLine) {
    LogFile log(L"size.log");
    Log(&log, 2, L"first %s", L"line");
    Log(&log, 4, L"second %d", 2);
    EXPECT_EQ(log.pFile, nullptr);
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{"first line", "second 2"}));
    EXPECT_EQ(log.Lines().back().offset, std::string("2000-01-01  00:00:00:000 [SYSTEM] : first line 0\r\n").size());
    ASSERT_TRUE(DeleteFileW(log.path.c_str()));
    Log(&log, 2, L"after");
    EXPECT_EQ(log.Lines().front().offset, 0u);
}

TEST(Log, MissingFolderWritesNothing) {
    LogFile missing(L"missing.log");
    const std::wstring elsewhere = ScratchFolder(L"log") + L"no such folder\\x.log";
    missing.pszPath = elsewhere.c_str();
    Log(&missing, 16, L"never");
    EXPECT_EQ(GetFileAttributesW(elsewhere.c_str()), INVALID_FILE_ATTRIBUTES);
}
