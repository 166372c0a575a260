// Original names from version resources; the stand-in declares one string table, an undeclared one first.
#include "apprestrict/OriginalName.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

using Bytes = std::string;

size_t Find(const Bytes& bytes, const std::wstring& text) {
    return bytes.find(Bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t)));
}

Bytes Patched(Bytes bytes, size_t at, const Bytes& with) {
    return at == Bytes::npos ? Bytes() : bytes.replace(at, with.size(), with);
}

const Bytes kWordFF("\xFF\xFF", 2), kWordZero("\0\0", 2);

}  // namespace

TEST(OriginalName, RenamedCopiesSayTheirOriginalNameAndDamagedFilesNone) {
    const Bytes standIn = ReadBytes(ProgramFolder() + L"TestWindow.exe");
    const size_t block = Find(standIn, L"VS_VERSION_INFO") - 6;
    ASSERT_LT(block, standIn.size()) << "the stand-in carries no version resource";
    const size_t blockEnd = block + static_cast<unsigned char>(standIn[block]) +
                            256 * static_cast<unsigned char>(standIn[block + 1]);
    const struct {
        const char* label;
        Bytes bytes;
        const wchar_t* expected;
    } cases[] = {
        {"renamed copy", standIn, L"testwindow.exe"},
        {"no original name: internal", Patched(standIn, Find(standIn, L"TestWindow.exe"), kWordZero), L"testwindow"},
        {"declared language without a table: first table",
         Patched(standIn, standIn.find("\x11\x04\xB0\x04", Find(standIn, L"041104b0")), Bytes("\x09\x04", 2)),
         L"undeclared.exe"},
        {"version length past the resource's end", Patched(standIn, block, kWordFF), L"testwindow.exe"},
        {"string tables' node of length 0", Patched(standIn, Find(standIn, L"StringFileInfo") - 6, kWordZero), L""},
        {"key without terminator", Patched(standIn, block + 6, Bytes(blockEnd - block - 6, 'x')), L""},
        {"cut after the DOS header", standIn.substr(0, 64), L""},
        {"cut after the headers", standIn.substr(0, 1024), L""},
        {"cut one byte short", standIn.substr(0, blockEnd - 1), L""},
    };
    const std::wstring path = ScratchFolder(L"original-name") + L"notes.exe";
    for (const auto& c : cases) {
        ASSERT_FALSE(c.bytes.empty()) << c.label;
        WriteBytes(path, c.bytes);
        EXPECT_EQ(OriginalFileName(path), c.expected) << c.label;
    }
    EXPECT_EQ(OriginalFileName(path + L".missing"), L"");
    EXPECT_EQ(ProcessOriginalName(GetCurrentProcessId()), L"") << "no version resource";
    EXPECT_EQ(ProcessOriginalName(0), L"");

    // Each word of the headers and resource section set to 0xFFFF, then 0: never a crash or a hang.
    WriteBytes(path, standIn);
    std::fstream file(Narrow(path), std::ios::binary | std::ios::in | std::ios::out);
    for (const auto& [begin, end] :
         {std::pair{size_t{0}, size_t{1024}}, {block - 512, std::min(standIn.size(), block + 1024)}}) {
        for (size_t at = begin; at + 2 <= end; at += 2) {
            for (const Bytes& word : {kWordFF, kWordZero}) {
                file.seekp(at).write(word.data(), 2).flush();
                EXPECT_LE(OriginalFileName(path).size(), 259u) << "word at " << at;
            }
            file.seekp(at).write(&standIn[at], 2).flush();
        }
    }
}
