#include "browsers/ChromeSteps.h"

#include "browsers/AccWalker.h"
#include "fw/HostLog.h"
#include "fw/Text.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <memory>

namespace {

// English and Japanese Chrome; any name goes with any role.
const wchar_t* const kBarNames[] = {L"Address and search bar", L"アドレス検索バー"};
const wchar_t* const kBarRoles[] = {L"editable text", L"編集可能なテキスト"};

constexpr size_t kUrlMax = 260;  // characters; the caller's buffer has one more

template <size_t N>
bool OneOf(const wchar_t* text, const wchar_t* const (&choices)[N]) {
    for (const wchar_t* choice : choices)
        if (std::wcscmp(text, choice) == 0) return true;
    return false;
}

// What differs between the readers of the two Chrome generations.
struct Generation {
    const wchar_t* beginLine;
    const wchar_t* countLine;
    const wchar_t* endLine;
    bool needsChildWidget;   // 29 and 30 put a "Chrome_WidgetWin_0" first
    bool emptyValueIsFinal;  // 31 and later: no value, no address
};

const Generation kChrome29 = {L"Begin GetURLText", L"the main UI numChildren1 = %d", L"End GetURLText szEdit = %s",
                              true, false};
const Generation kChrome31 = {L"Begin GetNewURLText", L"the main UI numChildren2 = %d",
                              L"End GetNewURLText szEdit = %s", false, true};

bool IsChromeFrame(HWND hwnd, const Generation& generation) {
    if (WindowClass(hwnd) != L"Chrome_WidgetWin_1") return false;
    return !generation.needsChildWidget || WindowClass(GetWindow(hwnd, GW_CHILD)) == L"Chrome_WidgetWin_0";
}

// The value round-trips through the ANSI code page so that what the URL
// rules compare is what the host's ANSI lists can hold. Returns the
// characters written, or -1 when the value cannot be read.
int CopyValue(IAccessible* holder, const VARIANT& child, wchar_t* buffer) {
    UniqueBstr value;
    if (FAILED(holder->get_accValue(child, value.put()))) return -1;
    const std::string ansi = ToAnsi(value ? value.get() : L"");
    if (ansi.empty()) return 0;
    size_t converted = 0;
    mbstowcs_s(&converted, buffer, kUrlMax + 1, ansi.c_str(), kUrlMax);
    return static_cast<int>(std::wcslen(buffer));
}

// What one read of the tree found. Written by the reading thread, looked at
// only when the read finished in time; the log lines are the caller's.
struct BarRead {
    bool rooted = false;  // the window gave its object
    long count = 0;       // of the root's children
    bool found = false;
    std::wstring name, role;
    int copied = -1;  // CopyValue's result
    wchar_t address[kUrlMax + 1] = {};
};

void ReadBar(IAccessible* root, BarRead& bar) {
    bar.rooted = true;
    root->get_accChildCount(&bar.count);
    ComPtr<IAccessible> found;
    UniqueVariant foundChild;
    bar.found = EnumUIChild(root, found, foundChild, bar.name, bar.role);
    if (bar.found) bar.copied = CopyValue(found.get(), foundChild.get(), bar.address);
}

int ReadAddressBar(HWND hwnd, wchar_t* buffer, CHostLog* log, const Generation& generation) {
    Log(log, RA_LOG_TRACE, generation.beginLine);
    const auto bar = std::make_shared<BarRead>();
    if (hwnd && IsChromeFrame(hwnd, generation) &&
        ReadWindowTree(hwnd, log, L"GetChromeURL", [bar](IAccessible* root) { ReadBar(root, *bar); }) &&
        bar->rooted) {
        Log(log, RA_LOG_TRACE, generation.countLine, static_cast<int>(bar->count));
        if (bar->found) {
            Log(log, RA_LOG_SYSTEM, L"EnumUIChild strName[%s] strRole[%s]", bar->name.c_str(), bar->role.c_str());
            Log(log, RA_LOG_TRACE, L"get url.....");
            if (bar->copied == 0 && generation.emptyValueIsFinal) return 0;
            if (bar->copied > 0) std::copy(std::begin(bar->address), std::end(bar->address), buffer);
        }
    }
    Log(log, RA_LOG_TRACE, generation.endLine, buffer);
    return static_cast<int>(std::wcslen(buffer));
}

}  // namespace

int GetURLText(HWND hwnd, wchar_t* buffer, CHostLog* log) {
    return ReadAddressBar(hwnd, buffer, log, kChrome29);
}

int GetNewURLText(HWND hwnd, wchar_t* buffer, CHostLog* log) {
    return ReadAddressBar(hwnd, buffer, log, kChrome31);
}

bool EnumUIChild(IAccessible* parent, ComPtr<IAccessible>& found, UniqueVariant& foundChild, std::wstring& name,
                 std::wstring& role) {
    const AccSearch search{[&](const AccTexts& texts) {
                               if (!OneOf(texts.name(), kBarNames) || !OneOf(texts.role, kBarRoles)) return false;
                               name = texts.name();
                               role = texts.role;
                               return true;
                           },
                           false};
    return SearchAccTree(parent, search, found, foundChild);
}
