// The stand-in web server (tests/apps/TestHttpServer.cpp) on 127.0.0.1, run
// as a process of its own: the path of a request picks the answer. Ended
// with the object.
#pragma once

#include "support/ChildProcess.h"
#include "support/TestFolders.h"

#include <fstream>
#include <string>

class WebServer {
public:
    WebServer() {
        const std::wstring portFile = ScratchFolder(L"http") + L"port.txt";
        DeleteFileW(portFile.c_str());
        const std::wstring exe = ProgramFolder() + L"TestHttpServer.exe";
        process_ = ChildProcess(exe, L"\"" + exe + L"\" \"" + portFile + L"\"", CREATE_NO_WINDOW);
        for (int i = 0; process_ && i < 300 && port_.empty(); ++i) {
            std::ifstream(Narrow(portFile)) >> port_;
            if (port_.empty()) Sleep(100);
        }
    }
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    bool Listening() const { return !port_.empty(); }
    std::wstring Port() const { return std::wstring(port_.begin(), port_.end()); }

private:
    ChildProcess process_;
    std::string port_;
};
