#include "urlrestrict/AddressReader.h"

#include "browsers/ChromeReader.h"
#include "browsers/EdgeReader.h"
#include "fw/HostLog.h"
#include "fw/Text.h"
#include "urlrestrict/BrowserWindows.h"
#include "urlrestrict/FirefoxReader.h"

#include <clocale>
#include <optional>

namespace {

// 260 characters and a terminator, as the readers expect.
constexpr int kAddressChars = 260;
constexpr int kAddressBufferChars = kAddressChars + 1;
// From this version on Chrome's own window is read before its children.
constexpr int kChromeOwnAddressVersion = 31;
// A hung browser stalls the walk no longer than this per "Edit" child.
constexpr UINT kGetTextTimeoutMs = 500;

int ReadEditText(HWND edit, wchar_t* buffer) {
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(edit, WM_GETTEXT, kAddressChars, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                             kGetTextTimeoutMs, &copied))
        return 0;
    return static_cast<int>(copied);
}

int ReadChromeURL(HWND hwnd, wchar_t* buffer, CHostLog* log, const wchar_t* line) {
    const int length = GetChromeURL(hwnd, buffer, log);
    if (length > 0) Log(log, RA_LOG_SYSTEM, line, buffer);
    return length;
}

// How `child` (of `hwnd`, class `hwndClass`) showed an address, read into
// the cleared `buffer`; none when it showed none.
std::optional<AddressSource> ReadChildAddress(HWND hwnd, const std::wstring& hwndClass, HWND child, wchar_t* buffer,
                                              CHostLog* log) {
    const auto read = [](AddressSource source, int length) {
        return length > 0 ? std::optional<AddressSource>(source) : std::nullopt;
    };
    const std::wstring childClass = WindowClass(child);
    if (childClass.empty()) return std::nullopt;
    if (childClass == L"Chrome_OmniboxView")
        return read(AddressSource::kChromeOmnibox,
                    ReadChromeURL(child, buffer, log, L"CQvUrlLaunchControl::GetURLChrome 1,[strEdit %s] ."));
    if (childClass == L"Edit") return read(AddressSource::kEdit, ReadEditText(child, buffer));
    if (hwndClass == kChromeFrameClass)
        return read(AddressSource::kChromeBeside,
                    ReadChromeURL(hwnd, buffer, log, L"CQvUrlLaunchControl::GetURLChrome 2,[strEdit %s] ."));
    return std::nullopt;
}

// The store-app frame's accessible value: a window with a store-app child
// shows nothing else.
bool CheckEdgeAddress(HWND hwnd, int chromeVersion, CHostLog* log, const AddressJudge& judge) {
    std::wstring text;
    GetEdgeURL(hwnd, text, log);
    return !text.empty() && judge({AddressSource::kEdge, text, hwnd, chromeVersion});
}

// The foreground Firefox window's address, asked at the end of every turn
// that read none of its own.
bool CheckFirefoxAddress(HWND hwnd, int chromeVersion, CHostLog* log, const AddressJudge& judge) {
    Log(log, RA_LOG_SYSTEM, L"CQvUrlLaunchControl::CheckInternetRestrictEditbox GetLocalURLFirefox().");
    const std::wstring text = GetLocalURLFirefox(log);
    return !text.empty() && judge({AddressSource::kFirefox, text, hwnd, chromeVersion});
}

}  // namespace

bool CheckInternetRestrictEditbox(HWND hwnd, int& chromeVersion, CHostLog* log, const AddressJudge& judge) {
    // Lower-casing of addresses follows the user's locale.
    setlocale(LC_ALL, "");
    if (HasCoreWindowChild(hwnd)) return CheckEdgeAddress(hwnd, chromeVersion, log, judge);

    const std::wstring windowClass = WindowClass(hwnd);
    if (chromeVersion == 0) chromeVersion = GetChromeVersion();
    if (chromeVersion < kChromeOwnAddressVersion) {
        Log(log, RA_LOG_TRACE,
            L"CRestrictAction::CheckInternetRestrictEditbox GetChromeVersion() m_ChromeVersion = [%d]", chromeVersion);
    } else if (windowClass == kChromeFrameClass) {
        wchar_t buffer[kAddressBufferChars] = {};
        if (GetChromeURL(hwnd, buffer, log) > 0) {
            Log(log, RA_LOG_TRACE, L"CRestrictAction::CheckInternetRestrictEditbox GetChromeURL() return szEdit = [%s]",
                buffer);
            return judge({AddressSource::kChromeFrame, buffer, hwnd, chromeVersion});
        }
        Log(log, RA_LOG_TRACE, L"CRestrictAction::CheckInternetRestrictEditbox GetChromeURL() return lenth = 0");
    }

    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t buffer[kAddressBufferChars] = {};
        if (const auto source = ReadChildAddress(hwnd, windowClass, child, buffer, log))
            return judge({*source, buffer, hwnd, chromeVersion});
        if (CheckInternetRestrictEditbox(child, chromeVersion, log, judge)) return true;
    }

    return CheckFirefoxAddress(hwnd, chromeVersion, log, judge);
}
