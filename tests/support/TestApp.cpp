#include "support/TestApp.h"

#include "support/TestHost.h"

namespace {

HWND FindProcessWindow(DWORD pid, const std::wstring& cls, const std::wstring& title) {
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, cls.c_str(), title.c_str()); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, cls.c_str(), title.c_str())) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && IsWindowVisible(hwnd)) return hwnd;
    }
    return nullptr;
}

}  // namespace

TestApp::TestApp(const std::wstring& exeName, const std::wstring& windowClass, const std::vector<std::wstring>& titles,
                 const std::wstring& editText) {
    path_ = ScratchFolder(L"apps") + exeName;
    CopyFileW((ProgramFolder() + L"TestWindow.exe").c_str(), path_.c_str(), FALSE);
    std::wstring command = L"\"" + path_ + L"\"";
    if (!editText.empty()) command += L" --edit \"" + editText + L"\"";
    command += L" \"" + windowClass + L"\"";
    for (const auto& title : titles) command += L" \"" + title + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(path_.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    // The window may appear after WaitForInputIdle returns: poll for it.
    for (int i = 0; i < 600 && !window_; ++i) {
        window_ = FindProcessWindow(pid_, windowClass, titles.front());
        if (!window_) Sleep(100);
    }
}

TestApp::~TestApp() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

bool TestApp::Ended(DWORD ms) const {
    return process_ && WaitForSingleObject(process_, ms) == WAIT_OBJECT_0;
}
