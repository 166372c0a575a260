// Config\Restrict.ini: encodings, counts, variables, registry values, hostile files; exemption through the exports.
#include "config/IniFile.h"
#include "config/PathVariables.h"
#include "config/RestrictConfig.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace std::string_literals;
using Bytes = std::string;

Bytes Utf16(const std::wstring& text, bool bigEndian = false) {
    Bytes bytes = "\xFF\xFE" + Bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    for (size_t i = 0; bigEndian && i < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

std::wstring ExeIni(const std::wstring& count, const std::wstring& entries) {
    return L"[SYSTEM]\nTHROW_APP_EXE_NUM=" + count + L"\n[THROW_APP_EXE]\n" + entries;
}

std::wstring BaseWithIni(const std::wstring& name, const Bytes& ini) {
    const std::wstring base = ScratchFolder(name);
    WriteRestrictIni(base, ini);
    return base;
}

}  // namespace

TEST(ConfigLists, FillsBoundedExemptListsFromCountsAndNumberedKeys) {
    const wchar_t kRegKey[] = L"Software\\RestrictActionConfigTest";
    SetEnvironmentVariableW(L"CFGTEST_DIR", L"C:\\Some\\Dir");
    SetEnvironmentVariableW(L"CFGTEST_SUB", L"Sub");
    SetEnvironmentVariableW(L"CFGTEST_LONG", std::wstring(300, L'L').c_str());
    SetRegistryText(HKEY_CURRENT_USER, kRegKey, L"Folder", L"%CFGTEST_DIR%\\Reg\\");
    SetRegistryText(HKEY_CURRENT_USER, kRegKey, nullptr, L"C:\\Default");
    SetRegistryText(HKEY_CURRENT_USER, kRegKey, L"TooLong", std::wstring(140, L'x'));
    const std::wstring key = L"HKEY_CURRENT_USER\\Software\\RestrictActionConfigTest";
    const std::wstring folders =
        L"[SYSTEM]\nTHROW_APP_PATH_NUM=4\nTHROW_APP_REG_NUM=4\n[THROW_APP_PATH]\nAPP_PATH1=%CFGTEST_DIR%Bin\n"
        L"APP_PATH2=%CFGTEST_DIR%%CFGTEST_SUB%X\nAPP_PATH3=%CFGTEST_DIR%\\%NOT_DEFINED_CFGTEST%\\X\\\n"
        L"APP_PATH4=C:\\100%\\A\\\n[THROW_APP_REG]\nAPP_REG_KEY1=" + key + L"\nAPP_REG_NAME1=Folder\n"
        L"APP_REG_KEY2=hkey_current_user\\Software\\RestrictActionConfigTest\nAPP_REG_NAME2=Folder\n"
        L"APP_REG_KEY3=" + key + L"\nAPP_REG_NAME3=TooLong\nAPP_REG_KEY4=" + key + L"\n";
    const Bytes head = "[SYSTEM]\r\nTHROW_APP_EXE_NUM=2\r\n[THROW_APP_EXE]\r\nAPP_EXE1=first\r\n";
    const Bytes cut = head + ";" + Bytes(kMaxIniBytes - head.size() - 11, 'x') + "\r\nAPP_EXE2=second\r\n";
    const struct {
        const char* label;
        Bytes file;
        StringList exes, paths;
    } rows[] = {
        {"hex count; a gap kept as an empty entry; entries beyond the count unread; lower case",
         Utf16(ExeIni(L"0x3", L"APP_EXE1=A.EXE\nAPP_EXE3=c.exe\nAPP_EXE4=d.exe\n")), {L"a.exe", L"", L"c.exe"}, {}},
        {"0xFFFFFFF0 is negative", Utf16(ExeIni(L"0xFFFFFFF0", L"APP_EXE1=a.exe\n")), {}, {}},
        {"hex from its last eight digits", Utf16(ExeIni(L"0x100000001", L"APP_EXE1=a.exe\n")), {L"a.exe"}, {}},
        {"0X is no hex mark", Utf16(ExeIni(L"0X1", L"APP_EXE1=a.exe\n")), {}, {}},
        {"folders; lower-case root and too long a value skipped, no name the default value", Utf16(folders), {},
         {L"c:\\some\\dir\\bin", L"c:\\some\\dir\\sub\\x", L"c:\\some\\dir\\%not_defined_cfgtest%\\x", L"c:\\100%\\a",
          L"c:\\some\\dir\\reg", L"c:\\default"}},
        {"huge counts: clamped, then 1,000 entries at most",
         "[SYSTEM]\nTHROW_APP_EXE_NUM=2147483647\nTHROW_APP_PATH_NUM=4294967298\nEXPLORER_NUM=2147483647\n",
         StringList(1000), StringList(1000)},
        {"a file cut after 256 KiB", cut, {L"first", L""}, {}},
        {"binary garbage", Bytes("\x00\xFE\x01[SYSTEM\x00\xFF]\n\x80=\x81%%\r\r\n", 22) + Bytes(3000, '\x9C'), {}, {}},
    };
    for (const auto& row : rows) {
        const auto config = LoadRestrictConfig(BaseWithIni(L"cfglists", row.file).c_str());
        ASSERT_TRUE(config) << row.label;
        EXPECT_EQ(config->exemptExes, row.exes) << row.label;
        EXPECT_EQ(config->exemptFolders, row.paths) << row.label;
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, kRegKey);
    EXPECT_LE(ExpandPathVariables(L"%CFGTEST_LONG%\\A").size(), 262u);
    // A missing file is read as nothing and not made.
    const std::wstring missing = ScratchFolder(L"cfgmissing");
    CreateDirectoryW((missing + L"Config").c_str(), nullptr);
    EXPECT_FALSE(LoadRestrictConfig(missing.c_str()));
    EXPECT_EQ(GetFileAttributesW((missing + L"Config\\Restrict.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ConfigIniFile, ReadsWhatTheProfileReaderReads) {
    const std::wstring quoted = L"[S]\r\nA1=" + std::wstring(300, L'a') + L"\r\nA2=\"" + std::wstring(260, L'b') +
                                L"\"\r\nA3=\"" + std::wstring(259, L'c') + L"\"\r\n[T]\r\nA1=\"" +
                                std::wstring(300, L'd') + L"\"\r\nA2=\"\"\r\nA3= ' spaced ' \r\n";
    const std::pair<const char*, Bytes> files[] = {
        {"UTF-16BE", Utf16(L"[S]\r\nA1=\x00e9t\x00e9\r\n[T]\r\nA2=\x3042\r\n", true)},
        {"UTF-8 with mark, a section on its line", "\xEF\xBB\xBF[S]\r\nA1=\xC3\xA9t\xC3\xA9\xC3(\r\n"},
        {"UTF-8 without mark is ANSI", "[S]\r\nA1=\xC3\xA9t\xC3\xA9\x81\x9C\r\n"},
        {"UTF-16 without mark too", Utf16(L"[S]\r\nA1=x\r\n").substr(2)},
        {"blanks; no-break spaces kept", "  [ S ]  \r\n\tA1 \t= \x0b one \x0c\x1a\r\nA2=\xA0two\xA0\r\n\x1a"},
        {"CR, LF and runs of them; lines above every section", "A1=above\r[S]\rA1=cr\n\nA2=lf\r\n\r\nA3=last"},
        {"comments, lines without '=', empty names", "[S]\r\n;A1=semicolon\r\n#A2=hash\r\nA1=one\r\nA3\r\nA3=after\r\n"
                                                    "[T]\r\n=empty\r\nA1\r\nA1=x\r\nA2=\r\nA2=y\r\nA3=three\r\n"},
        {"first section and first key of a name, ASCII case ignored",
         "[S]\r\na1=first\r\nA1=second\r\n[s]\r\nA2=second section\r\n[T]\r\nA2=t\r\n[t]\r\nA3=t2\r\n"},
        {"headers: last ']', or none", "[S]x\r\nA1=1\r\n[T\r\nA2=in S\r\n[T]]\r\nA3=in T]\r\n[T] ; c\r\nA1=t\r\n"},
        {"NUL ends names and values", "[S\0x]\r\nA1=v\0w\r\nA2\0z=2\r\n[T\0]\r\nA3=3\r\n"s},
        {"quotes", "[S]\r\nA1=\"q\"\r\nA2='\"mixed'\r\nA3=\"\r\n[T]\r\nA1=a=b\r\nA2 = \"=\"\r\n"},
        {"quotes and the 260 bound", Utf16(quoted)},
        {"numbered keys: padding, signs, blanks, other digits",
         Utf16(L"[S]\r\nA01=padded\r\nA+2=sign\r\nA 2=blank\r\nA\x0663=arabic\r\nA3=three\r\n[T]\r\nA4=beyond\r\n")},
    };
    for (size_t f = 0; f < std::size(files); ++f) {
        // A file each: the platform may cache what it parsed.
        const std::wstring path = ScratchFolder(L"cfgprofile") + std::to_wstring(f) + L".ini";
        WriteBytes(path, files[f].second);
        const CIniFile ini(path.c_str(), {L"S", L"T"});
        for (const std::wstring section : {L"S", L"T"})
            for (int i = 1; i <= 3; ++i) {
                const std::wstring key = L"A" + std::to_wstring(i);
                wchar_t want[261] = {};
                GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", want, 261, path.c_str());
                const std::string where = files[f].first + (" " + Narrow(section + L" " + key));
                EXPECT_EQ(ini.ReadString(section.c_str(), key.c_str()), want) << where;
                EXPECT_EQ(ini.ReadNumbered(section.c_str(), L"A", 3)[i - 1], want) << where;
            }
    }
}

TEST(ConfigExemption, ExemptsByConfiguredNameReadPromptlyAtTheFirstInitialOnly) {
    const ChildProcess app = StandIn(L"cfgapp.exe", L"CfgTestClass", {L"Config test app"});
    ASSERT_TRUE(app.Window());
    const auto reported = [&](TestHost& host) {
        host.StartRestrict(MODE_APPWATCH);
        EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }));
        host.StopRestrict(MODE_APPWATCH);
        const auto records = host.Records(WM_RA_APPWATCH_REPORT);
        return std::any_of(records.begin(), records.end(), [&](const auto& r) { return r.dwProcessId == app.Pid(); });
    };
    // Counts that once cost a profile read per entry, and a 50 MB comment: read within a second.
    const Bytes hostile = "\xEF\xBB\xBF[SYSTEM]\r\nTHROW_APP_EXE_NUM=2147483647\r\nTHROW_APP_PATH_NUM=1000000\r\n"
                          "THROW_APP_REG_NUM=0x7FFFFFFF\r\nEXPLORER_NUM=\xD9\xA9\xD9\xA9\xD9\xA9\xD9\xA9\xD9\xA9\r\n"
                          "[THROW_APP_EXE]\r\nAPP_EXE1=CfgApp.EXE\r\n" +
                          Bytes(50 << 20, ';');
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(BaseWithIni(L"cfgwork", hostile).c_str());
    {
        TestHost host;
        host.baseFolder.clear();
        const DWORD start = GetTickCount();
        host.Initial();
        SetCurrentDirectoryW(previous);
        EXPECT_LT(GetTickCount() - start, 1000u);
        EXPECT_FALSE(reported(host));
    }
    TestHost rereading;
    rereading.baseFolder = BaseWithIni(L"cfgreread", "");
    rereading.Initial();
    WriteRestrictIni(rereading.baseFolder, Utf16(ExeIni(L"1", L"APP_EXE1=CfgApp.EXE\n")));
    rereading.Initial();
    EXPECT_TRUE(reported(rereading)) << "named only after the first Initial";
}
