// The built DLL as hosts bind to it: exports, imported DLLs, the shared words.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>

// Not winmm.dll: loaded and freed with the module, under Wine each cycle keeps 12 of its handles.
TEST(Abi, FiveExportsAtOrdinalsOneToFiveSystemImportsOnlyAndThreeSharedWords) {
    const UniqueLibrary dll(LoadLibraryW(L"RestrictAction.dll"));
    ASSERT_TRUE(dll);
    for (const auto& [name, ordinal] :
         {std::pair{"Initial", 1}, {"Restrict", 2}, {"StartRestrict", 3}, {"StopRestrict", 4}, {"IsRestrict", 5}}) {
        const FARPROC named = GetProcAddress(dll.get(), name);
        EXPECT_NE(named, nullptr) << name;
        EXPECT_EQ(named, GetProcAddress(dll.get(), MAKEINTRESOURCEA(ordinal))) << name;
    }
    EXPECT_EQ(GetProcAddress(dll.get(), MAKEINTRESOURCEA(6)), nullptr) << "a sixth export";

    const std::vector<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll",    "advapi32.dll",
                                             "psapi.dll",    "shlwapi.dll", "ole32.dll",   "oleaut32.dll",
                                             "oleacc.dll",   "wininet.dll", "msvcrt.dll"};
    const auto* base = reinterpret_cast<const BYTE*>(dll.get());
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
             base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
         import->Name; ++import) {
        std::string name = reinterpret_cast<const char*>(base + import->Name);
        CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
        EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name;
    }

    const IMAGE_SECTION_HEADER* shared = UrlRestrSection();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->Misc.VirtualSize, sizeof(UrlRestrWords));
    EXPECT_NE(shared->Characteristics & IMAGE_SCN_MEM_SHARED, 0u);
}
