// The HTTP client against the stand-in web server on 127.0.0.1, whose
// request path picks the answer: canned bodies, the request echoed, a
// silent server, an endless body.
#include "urlrestrict/HttpClient.h"

#include "support/ChildProcess.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

constexpr wchar_t kAgent[] = L"RaTest/1.0";

// One server process for the whole suite; ended with the suite.
class ServerProcess {
public:
    ServerProcess() {
        const std::wstring portFile = ScratchFolder(L"http") + L"port.txt";
        DeleteFileW(portFile.c_str());
        const std::wstring exe = ProgramFolder() + L"TestHttpServer.exe";
        std::wstring command = L"\"" + exe + L"\" \"" + portFile + L"\"";
        process_ = ChildProcess(exe, command, CREATE_NO_WINDOW);
        if (!process_) return;
        for (int i = 0; i < 300 && port_.empty(); ++i) {
            std::ifstream(Narrow(portFile)) >> port_;
            if (port_.empty()) Sleep(100);
        }
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool Listening() const { return !port_.empty(); }
    std::wstring Url(const wchar_t* scheme, const wchar_t* object) const {
        return std::wstring(scheme) + L"://127.0.0.1:" + std::wstring(port_.begin(), port_.end()) + object;
    }

private:
    ChildProcess process_;
    std::string port_;
};

class HttpClientTest : public testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new ServerProcess(); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server_->Listening()); }

    static std::wstring Url(const wchar_t* object, const wchar_t* scheme = L"http") {
        return server_->Url(scheme, object);
    }

    static ServerProcess* server_;
};

ServerProcess* HttpClientTest::server_ = nullptr;

}  // namespace

TEST_F(HttpClientTest, ReturnsTheBodyPieceByPieceInTheAnsiCodePage) {
    const std::string megabytes(3 << 20, 'm');
    struct Row {
        const wchar_t* object;
        std::string response;
    };
    const std::vector<Row> rows = {
        {L"/", "hello"},
        {L"/missing", "missing"},            // an error status: the body still counts
        {L"/empty", ""},
        {L"/nul", "abc"},                    // a NUL byte ends its piece
        {L"/utf8", "caf\xE9 ?"},             // UTF-8 beyond the ANSI code page
        {L"/megabytes", megabytes},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.object));
        CHttpClient client(kAgent);
        std::string response = "stale";
        EXPECT_EQ(client.Get(Url(row.object), nullptr, response), CHttpClient::kDone);
        EXPECT_EQ(response.size(), row.response.size());
        EXPECT_TRUE(response == row.response) << response.substr(0, 80);
    }
}

TEST_F(HttpClientTest, SendsVerbObjectAgentHeadersAndBody) {
    CHttpClient client(kAgent);
    std::string request;
    ASSERT_EQ(client.Request(L"POST", Url(L"/echo?q=1&r=2"), "a=1&b=2", request), CHttpClient::kDone);
    const char* const expected[] = {
        "POST /echo?q=1&r=2 HTTP/1.1\r\n",
        "\r\nUser-Agent: RaTest/1.0\r\n",
        "\r\nAccept: *,*/*\r\n",
        "\r\nAccept-Language: zh-cn\r\n",
        "\r\nContent-Type: application/x-www-form-urlencoded\r\n",
        "\r\nAccept-Encoding: deflate\r\n",
        "\r\nContent-Length: 7\r\n",
    };
    for (const char* part : expected) EXPECT_NE(request.find(part), std::string::npos) << part << "\n" << request;
    EXPECT_EQ(request.substr(request.size() - 11), "\r\n\r\na=1&b=2");
}

TEST_F(HttpClientTest, FailsWithoutTrafficUnlessHttpOrHttps) {
    const std::wstring urls[] = {Url(L"/never-ftp", L"ftp"), L"127.0.0.1/never-bare", L""};
    for (const std::wstring& url : urls) {
        CHttpClient client(kAgent);
        std::string response = "stale";
        EXPECT_EQ(client.Get(url, nullptr, response), CHttpClient::kFailed) << Narrow(url);
        EXPECT_EQ(response, "");
    }
    CHttpClient client(kAgent);
    std::string seen;
    ASSERT_EQ(client.Get(Url(L"/requests"), nullptr, seen), CHttpClient::kDone);
    EXPECT_EQ(seen.find("never"), std::string::npos) << seen;
}

// A probe runs with the controller's lock held: no server may hold it long.
TEST_F(HttpClientTest, BoundsEveryWaitAndTheBodySize) {
    struct Row {
        const wchar_t* object;
        int result;
        size_t minBytes, maxBytes;
    } rows[] = {
        {L"/silent", CHttpClient::kTimeout, 0, 0},
        {L"/endless", CHttpClient::kDone, 4u << 20, (4u << 20) + 4096},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.object));
        CHttpClient client(kAgent);
        std::string response;
        const DWORD start = GetTickCount();
        EXPECT_EQ(client.Get(Url(row.object), nullptr, response), row.result);
        EXPECT_LT(GetTickCount() - start, 20000u);
        EXPECT_GE(response.size(), row.minBytes);
        EXPECT_LE(response.size(), row.maxBytes);
    }
}

TEST_F(HttpClientTest, FailsOnAClosedPort) {
    CHttpClient client(kAgent);
    std::string response = "stale";
    EXPECT_EQ(client.Get(L"http://127.0.0.1:1/", nullptr, response), CHttpClient::kFailed);
    EXPECT_EQ(response, "");
}
