// Folder texts from the configuration: %NAME% variables expanded with the
// process environment, lower case, no trailing backslash.
#pragma once

#include <string>

// Removes one trailing backslash, if there is one.
void RemoveTrailingBackslash(std::wstring& text);

// Each defined variable is replaced by its value plus a separator, unless a
// backslash already follows it. An undefined or empty variable, or a lone
// '%', ends the expansion and leaves the rest as written. A value longer than
// 259 characters is cut to what the platform leaves in a 260-unit buffer.
std::wstring ExpandPathVariables(std::wstring path);
