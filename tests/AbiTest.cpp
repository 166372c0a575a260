// The built DLL, read as a file: the export table a host binds to and the
// DLLs a host machine must provide.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>

namespace {

class PeFile {
public:
    explicit PeFile(const std::wstring& path) {
        std::ifstream in(Narrow(path), std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), {});
    }
    const IMAGE_NT_HEADERS32* Nt() const {
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data());
        return reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes_.data() + dos->e_lfanew);
    }
    // File pointer of a relative virtual address.
    template <typename T>
    const T* At(DWORD rva) const {
        auto section = IMAGE_FIRST_SECTION(Nt());
        for (int i = 0; i < Nt()->FileHeader.NumberOfSections; ++i, ++section)
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->Misc.VirtualSize)
                return reinterpret_cast<const T*>(bytes_.data() + section->PointerToRawData +
                                                  (rva - section->VirtualAddress));
        return nullptr;
    }
    // The start of a data directory's table.
    template <typename T>
    const T* Table(int directory) const {
        return At<T>(Nt()->OptionalHeader.DataDirectory[directory].VirtualAddress);
    }

private:
    std::vector<char> bytes_;
};

const PeFile& Dll() {
    static const PeFile file(ProgramFolder() + L"RestrictAction.dll");
    return file;
}

}  // namespace

TEST(Abi, ExportsFiveUndecoratedNamesAtOrdinalsOneToFive) {
    auto exports = Dll().Table<IMAGE_EXPORT_DIRECTORY>(IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(exports, nullptr);
    EXPECT_EQ(exports->Base, 1u);
    ASSERT_EQ(exports->NumberOfNames, 5u);
    std::map<std::string, DWORD> ordinals;
    auto names = Dll().At<DWORD>(exports->AddressOfNames);
    auto indexes = Dll().At<WORD>(exports->AddressOfNameOrdinals);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        ordinals[Dll().At<char>(names[i])] = indexes[i] + exports->Base;
    const std::map<std::string, DWORD> expected = {
        {"Initial", 1}, {"Restrict", 2}, {"StartRestrict", 3}, {"StopRestrict", 4}, {"IsRestrict", 5}};
    EXPECT_EQ(ordinals, expected);
}

// Not winmm.dll: where the host does not import it, it is loaded and freed
// with the module, and under Wine each such cycle keeps 12 of its handles.
TEST(Abi, ImportsOnlySystemDlls) {
    const std::vector<std::string> system = {"kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll",
                                             "psapi.dll",    "shlwapi.dll", "ole32.dll",   "oleaut32.dll",
                                             "oleacc.dll",   "wininet.dll", "msvcrt.dll"};
    auto import = Dll().Table<IMAGE_IMPORT_DESCRIPTOR>(IMAGE_DIRECTORY_ENTRY_IMPORT);
    ASSERT_NE(import, nullptr);
    int count = 0;
    for (; import->Name; ++import, ++count) {
        std::string name = Dll().At<char>(import->Name);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name;
    }
    EXPECT_GT(count, 0);
}

TEST(Abi, LoadsAndUnloadsThroughLoadLibrary) {
    for (int i = 0; i < 3; ++i) {
        TestHost host;
        ASSERT_TRUE(host.Loaded());
        EXPECT_NE(host.ControllerWindow(), nullptr);
    }
}
