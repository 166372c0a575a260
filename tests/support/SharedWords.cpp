#include "support/SharedWords.h"

#include <cstring>

const IMAGE_SECTION_HEADER* LoadedUrlRestrSection() {
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(L"RestrictAction.dll"));
    if (!base) return nullptr;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
        if (std::memcmp(section->Name, "UrlRestr", IMAGE_SIZEOF_SHORT_NAME) == 0) return section;
    return nullptr;
}

UrlRestrWords* LoadedUrlRestrWords() {
    const IMAGE_SECTION_HEADER* section = LoadedUrlRestrSection();
    const auto base = reinterpret_cast<BYTE*>(GetModuleHandleW(L"RestrictAction.dll"));
    return section ? reinterpret_cast<UrlRestrWords*>(base + section->VirtualAddress) : nullptr;
}
