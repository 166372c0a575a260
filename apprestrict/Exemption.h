// Applications that are never restricted: system programs, programs below
// the host's own folders, and those the configuration names.
#pragma once

#include "RestrictAction.h"
#include "fw/HostObjects.h"
#include "fw/Text.h"

#include <optional>

// A configured exempt folder: lower case, no trailing backslash. The file
// system is asked whether it exists once, the first time a program's path
// contains it, and not for every window of every tick.
struct ExemptFolder {
    ExemptFolder(std::wstring folder) : path(std::move(folder)) {}  // implicit: lists are read as texts
    bool Exists() const;  // within one sweep at a time, as every exemption test

    std::wstring path;
    mutable std::optional<bool> exists;
};

struct Exemptions {
    HostContext host;  // its program folders, read at each test
    StringList exes;   // lower case
    std::vector<ExemptFolder> folders;
};

// `bExplorerExempt`: "explorer.exe" counts as exempt too. Folders match as
// substrings of the lower-cased path.
BOOL IsExemptApplication(const CLIENT_APP_INFO& info, BOOL bExplorerExempt, const Exemptions& exemptions);
