// Config\Restrict.ini below the host's base folder: the exempt applications
// and folders and the control watch's title lists, read once by the first
// Initial. The module only reads the file; nothing is ever created.
#pragma once

#include "fw/HostObjects.h"
#include "fw/Text.h"

#include <optional>

struct RestrictConfig {
    StringList exemptExes;     // lower case
    StringList exemptFolders;  // variables expanded, lower case, no trailing backslash
    TitleLists titleLists;     // as written, by ControlCategory
    // A category's count was given: the title lists replace the built-in
    // titles of every category.
    bool useTitleLists = false;
};

// Reads `baseFolder` joined as it is with Config\Restrict.ini; empty when
// nothing is at that path. An empty or relative base folder is taken from
// the working folder now, as relative paths are by the platform's file
// functions: the host decides its working folder, and one launched from its
// own folder (the common case) finds the file beside its executable either way.
std::optional<RestrictConfig> LoadRestrictConfig(const wchar_t* baseFolder);
