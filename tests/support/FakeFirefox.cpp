#include "support/FakeFirefox.h"

#include "support/TestApp.h"
#include "support/TestFolders.h"

#include <fstream>

namespace {

std::wstring Hex(const std::string& bytes) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring hex;
    for (unsigned char c : bytes) hex += {digits[c >> 4], digits[c & 15]};
    return hex;
}

}  // namespace

FakeFirefox::FakeFirefox(const BrowserSetup& setup) : callsFile_(ScratchFolder(L"firefox") + L"calls.txt") {
    DeleteFileW(callsFile_.c_str());
    const wchar_t* const servers[] = {L"none", L"answers", L"silent"};
    const std::wstring exe = ProgramFolder() + L"TestFirefox.exe";
    std::wstring command = L"\"" + exe + L"\" " + setup.windowClass + L" " + servers[static_cast<int>(setup.server)] +
                           L" \"" + setup.address + L"\" x" + Hex(setup.reply) + L" \"" + callsFile_ + L"\"";
    process_ = ChildProcess(exe, command);
    if (process_) frame_ = WaitForProcessWindow(process_.Pid(), setup.windowClass, L"Fake Firefox");
}

bool FakeFirefox::Typed() const {
    return IsZoomed(frame_) && (GetWindowLongW(frame_, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

std::vector<std::wstring> FakeFirefox::Stop() {
    // Through its message loop, so that what its server was posted before
    // (the client's disconnect) is handled and recorded first.
    if (frame_) PostThreadMessageW(GetWindowThreadProcessId(frame_, nullptr), WM_QUIT, 0, 0);
    process_.Ended(5000);
    process_.Stop();
    std::vector<std::wstring> calls;
    std::ifstream file(Narrow(callsFile_));
    for (std::string line; std::getline(file, line);) calls.emplace_back(line.begin(), line.end());
    return calls;
}
