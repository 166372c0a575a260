// The address of the Firefox window in the foreground: asked by DDE, else
// copied through the keyboard and the clipboard.
#pragma once

#include "RestrictAction.h"

#include <string>

// Empty when the foreground window is no Firefox window or nothing was read.
std::wstring GetLocalURLFirefox(CHostLog* log);
