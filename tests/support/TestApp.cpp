#include "support/TestApp.h"

#include "support/TestFolders.h"

HWND WaitForProcessWindow(DWORD pid, const std::wstring& windowClass, const std::wstring& title) {
    for (int i = 0; i < 600; ++i, Sleep(100)) {
        for (HWND hwnd = FindWindowExW(nullptr, nullptr, windowClass.c_str(), title.c_str()); hwnd;
             hwnd = FindWindowExW(nullptr, hwnd, windowClass.c_str(), title.c_str())) {
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == pid && IsWindowVisible(hwnd)) return hwnd;
        }
    }
    return nullptr;
}

TestApp::TestApp(const std::wstring& exeName, const std::wstring& windowClass, const std::vector<std::wstring>& titles,
                 const std::wstring& editText, const std::vector<std::wstring>& options) {
    path_ = ScratchFolder(L"apps") + exeName;
    CopyFileW((ProgramFolder() + L"TestWindow.exe").c_str(), path_.c_str(), FALSE);
    std::wstring command = L"\"" + path_ + L"\"";
    if (!editText.empty()) command += L" --edit \"" + editText + L"\"";
    for (const auto& option : options) command += L" \"" + option + L"\"";
    command += L" \"" + windowClass + L"\"";
    for (const auto& title : titles) command += L" \"" + title + L"\"";
    process_ = ChildProcess(path_, command);
    if (process_) window_ = WaitForProcessWindow(process_.Pid(), windowClass, titles.front());
}
