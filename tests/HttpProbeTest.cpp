// With no Chrome installed, a text with fewer than two dots is an address when a GET brings back 9 bytes in time.
#include "support/TestHost.h"
#include "urlrestrict/HttpClient.h"

#include <gtest/gtest.h>

TEST(HttpProbe, AnAddressIsATextWhoseGetAnswersWithMoreThanEightBytesInTime) {
    WebServer server;
    TestHost host;
    host.Initial(0, 100);
    host.confirmReply = 1;
    host.StartRestrict(MODE_URLRESTRICT, 1, host.List({L"127.1"}), 0);
    const std::wstring at = L"127.1:" + server.port;
    ExpectFates(host, {
        {"the request echoed", nullptr, L"IEFrame", L"http://" + at + L"/echo", Fate::kAsked},
        {"typed without a scheme", nullptr, L"IEFrame", at + L"/echo", Fate::kAsked},
        {"7 bytes", nullptr, L"IEFrame", L"http://" + at + L"/missing", Fate::kLeft},
        {"5 bytes; the echo it points to is not asked for", nullptr, L"IEFrame", L"http://" + at + L"/redirect", Fate::kLeft},
        {"a byte a second, cut at the deadline", nullptr, L"IEFrame", L"http://" + at + L"/trickle", Fate::kLeft},
    });
    host.StopRestrict(MODE_URLRESTRICT);
    // A probe's worker left behind keeps the module loaded past FreeLibrary: let it end.
    const std::wstring open = L"http://127.0.0.1:" + server.port + L"/open";
    EXPECT_TRUE(host.WaitFor([&] { return CHttpClient(L"RaTest").Get(open, 16) == "0"; }, 3 * kHttpDeadlineMs));
}
