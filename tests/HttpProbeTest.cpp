// The HTTP probe through the host's path. With no Chrome installed, a text
// with fewer than two dots is an address only when a GET for it brings back
// more than 8 bytes; the host is asked (0x594) about addresses its deny list
// holds, and takes the case, so nothing is closed.
#include "support/FakeBrowser.h"
#include "support/TestApp.h"
#include "support/TestHost.h"
#include "support/WebServer.h"

#include <gtest/gtest.h>

#include <memory>

TEST(HttpProbe, AnAddressIsATextWhoseGetAnswersWithMoreThanEightBytes) {
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
        const wchar_t* object;
        bool address;
    } rows[] = {{L"/echo", true}, {L"/missing", false}, {L"/empty", false}};  // the request; 7 bytes; none
    std::vector<std::unique_ptr<FakeBrowser>> browsers;
    std::vector<HWND> readers;  // the windows whose "Edit" child shows the text
    for (const Row& row : rows) {
        browsers.push_back(std::make_unique<FakeBrowser>(L"IEFrame"));
        const std::wstring text = L"http://127.1:" + server.Port() + row.object;
        readers.push_back(GetParent(browsers.back()->AddChain({L"Edit"}, text.c_str())));
    }
    // A plain window in front: the sweep pauses after a restricted foreground window.
    FakeBrowser front(L"RaPlainFrame", L"Front");
    SetForegroundWindow(front.hwnd());

    const auto asked = [&](HWND window) {
        for (const auto& n : host.Received(WM_RA_URL_CONFIRM))
            if (n.window == window) return true;
        return false;
    };
    EXPECT_TRUE(host.WaitFor([&] { return asked(readers[0]); }, kSweepWaitMs));
    host.Pump(kTwoWalksMs);
    host.StopRestrict(MODE_URLRESTRICT);
    for (size_t i = 0; i < readers.size(); ++i) {
        EXPECT_EQ(asked(readers[i]), rows[i].address) << Narrow(rows[i].object);
        EXPECT_FALSE(browsers[i]->Closed());
    }
}
