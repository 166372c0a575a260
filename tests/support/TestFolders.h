// Where a test program lives and where its tests keep their files; free of
// the module's host layouts, for the 64-bit test program too.
#pragma once

#include <windows.h>

#include <string>

std::wstring ProgramFolder();  // ends with a backslash, as the other folders
// The same folder as the process enumeration names it: under Wine perhaps
// in the device form (\Device\HarddiskVolumeN\...).
std::wstring ImageFolder();
std::wstring ScratchFolder(const std::wstring& name);  // one test's
std::string Narrow(const std::wstring& text);
// A file's bytes (empty when it cannot be read), and a file of these bytes.
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
