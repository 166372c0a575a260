// Lines in the host's log file: levels, tags, the size column, CR LF, and a
// file that the host deleted or cannot have.
#include "fw/HostLog.h"
#include "support/ScratchLog.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

TEST(Log, MaskSelectsLevelsAndLevelSixteenIsAlwaysWritten) {
    struct Case {
        DWORD mask;
        std::vector<std::string> written;  // tags of levels 2, 4, 8, 16 that reach the file
    };
    const Case cases[] = {
        {1, {"[SYSTEM]", "[TRACE]", "[ERROR]", "[ERROR]"}},
        {2, {"[SYSTEM]", "[ERROR]"}},
        {0, {"[ERROR]"}},
        {12, {"[TRACE]", "[ERROR]", "[ERROR]"}},
    };
    for (const auto& c : cases) {
        ScratchLog scratch(L"mask.log", c.mask);
        for (int level : {2, 4, 8, 16}) Log(&scratch.log, level, L"level %d", level);
        std::vector<std::string> tags;
        for (const auto& line : scratch.Lines()) tags.push_back(line.tag);
        EXPECT_EQ(tags, c.written) << "mask " << c.mask;
    }
}

// A file the host deleted between two lines starts again from zero.
TEST(Log, NumbersAreTheFileSizeBeforeEachCrLfLine) {
    ScratchLog scratch(L"size.log");
    Log(&scratch.log, 2, L"first %s", L"line");
    Log(&scratch.log, 4, L"second %d", 2);
    Log(&scratch.log, 8, L"third");
    const auto lines = scratch.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].message, "first line");
    EXPECT_EQ(lines[1].message, "second 2");
    EXPECT_EQ(lines[0].offset, 0u);
    std::ifstream file(Narrow(scratch.path), std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(file)), {});
    // Each number is where its own line starts, CR LF counted.
    EXPECT_EQ(all.substr(all.find('\n') - 1, 1), "\r");
    EXPECT_EQ(lines[1].offset, all.find('\n') + 1);
    EXPECT_EQ(lines[2].offset, all.find('\n', lines[1].offset) + 1);
    EXPECT_EQ(scratch.log.pFile, nullptr);

    file.close();
    ASSERT_TRUE(DeleteFileW(scratch.path.c_str()));
    Log(&scratch.log, 2, L"after");
    const auto again = scratch.Lines();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].message, "after");
    EXPECT_EQ(again[0].offset, 0u);
}

TEST(Log, DisabledEmptyPathOrMissingFolderWriteNothing) {
    ScratchLog disabled(L"disabled.log");
    disabled.log.bEnabled = FALSE;
    Log(&disabled.log, 16, L"never");
    EXPECT_EQ(GetFileAttributesW(disabled.path.c_str()), INVALID_FILE_ATTRIBUTES);

    ScratchLog empty(L"empty.log");
    empty.log.pszPath = L"";
    Log(&empty.log, 2, L"never");

    ScratchLog missing(L"missing.log");
    const std::wstring elsewhere = ScratchFolder(L"logtest") + L"no such folder\\x.log";
    missing.log.pszPath = elsewhere.c_str();
    Log(&missing.log, 2, L"lost");
    Log(nullptr, 2, L"no object");
    EXPECT_EQ(GetFileAttributesW(elsewhere.c_str()), INVALID_FILE_ATTRIBUTES);
}
