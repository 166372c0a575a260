// The HTTP client against the stand-in web server on 127.0.0.1, whose
// request path picks the answer: canned bodies, the request echoed, a
// silent server, an endless body.
#include "urlrestrict/HttpClient.h"

#include "support/WebServer.h"

#include <wincrypt.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr wchar_t kAgent[] = L"RaTest/1.0";

class HttpClientTest : public testing::Test {
protected:
    // One server for the whole suite.
    static void SetUpTestSuite() { server_ = new WebServer(); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server_->Listening()); }

    static std::wstring Url(const wchar_t* object, const wchar_t* scheme = L"http") {
        return std::wstring(scheme) + L"://127.0.0.1:" + server_->Port() + object;
    }

    static WebServer* server_;
};

WebServer* HttpClientTest::server_ = nullptr;

struct CertStoreTraits {
    using Type = HCERTSTORE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { CertCloseStore(h, 0); }
};

// Makes the machine trust the CA of the test's HTTPS servers: the prefix is
// the test run's own, so this stays hermetic.
bool TrustCertificate(const char* derPath) {
    std::ifstream file(derPath, std::ios::binary);
    const std::string der{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const UniqueHandle<CertStoreTraits> root(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                                           CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT"));
    return root && !der.empty() &&
           CertAddEncodedCertificateToStore(root.get(), X509_ASN_ENCODING,
                                            reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()),
                                            CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
}

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
        {L"/cut", "only this"},              // closed long before the announced length
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
// A silent server ends in a time-out: kTimeout on Windows; Wine reports the
// timed-out read of the answer as an invalid answer, kFailed.
TEST_F(HttpClientTest, BoundsEveryWaitAndTheBodySize) {
    struct Row {
        const wchar_t* object;
        bool done;
        size_t minBytes, maxBytes;
    } rows[] = {
        {L"/silent", false, 0, 0},
        {L"/endless", true, 4u << 20, (4u << 20) + 4096},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.object));
        CHttpClient client(kAgent);
        std::string response;
        const DWORD start = GetTickCount();
        const int result = client.Get(Url(row.object), nullptr, response);
        EXPECT_EQ(result == CHttpClient::kDone, row.done) << result;
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

// The HTTPS servers of scripts/tls-servers.sh: a certificate for another host
// name is accepted, one from an issuer nobody trusts is not.
TEST_F(HttpClientTest, HttpsAcceptsAnotherHostsNameButNoUntrustedIssuer) {
    const char* const ca = std::getenv("RA_TLS_CA");
    const char* const otherName = std::getenv("RA_TLS_OTHER_NAME_PORT");
    const char* const untrusted = std::getenv("RA_TLS_UNTRUSTED_PORT");
    if (!ca || !otherName || !untrusted) GTEST_SKIP() << "no HTTPS test servers (scripts/tls-servers.sh)";
    ASSERT_TRUE(TrustCertificate(ca));
    const auto url = [](const char* port) {
        return L"https://127.0.0.1:" + std::wstring(port, port + std::strlen(port)) + L"/secure.txt";
    };
    CHttpClient client(kAgent);
    std::string response;
    EXPECT_EQ(client.Get(url(otherName), nullptr, response), CHttpClient::kDone);
    EXPECT_EQ(response, "secure\n");
    EXPECT_EQ(client.Get(url(untrusted), nullptr, response), CHttpClient::kFailed);
    EXPECT_EQ(response, "");
}
