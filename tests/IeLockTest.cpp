// MODE_IELOCK through the host's path.
#include "support/TestHost.h"

#include <gtest/gtest.h>

TEST(IeLock, EndsBrowsersAndClosesExplorerWindowsShowingAddresses) {
    TestHost host;
    host.Initial(0, 100);
    host.StartRestrict(MODE_IELOCK, 0, host.List({L"browser.exe", L"Other.exe"}));
    ExpectFates(host, {
        {"title ending", L"viewer1.exe", L"RaPlain", L"", Fate::kActed, {}, L"News - Google Chrome"},
        {"title ending in other case", L"viewer2.exe", L"RaPlain", L"", Fate::kLeft, {}, L"news - google chrome"},
        {"listed executable", L"browser.exe", L"RaPlain", L"", Fate::kActed},
        {"listed in other case", L"other.exe", L"RaPlain", L"", Fate::kLeft},
        {"IE showing an address", L"ie.exe", L"IEFrame", L"http://www.site.com/", Fate::kActed},
        {"IE showing its blank page", L"ie2.exe", L"IEFrame", L"about:blank", Fate::kLeft},
        {"unknown class showing an address", L"viewer3.exe", L"RaPlain", L"http://www.site.com/", Fate::kLeft},
        {"Explorer showing an address", nullptr, L"CabinetWClass", L"www.site.com/x", Fate::kActed},
        {"Explorer showing a folder", nullptr, L"ExploreWClass", L"C:\\Users", Fate::kLeft},
    });
}
