#include "browsers/ChromeReader.h"

#include "fw/UniqueHandle.h"

#include <cstdlib>
#include <cwchar>

namespace {

struct VersionPlace {
    HKEY root;
    const wchar_t* key;
    const wchar_t* value;
};

// In the order they are read. The first three only tell that Chrome is
// installed; the fourth (the beacon Chrome writes itself) gives its version.
const VersionPlace kInstallPlaces[] = {
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome", L"Version"},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome", L"Version"},
    {HKEY_CURRENT_USER, L"Software\\Google\\Update\\Clients\\{8A69D345-D564-463c-AFF1-A69D9E530F96}", L"pv"},
};
const VersionPlace kBeaconPlace = {HKEY_CURRENT_USER, L"Software\\Google\\Chrome\\BLBeacon", L"Version"};

// Any major version from the installer places means "modern Chrome".
constexpr int kInstalledVersion = 99;

// The major version held at `place` (the text before its first "."; 0 when
// there is no "." or no leading digits); false when the key or value is
// missing.
bool ReadMajorVersion(const VersionPlace& place, int& major) {
    UniqueRegKey key;
    if (RegOpenKeyExW(place.root, place.key, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return false;
    wchar_t text[131] = {};  // 260 bytes offered, and a null the value may lack
    DWORD bytes = 260;
    if (RegQueryValueExW(key.get(), place.value, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes) !=
        ERROR_SUCCESS)
        return false;
    wchar_t* dot = std::wcschr(text, L'.');
    if (dot)
        *dot = L'\0';
    else
        text[0] = L'\0';
    major = static_cast<int>(std::wcstol(text, nullptr, 10));
    return true;
}

}  // namespace

int GetChromeVersion() {
    int major = 0;
    for (const auto& place : kInstallPlaces)
        if (ReadMajorVersion(place, major) && major != 0) return kInstalledVersion;
    return ReadMajorVersion(kBeaconPlace, major) ? major : 0;
}
