// The name a program was built under, from its version resource: what a
// renamed copy (game.exe copied as notes.exe) still says it is.
#pragma once

#include <windows.h>

#include <string>

// The version resource's OriginalFilename of the executable at `path`, or its
// InternalName when that is empty, lower case and cut at 259 characters.
// Taken from the string table of the first language and code page the
// resource declares that names the program, else from its first table. Empty
// when the file has no version resource or none that can be read.
//
// The file is read, never loaded: its headers, three levels of the resource
// directory and at most 64 KiB of version data, every offset and length
// checked against what was read, so a damaged or hostile file gives an empty
// or a wrong name, never a crash or a long read.
std::wstring OriginalFileName(const std::wstring& path);

// The same for the program process `pid` runs, found by the drive-form path
// of its image (a 64-bit process seen from this 32-bit module is otherwise
// named in device form, which no file function opens). Empty when the
// process cannot be opened. Reads the file on every call: a caller naming
// many windows keeps the answer per process, as the sweep keeps image paths.
std::wstring ProcessOriginalName(DWORD pid);
