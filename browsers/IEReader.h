// Internet Explorer's address field, found by the chain of child window
// classes that the installed major version builds below the frame.
#pragma once

#include <windows.h>

// Major version from HKLM "SOFTWARE\Microsoft\Internet Explorer\Version
// Vector", value "IE" (such as "11.0000"); 0 when it cannot be read.
int GetIEVersion();
// The address field's window below `frame` for the installed major
// `version`, or null: for versions below 6, for other browsers' frames and
// when a link of the chain is missing. Reads no registry, sends no message
// and never waits: it runs inside the low-level input hooks.
HWND FindIEAddressEdit(HWND frame, int version);
