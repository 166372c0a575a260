// The stand-in program's web server (TestWindow.exe --serve PORTFILE), a
// process of its own: sockets on a second thread of the emulated 32-bit test
// program upset Wine under user-mode emulation. Listens on 127.0.0.1 at a
// free port, writes the port number into PORTFILE and serves until ended.
// The path of each request picks the answer.
#include <winsock2.h>
#include <windows.h>

#include "fw/UniqueHandle.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

std::mutex g_lock;
std::string g_requests;  // every request so far, head and body
std::atomic<int> g_open{0};  // connections being answered

std::string Reply(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// Head up to the blank line, then as many body bytes as it announces.
std::string ReadRequest(SOCKET client) {
    std::string request;
    char buffer[4096];
    for (;;) {
        const size_t head = request.find("\r\n\r\n");
        if (head != std::string::npos) {
            const size_t length = request.find("Content-Length: ");
            const size_t body = length == std::string::npos ? 0 : std::strtoul(&request[length + 16], nullptr, 10);
            if (request.size() >= head + 4 + body) return request;
        }
        const int n = recv(client, buffer, sizeof(buffer), 0);
        if (n <= 0) return request;
        request.append(buffer, static_cast<size_t>(n));
    }
}

bool Send(SOCKET client, const std::string& bytes) {
    return send(client, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}

// Every single wait of a client stays short, the whole answer takes long:
// `slowly` goes out a byte a second, until the client goes.
void Trickle(SOCKET client, const std::string& atOnce, const std::string& slowly) {
    if (!Send(client, atOnce)) return;
    for (char byte : slowly) {
        Sleep(1000);
        if (!Send(client, std::string(1, byte))) return;
    }
}

void Answer(SOCKET client, const std::string& path, const std::string& request) {
    if (path == "/echo") Send(client, Reply("200 OK", request));
    else if (path == "/missing") Send(client, Reply("404 Not Found", "missing"));
    else if (path == "/empty") Send(client, Reply("204 No Content", ""));
    else if (path == "/nul") Send(client, Reply("200 OK", std::string("abc\0def", 7)));
    else if (path == "/megabytes") Send(client, Reply("200 OK", std::string(3 << 20, 'm')));
    else if (path == "/cut") Send(client, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nonly this");
    else if (path == "/redirect") Send(client, "HTTP/1.1 302 Found\r\nLocation: /echo\r\nContent-Length: 5\r\n\r\nmoved");
    // Answered with credentials only: a client that gives them once may keep them.
    else if (path == "/auth" && request.find("\r\nAuthorization: ") != std::string::npos)
        Send(client, Reply("200 OK", "welcome back"));
    else if (path == "/auth") Send(client, "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"test\"\r\n"
                                           "Content-Length: 0\r\n\r\n");
    else if (path == "/trickle") Trickle(client, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", std::string(30, 't'));
    else if (path == "/trickle-head") Trickle(client, "", "HTTP/1.1 200 OK\r\nX-Trickle: tttt\r\n\r\n");
    else if (path == "/open") Send(client, Reply("200 OK", std::to_string(g_open - 1)));
    else if (path == "/requests") {
        std::lock_guard<std::mutex> guard(g_lock);
        Send(client, Reply("200 OK", g_requests));
    } else if (path == "/endless") {
        const std::string piece(65536, 'x');
        for (bool open = Send(client, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"); open;)
            open = Send(client, piece);
    } else if (path == "/silent") {
        char byte;
        recv(client, &byte, 1, 0);  // until the client gives up
    } else {
        Send(client, Reply("200 OK", "hello"));
    }
}

DWORD WINAPI Serve(void* parameter) {
    const SOCKET client = reinterpret_cast<SOCKET>(parameter);
    ++g_open;
    const std::string request = ReadRequest(client);
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_requests += request;
    }
    const std::string line = request.substr(0, request.find("\r\n"));
    const size_t start = line.find(' ') + 1;
    const std::string target = line.substr(start, line.find(' ', start) - start);
    Answer(client, target.substr(0, target.find('?')), request);
    shutdown(client, SD_SEND);
    closesocket(client);
    --g_open;
    return 0;
}

}  // namespace

int ServeHttp(const wchar_t* portFile) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 3;
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(address);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 4;
    // Written under a temporary name and renamed: a reader never sees half.
    const std::wstring temporary = std::wstring(portFile) + L".tmp";
    const std::string port = std::to_string(ntohs(address.sin_port));
    {
        const UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), port.data(), static_cast<DWORD>(port.size()), &written, nullptr);
    }
    MoveFileExW(temporary.c_str(), portFile, MOVEFILE_REPLACE_EXISTING);
    for (;;) {
        const SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) return 5;
        const UniqueKernelHandle serving(CreateThread(nullptr, 0, Serve, reinterpret_cast<void*>(client), 0, nullptr));
    }
}
