// Where a test program lives and where its tests keep their files. Free of
// the module's host layouts, so 64-bit test programs can use it too.
#pragma once

#include <windows.h>

#include <string>

// Folder of the running test program, with a trailing backslash.
std::wstring ProgramFolder();
// The same folder as the process enumeration names it. Under Wine the
// enumeration may give the device form (\Device\HarddiskVolumeN\...).
std::wstring ImageFolder();
// A fresh scratch folder for one test, with a trailing backslash.
std::wstring ScratchFolder(const std::wstring& name);
std::string Narrow(const std::wstring& text);
// A file's bytes (empty when it cannot be read), and a file of these bytes.
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
