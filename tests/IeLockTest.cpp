// MODE_IELOCK through the host's path: browsers recognised by title ending,
// by the host's list of executables or by a web address in their address
// field are ended; Explorer windows showing a web address are closed.
#include "support/FakeBrowser.h"
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <memory>

TEST(IeLock, EndsBrowsersAndClosesExplorerWindowsShowingAddresses) {
    struct AppRow {
        const char* label;
        const wchar_t* exe;
        const wchar_t* windowClass;
        const wchar_t* title;
        const wchar_t* address;  // an "Edit" child's text, or empty
        bool ended;
    };
    const AppRow apps[] = {
        {"Chrome title", L"viewer1.exe", L"RaPlain", L"News - Google Chrome", L"", true},
        {"title that is only the Edge suffix", L"viewer2.exe", L"RaPlain", L"Microsoft Edge", L"", true},
        {"Internet Explorer title", L"viewer3.exe", L"RaPlain", L"Home - Windows Internet Explorer", L"", true},
        {"suffix in other case", L"viewer4.exe", L"RaPlain", L"news - google chrome", L"", false},
        {"listed executable", L"browser.exe", L"RaPlain", L"Start", L"", true},
        {"listed in other case", L"other.exe", L"RaPlain", L"Start", L"", false},
        {"IE showing an address", L"ie.exe", L"IEFrame", L"Home", L"http://www.site.com/", true},
        {"IE showing its blank page", L"ie2.exe", L"IEFrame", L"Home", L"about:blank", false},
        {"unknown class showing an address", L"viewer5.exe", L"RaPlain", L"Home", L"http://www.site.com/", false},
    };
    TestHost host;
    ASSERT_TRUE(host.Loaded());
    HostList list;
    list.Add(L"browser.exe").Add(L"Other.exe");
    host.Initial(0, 100);
    host.StartRestrict(MODE_IELOCK, 0, list.get());

    std::vector<std::unique_ptr<TestApp>> started;
    for (const AppRow& row : apps) {
        started.push_back(std::make_unique<TestApp>(row.exe, row.windowClass, std::vector<std::wstring>{row.title},
                                                    row.address));
        ASSERT_TRUE(started.back()->Started()) << row.label;
    }
    FakeBrowser webFolder(L"CabinetWClass", L"Web folder");
    webFolder.AddChain({L"Edit"}, L"www.site.com/x");
    FakeBrowser diskFolder(L"ExploreWClass", L"Disk folder");
    diskFolder.AddChain({L"Edit"}, L"C:\\Users");

    const auto expectedDone = [&] {
        for (size_t i = 0; i < started.size(); ++i)
            if (apps[i].ended && !started[i]->Ended(0)) return false;
        return webFolder.Closed();
    };
    EXPECT_TRUE(host.WaitFor(expectedDone, kSweepWaitMs));
    host.Pump(kTwoWalksMs);
    for (size_t i = 0; i < started.size(); ++i) EXPECT_EQ(started[i]->Ended(0), apps[i].ended) << apps[i].label;
    EXPECT_TRUE(webFolder.Closed());
    EXPECT_FALSE(diskFolder.Closed());
    host.StopRestrict(MODE_IELOCK);
}
