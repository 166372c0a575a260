#include "urlrestrict/AddressReader.h"

#include "browsers/AddressField.h"
#include "browsers/ChromeReader.h"
#include "browsers/EdgeReader.h"
#include "fw/HostLog.h"
#include "fw/Text.h"
#include "urlrestrict/BrowserWindows.h"
#include "urlrestrict/FirefoxReader.h"

#include <clocale>
#include <optional>
#include <utility>
#include <vector>

namespace {

// 260 characters and a terminator, as the readers expect.
constexpr int kAddressBufferChars = 261;
// From this version on Chrome's own window is read before its children.
constexpr int kChromeOwnAddressVersion = 31;

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
    if (childClass == L"Edit") return read(AddressSource::kEdit, GetEditWindowText(child, buffer));
    if (hwndClass == kChromeFrameClass)
        return read(AddressSource::kChromeBeside,
                    ReadChromeURL(hwnd, buffer, log, L"CQvUrlLaunchControl::GetURLChrome 2,[strEdit %s] ."));
    return std::nullopt;
}

// Windows whose address field is read by role: Chromium whatever its
// vendor, and Firefox.
const wchar_t* const kFieldBrowserClasses[] = {kChromeFrameClass, L"MozillaWindowClass"};

bool HasAddressField(HWND hwnd) {
    return HasClassOf(hwnd, kFieldBrowserClasses);
}

// What a read found, by FieldRead, once per walk of a window: the address,
// never typed text. A browser that does not answer has had its one line
// from the read already, or is still being read.
const wchar_t* const kFieldLines[] = {
    L"CRestrictAction::ReadAddressField [WINDOW=0x%08X] [URL=%s].",
    L"CRestrictAction::ReadAddressField [WINDOW=0x%08X] [FOCUSED: judged once it leaves].",
    L"CRestrictAction::ReadAddressField [WINDOW=0x%08X] [NO ADDRESS].",
    nullptr,
};

void LogField(const AddressField& field, HWND browser, CHostLog* log) {
    if (const wchar_t* line = kFieldLines[static_cast<int>(field.read)])
        Log(log, RA_LOG_TRACE, line, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(browser)), field.value.c_str());
}

// One walk of a top-level window's tree (CheckInternetRestrictEditbox).
class AddressWalk {
public:
    AddressWalk(HWND top, int& chromeVersion, bool readsFields, CHostLog* log, const AddressJudge& judge)
        : top_(top), chromeVersion_(chromeVersion), readsFields_(readsFields), log_(log), judge_(judge), firefox_(log) {}

    // True when the judge ended the walk.
    bool Run() {
        // Lower-casing of addresses follows the user's locale.
        setlocale(LC_ALL, "");
        // Once a walk, not at every turn: while no Chrome is installed the
        // registry would be asked once per window of the tree.
        if (chromeVersion_ == 0) chromeVersion_ = GetChromeVersion();
        if (!Turn(top_) && readsFields_ && !topOffered_ && HasAddressField(top_)) FieldStep(top_);
        return judged_;
    }

private:
    // One window's turn; true when the walk is over.
    bool Turn(HWND hwnd) {
        if (HasCoreWindowChild(hwnd)) return CheckEdgeAddress(hwnd);

        const std::wstring windowClass = WindowClass(hwnd);
        if (chromeVersion_ < kChromeOwnAddressVersion) {
            Log(log_, RA_LOG_TRACE,
                L"CRestrictAction::CheckInternetRestrictEditbox GetChromeVersion() m_ChromeVersion = [%d]",
                chromeVersion_);
        } else if (windowClass == kChromeFrameClass) {
            wchar_t buffer[kAddressBufferChars] = {};
            if (GetChromeURL(hwnd, buffer, log_) > 0) {
                Log(log_, RA_LOG_TRACE,
                    L"CRestrictAction::CheckInternetRestrictEditbox GetChromeURL() return szEdit = [%s]", buffer);
                return Offer({AddressSource::kChromeFrame, buffer, hwnd, chromeVersion_}, top_);
            }
            Log(log_, RA_LOG_TRACE, L"CRestrictAction::CheckInternetRestrictEditbox GetChromeURL() return lenth = 0");
        }

        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t buffer[kAddressBufferChars] = {};
            if (const auto source = ReadChildAddress(hwnd, windowClass, child, buffer, log_))
                return Offer({*source, buffer, hwnd, chromeVersion_}, top_);
            if (Turn(child)) return true;
        }
        return CheckFirefoxAddress(hwnd);
    }

    // The store-app frame's accessible value: a window with a store-app
    // child shows nothing else.
    bool CheckEdgeAddress(HWND hwnd) {
        std::wstring text;
        GetEdgeURL(hwnd, text, log_);
        return !text.empty() && Offer({AddressSource::kEdge, text, hwnd, chromeVersion_}, top_);
    }

    // The foreground Firefox window's address, asked at the end of every
    // turn that read none of its own.
    bool CheckFirefoxAddress(HWND hwnd) {
        Log(log_, RA_LOG_SYSTEM, L"CQvUrlLaunchControl::CheckInternetRestrictEditbox GetLocalURLFirefox().");
        const BeforeKeys field = [this](HWND firefox) { return FirefoxField(firefox); };
        const std::wstring text = firefox_.Read(readsFields_ ? field : nullptr);
        if (text.empty()) return over_;
        return Offer({AddressSource::kFirefox, text, hwnd, chromeVersion_}, firefox_.Window());
    }

    // Between DDE and the keys. Another window's walk offers nothing of it:
    // the foreground window's own walk does.
    bool FirefoxField(HWND firefox) {
        if (!HasAddressField(firefox)) return false;
        return firefox == top_ ? FieldStep(firefox) : FieldOf(firefox).read != FieldRead::kNone;
    }

    // Offers the address `browser`'s field shows. A field in use, or a
    // browser that does not answer, ends the walk with nothing judged. False
    // when it shows none: the other readers go on.
    bool FieldStep(HWND browser) {
        const AddressField field = FieldOf(browser);
        if (field.read == FieldRead::kNone) return false;
        if (field.read == FieldRead::kAddress)
            Offer({AddressSource::kAddressField, field.value, browser, chromeVersion_}, browser);
        else
            over_ = true;
        return true;
    }

    // Read once a walk: the foreground Firefox is asked about at every turn.
    AddressField FieldOf(HWND browser) {
        for (const auto& [window, field] : fields_)
            if (window == browser) return field;
        const AddressField field = ReadAddressField(browser, log_);
        LogField(field, browser, log_);
        fields_.emplace_back(browser, field);
        return field;
    }

    // `owner`: the window whose address it is. True when the walk is over.
    bool Offer(const ShownAddress& address, HWND owner) {
        topOffered_ = topOffered_ || owner == top_;
        if (judge_(address)) over_ = judged_ = true;
        return over_;
    }

    const HWND top_;
    int& chromeVersion_;
    const bool readsFields_;
    CHostLog* const log_;
    const AddressJudge& judge_;
    bool judged_ = false;      // the judge ended the walk
    bool over_ = false;        // that, or a field said to come back later
    bool topOffered_ = false;  // an address of top_ was offered
    std::vector<std::pair<HWND, AddressField>> fields_;
    FirefoxReader firefox_;  // asks the foreground Firefox once a walk
};

}  // namespace

bool CheckInternetRestrictEditbox(HWND hwnd, int& chromeVersion, bool readsFields, CHostLog* log,
                                  const AddressJudge& judge) {
    return AddressWalk(hwnd, chromeVersion, readsFields, log, judge).Run();
}
