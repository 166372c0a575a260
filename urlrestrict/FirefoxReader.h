// The address of the Firefox window in the foreground: asked by DDE, else
// copied through the keyboard and the clipboard.
#pragma once

#include "RestrictAction.h"

#include <functional>
#include <string>

// Asked about the foreground Firefox window once DDE gave no address, before
// any key is pressed: true when it dealt with the window, which the reader
// then leaves alone.
using BeforeKeys = std::function<bool(HWND firefox)>;

// Empty when the foreground window is no Firefox window, nothing was read,
// or `beforeKeys` dealt with it. The keys are pressed only when the browser
// took the DDE conversation and gave no data.
std::wstring GetLocalURLFirefox(CHostLog* log, const BeforeKeys& beforeKeys = nullptr);
