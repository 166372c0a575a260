#include "browsers/IEReader.h"

#include "fw/UniqueHandle.h"

namespace {

constexpr wchar_t kVersionKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector";
constexpr DWORD kValueBytes = 260;
// More digits than any version has; keeps the sum inside an int.
constexpr int kVersionDigitsMax = 6;

constexpr size_t kChainMax = 6;

// Chains below the frame, by the first version that builds each; a chain
// ends at its first null.
struct ChainRow {
    int fromVersion;
    const wchar_t* classes[kChainMax + 1];
};

const ChainRow kChains[] = {
    {8, {L"WorkerW", L"ReBarWindow32", L"Address Band Root", L"Edit"}},
    {7, {L"WorkerW", L"ReBarWindow32", L"Address Band Root", L"ComboBoxEx32", L"ComboBox", L"Edit"}},
    {6, {L"WorkerW", L"ReBarWindow32", L"ComboBoxEx32", L"ComboBox", L"Edit"}},
};

}  // namespace

int GetIEVersion() {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return 0;
    // One unit more than offered, so that the text always ends.
    wchar_t text[kValueBytes / sizeof(wchar_t) + 1] = {};
    DWORD size = kValueBytes;
    if (RegQueryValueExW(key.get(), L"IE", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
        return 0;
    int version = 0;
    for (int i = 0; i < kVersionDigitsMax && text[i] >= L'0' && text[i] <= L'9'; ++i)
        version = version * 10 + (text[i] - L'0');
    return version;
}

HWND FindIEAddressEdit(HWND frame, int version) {
    for (const ChainRow& row : kChains) {
        if (version < row.fromVersion) continue;
        HWND found = frame;
        for (const wchar_t* const* windowClass = row.classes; *windowClass; ++windowClass) {
            found = FindWindowExW(found, nullptr, *windowClass, nullptr);
            if (!found) return nullptr;
        }
        return found;
    }
    return nullptr;
}
