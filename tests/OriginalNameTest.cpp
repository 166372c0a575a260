// A program's original name, read from its file's version resource: what a
// renamed copy still says it is, and what a damaged or hostile file gives.
// The stand-in declares one string table and holds an undeclared one first.
#include "apprestrict/OriginalName.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <utility>

namespace {

using Bytes = std::string;

std::wstring Written(const std::wstring& name, const Bytes& bytes) {
    const std::wstring path = ScratchFolder(L"original-name") + name;
    WriteBytes(path, bytes);
    return path;
}

size_t Find(const Bytes& bytes, const std::wstring& text) {
    return bytes.find(Bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t)));
}

Bytes Patched(Bytes bytes, size_t at, const Bytes& with) {
    return at == Bytes::npos ? Bytes() : bytes.replace(at, with.size(), with);
}

const Bytes kWordFF("\xFF\xFF", 2);
const Bytes kWordZero("\0\0", 2);

}  // namespace

TEST(OriginalName, RenamedCopiesSayTheirOriginalNameAndDamagedFilesNone) {
    const Bytes standIn = ReadBytes(ProgramFolder() + L"TestWindow.exe");
    const size_t block = Find(standIn, L"VS_VERSION_INFO") - 6;
    ASSERT_LT(block, standIn.size()) << "the stand-in carries no version resource";
    const size_t blockEnd = block + static_cast<unsigned char>(standIn[block]) +
                            256 * static_cast<unsigned char>(standIn[block + 1]);
    const size_t declaredTable = Find(standIn, L"041104b0");

    const struct {
        const char* label;
        Bytes bytes;
        const wchar_t* expected;
    } cases[] = {
        {"renamed copy", standIn, L"testwindow.exe"},
        {"original name empty: internal name", Patched(standIn, Find(standIn, L"TestWindow.exe"), kWordZero),
         L"testwindow"},
        {"declared language without a table: first table",
         Patched(standIn, standIn.find("\x11\x04\xB0\x04", declaredTable), Bytes("\x09\x04", 2)), L"undeclared.exe"},
        {"version length past the resource's end", Patched(standIn, block, kWordFF), L"testwindow.exe"},
        {"string tables' node of length 0", Patched(standIn, Find(standIn, L"StringFileInfo") - 6, kWordZero), L""},
        {"key without terminator", Patched(standIn, block + 6, Bytes(blockEnd - block - 6, 'x')), L""},
        {"program without a version resource", ReadBytes(ProgramFolder() + L"host_tests.exe"), L""},
        {"not a program", "MZ but nothing more", L""},
        {"cut after the DOS header", standIn.substr(0, 64), L""},
        {"cut after the headers", standIn.substr(0, 1024), L""},
        {"cut inside the version data", standIn.substr(0, block + 100), L""},
        {"cut one byte short", standIn.substr(0, blockEnd - 1), L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_FALSE(c.bytes.empty());
        EXPECT_EQ(OriginalFileName(Written(L"notes.exe", c.bytes)), c.expected);
    }
    EXPECT_EQ(OriginalFileName(ScratchFolder(L"original-name") + L"missing.exe"), L"");
}

// Every word of the headers and of the resource section set to 0xFFFF and to
// 0 in turn: a defined, bounded answer each time, never a crash or a hang.
TEST(OriginalName, SurvivesEveryWordOfHeadersAndResourcesDamaged) {
    const Bytes standIn = ReadBytes(ProgramFolder() + L"TestWindow.exe");
    const size_t block = Find(standIn, L"VS_VERSION_INFO") - 6;
    ASSERT_LT(block, standIn.size());
    const std::wstring path = Written(L"damaged.exe", standIn);
    std::fstream file(Narrow(path), std::ios::binary | std::ios::in | std::ios::out);
    // The resource directory lies before the version data, in the same section.
    const std::pair<size_t, size_t> regions[] = {{0, 1024}, {block - 512, std::min(standIn.size(), block + 1024)}};
    int named = 0;
    for (const auto& [begin, end] : regions) {
        for (size_t at = begin; at + 2 <= end; at += 2) {
            for (const Bytes& word : {kWordFF, kWordZero}) {
                file.seekp(at).write(word.data(), 2).flush();
                const std::wstring name = OriginalFileName(path);
                EXPECT_LE(name.size(), 259u) << "word at " << at;
                named += name == L"testwindow.exe";
            }
            file.seekp(at).write(&standIn[at], 2).flush();
        }
    }
    EXPECT_GT(named, 0) << "no damage spared the name: the file was not read";
}

TEST(OriginalName, OfAProcessComesFromItsImageFile) {
    const ChildProcess notes = StandIn(L"notes.exe", L"RaNotesWindow", {L"Notes"});
    ASSERT_TRUE(notes.Window());
    EXPECT_EQ(ProcessOriginalName(notes.Pid()), L"testwindow.exe") << "a 64-bit program";
    EXPECT_EQ(ProcessOriginalName(GetCurrentProcessId()), L"") << "no version resource";
    EXPECT_EQ(ProcessOriginalName(0), L"");
}
