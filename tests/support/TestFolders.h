// Where a test program lives and keeps its files; free of the module's layouts, for the 64-bit tests too.
#pragma once

#include <windows.h>

#include <string>

std::wstring ProgramFolder();  // ends with a backslash, as the other folders
// As the process enumeration names it: under Wine perhaps in device form.
std::wstring ImageFolder();
std::wstring ScratchFolder(const std::wstring& name);  // one test's
std::string Narrow(const std::wstring& text);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
