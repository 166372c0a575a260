// The built DLL as hosts bind to it: the export table, the DLLs a host
// machine must provide, and the shared words a second process maps.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

template <typename T>
const T* At(HMODULE dll, DWORD rva) {
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(dll) + rva);
}

}  // namespace

// Not winmm.dll among the imports: where the host does not import it, it is
// loaded and freed with the module, and under Wine each such cycle keeps 12
// of its handles.
TEST(Abi, FiveExportsAtOrdinalsOneToFiveSystemImportsOnlyAndThreeSharedWords) {
    const UniqueLibrary dll(LoadLibraryW(L"RestrictAction.dll"));
    ASSERT_TRUE(dll);
    const auto& tables = At<IMAGE_NT_HEADERS32>(dll.get(), At<IMAGE_DOS_HEADER>(dll.get(), 0)->e_lfanew)
                             ->OptionalHeader.DataDirectory;
    const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(dll.get(), tables[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    std::map<std::string, DWORD> ordinals;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        ordinals[At<char>(dll.get(), At<DWORD>(dll.get(), exports->AddressOfNames)[i])] =
            At<WORD>(dll.get(), exports->AddressOfNameOrdinals)[i] + exports->Base;
    EXPECT_EQ(ordinals, (std::map<std::string, DWORD>{
                            {"Initial", 1}, {"Restrict", 2}, {"StartRestrict", 3}, {"StopRestrict", 4}, {"IsRestrict", 5}}));
    EXPECT_EQ(exports->NumberOfFunctions, 5u);

    const std::vector<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll",    "advapi32.dll",
                                             "psapi.dll",    "shlwapi.dll", "ole32.dll",   "oleaut32.dll",
                                             "oleacc.dll",   "wininet.dll", "msvcrt.dll"};
    for (auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(dll.get(), tables[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
         import->Name; ++import) {
        std::string name = At<char>(dll.get(), import->Name);
        CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
        EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name;
    }

    const IMAGE_SECTION_HEADER* shared = UrlRestrSection();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->Misc.VirtualSize, sizeof(UrlRestrWords));
    EXPECT_NE(shared->Characteristics & IMAGE_SCN_MEM_SHARED, 0u);
}
