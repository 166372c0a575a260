// The names of the processes one sweep meets, each named once: the windows
// of one program share its naming.
#pragma once

#include "apprestrict/OriginalName.h"
#include "apprestrict/ProcessImages.h"

#include <map>
#include <string>

class ProcessNames {
public:
    const std::wstring& PathOf(DWORD pid) { return Named(paths_, pid, &ProcessImagePath); }
    // Read from the program's file: asked for only where it is matched.
    const std::wstring& OriginalNameOf(DWORD pid) { return Named(originalNames_, pid, &ProcessOriginalName); }

private:
    using Names = std::map<DWORD, std::wstring>;

    static const std::wstring& Named(Names& names, DWORD pid, std::wstring (*name)(DWORD)) {
        const auto [entry, added] = names.try_emplace(pid);
        if (added) entry->second = name(pid);
        return entry->second;
    }

    Names paths_;
    Names originalNames_;
};
