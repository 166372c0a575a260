// The HTTP probe through the host's path. With no Chrome installed, a text
// with fewer than two dots is an address only when a GET for it, as typed or
// else as http, brings back more than 8 bytes within 5 s; the host is asked
// (0x594) about addresses its deny list holds, and takes the case, so
// nothing is closed.
#include "support/FakeBrowser.h"
#include "support/TestApp.h"
#include "support/TestHost.h"
#include "support/WebServer.h"
#include "urlrestrict/HttpClient.h"

#include <gtest/gtest.h>

#include <memory>

TEST(HttpProbe, AnAddressIsATextWhoseGetAnswersWithMoreThanEightBytesInTime) {
    WebServer server;
    ASSERT_TRUE(server.Listening());
    TestHost host;
    ASSERT_TRUE(host.Loaded());
    host.Initial(0, 100);
    host.confirmReply = 1;
    HostList list;
    list.Add(L"127.1");  // 127.0.0.1 written with a single dot
    host.StartRestrict(MODE_URLRESTRICT, 1, list.get(), 0);

    struct Row {
        const wchar_t* scheme;
        const wchar_t* object;
        bool address;
    } rows[] = {
        {L"http://", L"/echo", true},       // the request
        {L"", L"/echo", true},              // typed without a scheme
        {L"http://", L"/missing", false},   // 7 bytes
        {L"http://", L"/empty", false},
        {L"http://", L"/redirect", false},  // 5 bytes; the echo it points to is not asked for
        {L"http://", L"/trickle", false},   // a byte a second, cut at the deadline
    };
    std::vector<std::unique_ptr<FakeBrowser>> browsers;
    std::vector<HWND> readers;  // the windows whose "Edit" child shows the text
    for (const Row& row : rows) {
        browsers.push_back(std::make_unique<FakeBrowser>(L"IEFrame"));
        const std::wstring text = row.scheme + (L"127.1:" + server.Port()) + row.object;
        readers.push_back(GetParent(browsers.back()->AddChain({L"Edit"}, text.c_str())));
    }
    // A plain window in front: the sweep pauses after a restricted foreground window.
    FakeBrowser front(L"RaPlainFrame", L"Front");
    SetForegroundWindow(front.hwnd());

    const auto asked = [&](size_t row) {
        for (const auto& n : host.Received(WM_RA_URL_CONFIRM))
            if (n.window == readers[row]) return true;
        return false;
    };
    // The newest window comes first in a walk: the trickling server holds
    // each walk for the deadline and no longer.
    EXPECT_TRUE(host.WaitFor([&] { return asked(0) && asked(1); }, 3 * kHttpDeadlineMs));
    host.Pump(kTwoWalksMs);
    host.StopRestrict(MODE_URLRESTRICT);
    for (size_t i = 0; i < readers.size(); ++i) {
        EXPECT_EQ(asked(i), rows[i].address) << i;
        EXPECT_FALSE(browsers[i]->Closed());
    }
    // A probe's worker left behind keeps the module loaded past the host's
    // FreeLibrary: let it end with the trickle.
    const std::wstring open = L"http://127.0.0.1:" + server.Port() + L"/open";
    EXPECT_TRUE(host.WaitFor([&] { return CHttpClient(L"RaTest").Get(open, 16) == "0"; }, 3 * kHttpDeadlineMs));
}
