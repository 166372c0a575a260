// The stand-in's web server (TestWindow.exe --serve PORTFILE), a process of its own: sockets on a
// thread of the 32-bit test program upset Wine. The path of each request picks the answer.
#include <winsock2.h>
#include <windows.h>

#include "fw/UniqueHandle.h"

#include <atomic>
#include <fstream>
#include <mutex>
#include <string>

namespace {

struct SocketTraits {
    using Type = SOCKET;
    static Type Invalid() noexcept { return INVALID_SOCKET; }
    static void Close(Type socket) noexcept { closesocket(socket); }
};
using UniqueSocket = UniqueHandle<SocketTraits>;

std::mutex g_lock;
std::string g_requests;
std::atomic<int> g_open{0};

std::string Reply(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

bool Send(SOCKET client, const std::string& bytes) {
    return send(client, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}

// Every wait of a client stays short, the whole answer takes long.
void Trickle(SOCKET client, const std::string& atOnce, const std::string& slowly) {
    if (!Send(client, atOnce)) return;
    for (char byte : slowly) {
        Sleep(1000);
        if (!Send(client, std::string(1, byte))) return;
    }
}

void Answer(SOCKET client, const std::string& path, const std::string& request) {
    const bool credentials = request.find("\r\nAuthorization: ") != std::string::npos;
    if (path == "/echo") Send(client, Reply("200 OK", request));
    else if (path == "/missing") Send(client, Reply("404 Not Found", "missing"));
    else if (path == "/nul") Send(client, Reply("200 OK", std::string("abc\0def", 7)));
    else if (path == "/cut") Send(client, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nonly this");
    else if (path == "/redirect") Send(client, "HTTP/1.1 302 Found\r\nLocation: /echo\r\nContent-Length: 5\r\n\r\nmoved");
    else if (path == "/auth" && credentials) Send(client, Reply("200 OK", "welcome back"));
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
        for (bool open = Send(client, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"); open;) open = Send(client, piece);
    } else {
        Send(client, Reply("200 OK", "hello"));
    }
}

DWORD WINAPI Serve(void* parameter) {
    const UniqueSocket owned(reinterpret_cast<SOCKET>(parameter));
    const SOCKET client = owned.get();
    ++g_open;
    std::string request;
    char buffer[4096];
    for (int n; request.find("\r\n\r\n") == std::string::npos && (n = recv(client, buffer, sizeof(buffer), 0)) > 0;)
        request.append(buffer, static_cast<size_t>(n));
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_requests += request;
    }
    const size_t start = request.find(' ') + 1;
    const std::string target = request.substr(start, request.find_first_of(" ?", start) - start);
    Answer(client, target, request);
    shutdown(client, SD_SEND);
    --g_open;
    return 0;
}

}  // namespace

int ServeHttp(const wchar_t* portFile) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 3;
    const UniqueSocket owned(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    const SOCKET listener = owned.get();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(address);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 4;
    // Written under another name and renamed: a reader never sees half.
    const std::wstring temporary = std::wstring(portFile) + L".tmp";
    std::ofstream(std::string(temporary.begin(), temporary.end())) << ntohs(address.sin_port);
    MoveFileExW(temporary.c_str(), portFile, MOVEFILE_REPLACE_EXISTING);
    for (UniqueSocket client; (client = UniqueSocket(accept(listener, nullptr, nullptr)));) {
        const UniqueKernelHandle serving(
            CreateThread(nullptr, 0, Serve, reinterpret_cast<void*>(client.get()), 0, nullptr));
        if (serving) static_cast<void>(client.release());  // the thread's now
    }
    return 5;
}
