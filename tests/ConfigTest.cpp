// Config\Restrict.ini: encodings, counts, numbering, variables and registry
// values, hostile files. The exemptions are watched through the exports (an
// exempt application is left out of the MODE_APPWATCH report); the lists the
// exports cannot show are read from a controller built in this process.
#include "config/IniFile.h"
#include "config/PathVariables.h"
#include "config/StdioFileEx.h"
#include "control/CRestrictAction.h"
#include "support/TestApp.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <iterator>

namespace {

using Bytes = std::string;

// With the mark FF FE, as the platform writes UTF-16LE.
Bytes Utf16(const std::wstring& text) {
    return "\xFF\xFE" + Bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

Bytes Ansi(const std::wstring& text) {
    return Bytes(text.begin(), text.end());
}

void WriteBytes(const std::wstring& path, const Bytes& bytes) {
    std::ofstream(Narrow(path), std::ios::binary | std::ios::trunc) << bytes;
}

Bytes ReadBytes(const std::wstring& path) {
    std::ifstream in(Narrow(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A file naming `count` exempt programs, then `entries`.
std::wstring ExeIni(const std::wstring& count, const std::wstring& entries) {
    return L"[SYSTEM]\nTHROW_APP_EXE_NUM=" + count + L"\n[THROW_APP_EXE]\n" + entries;
}

// A base folder holding Config\Restrict.ini with these bytes.
std::wstring BaseWithIni(const std::wstring& name, const Bytes& ini) {
    const std::wstring base = ScratchFolder(name);
    CreateDirectoryW((base + L"Config").c_str(), nullptr);
    WriteBytes(base + L"Config\\Restrict.ini", ini);
    return base;
}

// A controller of this process that has read the base folder's file.
struct LoadedConfig {
    explicit LoadedConfig(const std::wstring& base) : baseFolder(base) {
        context[RA_SLOT_BASE_FOLDER] = const_cast<wchar_t*>(baseFolder.c_str());
        controller.m_pHostContext = context;
        result = controller.LoadRestrictConfig();
    }
    std::wstring baseFolder;
    void* context[RA_HOST_CONTEXT_SLOTS] = {};
    CRestrictAction controller;
    BOOL result = FALSE;
};

// Values under a scratch HKCU key, which the test deletes.
const wchar_t kRegKey[] = L"Software\\RestrictActionConfigTest";
void SetRegistryText(const wchar_t* name, const std::wstring& text) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kRegKey, name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

TEST(ConfigLists, FillsExemptListsFromCountsAndNumberedKeysInEveryEncoding) {
    SetEnvironmentVariableW(L"CFGTEST_DIR", L"C:\\Some\\Dir");
    SetRegistryText(L"Folder", L"%CFGTEST_DIR%\\Reg\\");
    SetRegistryText(nullptr, L"C:\\Default");
    SetRegistryText(L"TooLong", std::wstring(140, L'x'));
    const std::wstring key = L"HKEY_CURRENT_USER\\Software\\RestrictActionConfigTest";
    const std::wstring registry = L"[SYSTEM]\nTHROW_APP_PATH_NUM=1\nTHROW_APP_REG_NUM=5\n"
                                  L"[THROW_APP_PATH]\nAPP_PATH1=E:\\First\n[THROW_APP_REG]\n"
                                  L"APP_REG_KEY1=" + key + L"\nAPP_REG_NAME1=Folder\n"
                                  L"APP_REG_KEY2=hkey_current_user\\Software\\RestrictActionConfigTest\n"
                                  L"APP_REG_NAME2=Folder\n"
                                  L"APP_REG_KEY3=HKEY_CURRENT_USER\nAPP_REG_NAME3=Folder\n"
                                  L"APP_REG_KEY4=" + key + L"\nAPP_REG_NAME4=TooLong\n"
                                  L"APP_REG_KEY5=" + key + L"\n";
    const std::wstring crlf = L"\r\n[SYSTEM]\r\nTHROW_APP_EXE_NUM=1\r\n[THROW_APP_EXE]\r\nAPP_EXE1=Tool.EXE\r\n";
    struct Case {
        const char* label;
        Bytes file;
        StringList exes, paths;
    };
    const Case cases[] = {
        {"hex count; a gap kept as an empty entry; entries beyond the count unread",
         Utf16(ExeIni(L"0x3", L"APP_EXE1=a.exe\nAPP_EXE3=c.exe\nAPP_EXE4=d.exe\n")), {L"a.exe", L"", L"c.exe"}, {}},
        {"0xFFFFFFF0 is negative", Utf16(ExeIni(L"0xFFFFFFF0", L"APP_EXE1=a.exe\n")), {}, {}},
        {"ANSI, CRLF, lower-cased", Ansi(crlf), {L"tool.exe"}, {}},
        // The mark sits on the blank first line, where no reader needs it.
        {"UTF-8 with mark", "\xEF\xBB\xBF" + Ansi(crlf), {L"tool.exe"}, {}},
        {"paths expanded",
         Utf16(L"[SYSTEM]\nTHROW_APP_PATH_NUM=2\n[THROW_APP_PATH]\nAPP_PATH1=%CFGTEST_DIR%Bin\nAPP_PATH2=D:\\X\\\n"),
         {}, {L"c:\\some\\dir\\bin", L"d:\\x"}},
        {"registry pairs after paths; lower-case root, no subkey, too long skipped", Utf16(registry), {},
         {L"e:\\first", L"c:\\some\\dir\\reg", L"c:\\default"}},
    };
    for (const auto& row : cases) {
        LoadedConfig config(BaseWithIni(L"cfglists", row.file));
        EXPECT_TRUE(config.result) << row.label;
        EXPECT_EQ(config.controller.m_ThrowAppExeList, row.exes) << row.label;
        EXPECT_EQ(config.controller.m_ThrowAppPathList, row.paths) << row.label;
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, kRegKey);
}

TEST(ConfigLists, ReadsTitleListsPerCategoryAsWrittenOnceACountIsGiven) {
    const auto useTitleLists = [](const std::wstring& ini) {
        return LoadedConfig(BaseWithIni(L"cfgtitles", Utf16(ini))).controller.m_bUseTitleLists;
    };
    EXPECT_FALSE(useTitleLists(L"[SYSTEM]\nTHROW_APP_EXE_NUM=1\n[EXPLORER]\nWINDOW_TITLE1=X\n")) << "no count key";
    EXPECT_TRUE(useTitleLists(L"[SYSTEM]\nCONTROL_PANEL_NUM=0\n")) << "a zero count";

    LoadedConfig config(BaseWithIni(L"cfgtitles", Utf16(L"[SYSTEM]\nPRINTER_NUM=2\nAPP_RUN_NUM=1\n[PRINTER]\n"
                                                        L"WINDOW_TITLE1=Printers\nWINDOW_TITLE2=%WINDIR%\n"
                                                        L"[APP_RUN]\nWINDOW_TITLE1=Run\n")));
    const std::array<StringList, CATEGORY_COUNT> want = {
        StringList{}, StringList{}, StringList{}, StringList{L"Printers", L"%WINDIR%"}, StringList{L"Run"}, {}};
    EXPECT_EQ(config.controller.m_TitleLists, want) << "case and variables kept, right category";
}

TEST(ConfigLists, SurvivesHostileFilesWithBoundedListsAndCreatesNoMissingFile) {
    const std::pair<const char*, Bytes> files[] = {
        {"huge decimal counts",
         Ansi(L"[SYSTEM]\nTHROW_APP_EXE_NUM=2147483647\nTHROW_APP_PATH_NUM=99999999999\nEXPLORER_NUM=2147483647\n")},
        {"long values", Ansi(ExeIni(L"1", L"APP_EXE1=" + std::wstring(5000, L'A') + L"\n"))},
        {"binary garbage", Bytes("\x00\xFE\x01[SYSTEM\x00\xFF]\n\x80=\x81%%\r\r\n", 22) + Bytes(3000, '\x9C')},
    };
    for (const auto& file : files) {
        LoadedConfig config(BaseWithIni(L"cfghostile", file.second));
        for (const StringList* list : {&config.controller.m_ThrowAppExeList, &config.controller.m_ThrowAppPathList,
                                       &config.controller.m_TitleLists[CATEGORY_EXPLORER]}) {
            EXPECT_LE(list->size(), 1000u) << file.first;
            for (const auto& entry : *list) EXPECT_LE(entry.size(), 260u) << file.first;
        }
    }
    LoadedConfig counts(BaseWithIni(L"cfghostile", files[0].second));
    EXPECT_EQ(counts.controller.m_ThrowAppExeList.size(), 1000u);
    EXPECT_EQ(counts.controller.m_ThrowAppPathList.size(), 1000u);

    const std::wstring missing = ScratchFolder(L"cfgmissing");
    EXPECT_FALSE(LoadedConfig(missing).result);
    EXPECT_EQ(GetFileAttributesW((missing + L"Config\\Restrict.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ConfigPathVariables, ExpandsWithOneSeparatorAndStopsAtUnknownVariables) {
    SetEnvironmentVariableW(L"CFGTEST_DIR", L"C:\\Some\\Dir");
    SetEnvironmentVariableW(L"CFGTEST_SUB", L"Sub");
    SetEnvironmentVariableW(L"CFGTEST_LONG", std::wstring(300, L'L').c_str());
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"%CFGTEST_DIR%\\Temp\\", L"c:\\some\\dir\\temp"},
        {L"%CFGTEST_DIR%%CFGTEST_SUB%X", L"c:\\some\\dir\\sub\\x"},
        {L"%CFGTEST_DIR%\\%NOT_DEFINED_CFGTEST%\\X\\", L"c:\\some\\dir\\%not_defined_cfgtest%\\x"},
        {L"C:\\100%\\A\\", L"c:\\100%\\a"},
        {L"\\\\", L"\\"},
    };
    for (const auto& row : cases) EXPECT_EQ(ExpandPathVariables(row.first), row.second) << Narrow(row.first);
    // Past 259 characters the platform's cut is taken as is; only the bound matters.
    EXPECT_LE(ExpandPathVariables(L"%CFGTEST_LONG%\\A").size(), 262u);
}

// Counts in other forms are read through the lists' tests.
TEST(ConfigIniFile, ReadsHexFromLowerCaseMarkAndLastEightDigitsClampsDecimalCutsValuesAndCreatesMissingFiles) {
    const std::wstring path = ScratchFolder(L"cfgini") + L"values.ini";
    const Bytes values = Utf16(L"[S]\nCapital=0X10\nNine=0x123456789\nHuge=99999999999\nLong=" +
                               std::wstring(300, L'v') + L"\n");
    WriteBytes(path, values);
    const CIniFile ini(path.c_str());
    const std::pair<const wchar_t*, int> cases[] = {{L"Capital", 0}, {L"Nine", 0x23456789}, {L"Huge", INT_MAX}};
    for (const auto& row : cases) EXPECT_EQ(ini.ReadInt(L"S", row.first), row.second) << Narrow(row.first);
    EXPECT_EQ(ini.ReadString(L"S", L"Long"), std::wstring(260, L'v'));
    EXPECT_EQ(ReadBytes(path), values) << "an existing file is left as it is";

    const std::wstring created = ScratchFolder(L"cfgini") + L"new.ini";
    DeleteFileW(created.c_str());
    EXPECT_TRUE(CIniFile(created.c_str()).FileExists());
    EXPECT_EQ(ReadBytes(created), Bytes("\xFF\xFE"));
    const std::wstring beside = ProgramFolder() + L"cfgtest-relative.ini";
    DeleteFileW(beside.c_str());
    CIniFile relative(L"cfgtest-relative.ini");
    EXPECT_EQ(ReadBytes(beside), Bytes("\xFF\xFE")) << "a relative path is taken beside the program";
    DeleteFileW(beside.c_str());
    EXPECT_FALSE(CIniFile((ScratchFolder(L"cfgini") + L"no\\such\\folder.ini").c_str()).FileExists());
}

TEST(ConfigEncoding, DetectsMarksUtf16AndUtf8ByContent) {
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    // "<hasBOM> <unicode> <bigEndian> <codePage>"
    const std::pair<Bytes, std::string> cases[] = {
        {"\xFE\xFF\x00\x41", "1 1 1 0"},
        {"\xFF\xFE\x41\x00", "1 1 0 0"},
        {"\xEF\xBB\xBF\x41", "1 0 0 65001"},
        {"\xFF", "0 0 0 0"},
        {Bytes("[\0S\0]\0\r\0\n\0K\0=\0v\0a\0l\0u\0e\0\r\0\n\0", 28), "0 1 0 0"},
        // C4 81 is valid UTF-8; 0x81 has no character in Windows-1252. Wine's
        // Windows-1252 maps it to U+0081, so there the file stays ANSI.
        {"[S]\r\nK=\xC4\x81\xC4\x81\r\n", wine ? "0 0 0 0" : "0 0 0 65001"},
    };
    const std::wstring path = ScratchFolder(L"cfgdetect") + L"file.txt";
    for (const auto& [bytes, want] : cases) {
        WriteBytes(path, bytes);
        BOOL hasBOM = -1, unicode = -1, bigEndian = -1;
        UINT codePage = 1;
        EXPECT_TRUE(DetectTextEncoding(path.c_str(), hasBOM, unicode, bigEndian, codePage));
        EXPECT_EQ(std::to_string(hasBOM) + " " + std::to_string(unicode) + " " + std::to_string(bigEndian) + " " +
                      std::to_string(codePage),
                  want)
            << testing::PrintToString(bytes);
    }
    BOOL hasBOM, unicode, bigEndian;
    UINT codePage;
    EXPECT_FALSE(DetectTextEncoding((path + L".missing").c_str(), hasBOM, unicode, bigEndian, codePage));
}

// Through the loaded DLL: an exempt application is missing from the
// MODE_APPWATCH report. Folder exemptions are checked on the lists and on
// records (ExemptionTest): the stand-in is a 64-bit program, whose image
// path a 32-bit module sees in device form, which no configured folder can name.
TEST(ConfigExemption, ExemptsByConfiguredNameReadAtTheFirstInitialOnly) {
    TestApp app(L"cfgapp.exe", L"CfgTestClass", {L"Config test app"});
    ASSERT_TRUE(app.Started());
    // Whether the next report lists the stand-in.
    const auto reported = [&](TestHost& host) {
        host.StartRestrict(MODE_APPWATCH);
        EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }, 60000));
        host.StopRestrict(MODE_APPWATCH);
        for (const auto& note : host.Received(WM_RA_APPWATCH_REPORT))
            for (const auto& record : note.report)
                if (record.dwProcessId == app.Pid()) return true;
        return false;
    };
    const Bytes exempt = Utf16(ExeIni(L"1", L"APP_EXE1=CfgApp.EXE\n"));
    {
        TestHost host;
        host.baseFolder = BaseWithIni(L"cfghost", exempt);
        host.Initial();
        EXPECT_FALSE(reported(host)) << "named in the file";
    }
    TestHost host;
    host.baseFolder = BaseWithIni(L"cfgreread", "");
    host.Initial();
    WriteBytes(host.baseFolder + L"Config\\Restrict.ini", exempt);
    host.Initial();
    EXPECT_TRUE(reported(host)) << "named only after the first Initial";
}
