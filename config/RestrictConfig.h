// Config\Restrict.ini below the host's base folder: the exempt applications
// and folders, the control watch's title lists and the options, read once by the first
// Initial. The module only reads the file; nothing is ever created.
#pragma once

#include "fw/HostObjects.h"
#include "fw/Text.h"

#include <optional>

// [OPTIONS]: switches beside the built-in rules, each key 1 (on) or 0
// (off); a missing key, or any other value, leaves its default. A new
// option is a flag here and a row in RestrictConfig.cpp's kOptionKeys.
struct RestrictOptions {
    // CURRENT_BROWSERS: a Chromium or Firefox window whose address the older
    // readers do not find has its address field read from its accessible
    // tree.
    bool currentBrowsers = true;
    // FOREGROUND_EVENTS: a window coming to the front is examined at once,
    // as a tick examines the foreground window, without waiting for the
    // timer.
    bool foregroundEvents = false;
    // MATCH_ORIGINAL_NAME: application lists also match the name a program
    // was built under (its version resource), so a renamed copy is judged
    // as the original.
    bool matchOriginalName = false;
};

struct RestrictConfig {
    StringList exemptExes;     // lower case
    StringList exemptFolders;  // variables expanded, lower case, no trailing backslash
    TitleLists titleLists;     // as written, by ControlCategory
    // A category's count was given: the title lists replace the built-in
    // titles of every category.
    bool useTitleLists = false;
    RestrictOptions options;
};

// Reads `baseFolder` joined as it is with Config\Restrict.ini; empty when
// nothing is at that path. An empty or relative base folder is taken from
// the working folder now, as relative paths are by the platform's file
// functions: the host decides its working folder, and one launched from its
// own folder (the common case) finds the file beside its executable either way.
std::optional<RestrictConfig> LoadRestrictConfig(const wchar_t* baseFolder);
