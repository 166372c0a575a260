#include "support/TestFolders.h"

#include <psapi.h>

#include <fstream>
#include <iterator>

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring ImageFolder() {
    wchar_t path[MAX_PATH] = {};
    GetProcessImageFileNameW(GetCurrentProcess(), path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring ScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"ratest\\", folder = root + name + L"\\";
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(Narrow(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(Narrow(path), std::ios::binary | std::ios::trunc) << bytes;
}
