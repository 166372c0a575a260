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
#include <memory>

namespace {

using Bytes = std::string;

Bytes Utf16LeWithBom(const std::wstring& text) {
    Bytes bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

Bytes Narrow8(const std::wstring& text) {
    return Bytes(text.begin(), text.end());
}

void WriteBytes(const std::wstring& path, const Bytes& bytes) {
    std::ofstream(Narrow(path), std::ios::binary | std::ios::trunc) << bytes;
}

Bytes ReadBytes(const std::wstring& path) {
    std::ifstream in(Narrow(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
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

bool IsWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

const wchar_t kRegKey[] = L"Software\\RestrictActionConfigTest";

// Registry values under a scratch HKCU key, deleted again afterwards.
class ScratchRegistry {
public:
    ScratchRegistry() {
        RegCreateKeyExW(HKEY_CURRENT_USER, kRegKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    ~ScratchRegistry() {
        RegCloseKey(key_);
        RegDeleteKeyW(HKEY_CURRENT_USER, kRegKey);
    }
    void Set(const wchar_t* name, const std::wstring& text) {
        RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

private:
    HKEY key_ = nullptr;
};

struct ListCase {
    const char* label;
    std::wstring ini;
    StringList exes;
    StringList paths;
};

}  // namespace

TEST(ConfigLists, FillsExemptListsFromCountsAndNumberedKeys) {
    SetEnvironmentVariableW(L"CFGTEST_DIR", L"C:\\Some\\Dir");
    ScratchRegistry registry;
    registry.Set(L"Folder", L"%CFGTEST_DIR%\\Reg\\");
    registry.Set(nullptr, L"C:\\Default");
    registry.Set(L"TooLong", std::wstring(140, L'x'));
    const std::wstring reg = L"[SYSTEM]\nTHROW_APP_REG_NUM=6\n[THROW_APP_REG]\n"
                             L"APP_REG_KEY1=HKEY_CURRENT_USER\\Software\\RestrictActionConfigTest\nAPP_REG_NAME1=Folder\n"
                             L"APP_REG_KEY2=hkey_current_user\\Software\\RestrictActionConfigTest\nAPP_REG_NAME2=Folder\n"
                             L"APP_REG_KEY3=HKEY_CURRENT_USER\nAPP_REG_NAME3=Folder\n"
                             L"APP_REG_KEY4=HKEY_CURRENT_USER\\Software\\NoSuchKeyForConfigTest\nAPP_REG_NAME4=Folder\n"
                             L"APP_REG_KEY5=HKEY_CURRENT_USER\\Software\\RestrictActionConfigTest\nAPP_REG_NAME5=TooLong\n"
                             L"APP_REG_KEY6=HKEY_CURRENT_USER\\Software\\RestrictActionConfigTest\n";
    const ListCase cases[] = {
        {"lower-cased, in file order", L"[SYSTEM]\nTHROW_APP_EXE_NUM=2\n[THROW_APP_EXE]\nAPP_EXE1=NotePad.EXE\nAPP_EXE2=b.exe\n",
         {L"notepad.exe", L"b.exe"}, {}},
        {"gap kept as empty entry", L"[SYSTEM]\nTHROW_APP_EXE_NUM=3\n[THROW_APP_EXE]\nAPP_EXE1=a.exe\nAPP_EXE3=c.exe\n",
         {L"a.exe", L"", L"c.exe"}, {}},
        {"hex count, entries beyond it unread",
         L"[SYSTEM]\nTHROW_APP_EXE_NUM=0x2\n[THROW_APP_EXE]\nAPP_EXE1=a.exe\nAPP_EXE2=b.exe\nAPP_EXE3=c.exe\n",
         {L"a.exe", L"b.exe"}, {}},
        {"negative count", L"[SYSTEM]\nTHROW_APP_EXE_NUM=-1\n[THROW_APP_EXE]\nAPP_EXE1=a.exe\n", {}, {}},
        {"empty count", L"[SYSTEM]\nTHROW_APP_EXE_NUM=\n[THROW_APP_EXE]\nAPP_EXE1=a.exe\n", {}, {}},
        {"0xFFFFFFF0 is negative", L"[SYSTEM]\nTHROW_APP_EXE_NUM=0xFFFFFFF0\n", {}, {}},
        {"paths expanded", L"[SYSTEM]\nTHROW_APP_PATH_NUM=2\n[THROW_APP_PATH]\nAPP_PATH1=%CFGTEST_DIR%Bin\nAPP_PATH2=D:\\X\\\n",
         {}, {L"c:\\some\\dir\\bin", L"d:\\x"}},
        {"registry pairs after paths, bad pairs skipped",
         reg.substr(0, 9) + L"THROW_APP_PATH_NUM=1\n" + reg.substr(9) + L"[THROW_APP_PATH]\nAPP_PATH1=E:\\First\n",
         {}, {L"e:\\first", L"c:\\some\\dir\\reg", L"c:\\default"}},
    };
    for (const auto& row : cases) {
        LoadedConfig config(BaseWithIni(L"cfglists", Utf16LeWithBom(row.ini)));
        EXPECT_TRUE(config.result) << row.label;
        EXPECT_EQ(config.controller.m_ThrowAppExeList, row.exes) << row.label;
        EXPECT_EQ(config.controller.m_ThrowAppPathList, row.paths) << row.label;
    }
}

TEST(ConfigLists, ReadsTitleListsPerCategoryAsWritten) {
    struct Case {
        const char* label;
        std::wstring ini;
        BOOL useTitleLists;
        std::array<StringList, CATEGORY_COUNT> titles;
    };
    const Case cases[] = {
        {"no count key", L"[SYSTEM]\nTHROW_APP_EXE_NUM=1\n[EXPLORER]\nWINDOW_TITLE1=X\n", FALSE, {}},
        {"a zero count switches to the file's lists", L"[SYSTEM]\nCONTROL_PANEL_NUM=0\n", TRUE, {}},
        {"case kept, right category",
         L"[SYSTEM]\nPRINTER_NUM=2\nAPP_RUN_NUM=1\n[PRINTER]\nWINDOW_TITLE1=Printers\nWINDOW_TITLE2=%WINDIR%\n"
         L"[APP_RUN]\nWINDOW_TITLE1=Run\n",
         TRUE,
         {StringList{}, StringList{}, StringList{}, StringList{L"Printers", L"%WINDIR%"}, StringList{L"Run"},
          StringList{}}},
    };
    for (const auto& row : cases) {
        LoadedConfig config(BaseWithIni(L"cfgtitles", Utf16LeWithBom(row.ini)));
        EXPECT_EQ(config.controller.m_bUseTitleLists, row.useTitleLists) << row.label;
        for (int k = 0; k < CATEGORY_COUNT; ++k)
            EXPECT_EQ(config.controller.m_TitleLists[k], row.titles[k]) << row.label << " category " << k;
    }
}

TEST(ConfigLists, ReadsAnsiUtf8AndUtf16Files) {
    const std::wstring ini = L"\r\n[SYSTEM]\r\nTHROW_APP_EXE_NUM=1\r\n[THROW_APP_EXE]\r\nAPP_EXE1=Tool.EXE\r\n";
    const std::pair<const char*, Bytes> files[] = {
        {"UTF-16LE with mark", Utf16LeWithBom(ini)},
        {"ANSI", Narrow8(ini)},
        // The mark sits on the blank first line, where no reader needs it.
        {"UTF-8 with mark", "\xEF\xBB\xBF" + Narrow8(ini)},
    };
    for (const auto& file : files) {
        LoadedConfig config(BaseWithIni(L"cfgencoding", file.second));
        EXPECT_EQ(config.controller.m_ThrowAppExeList, StringList{L"tool.exe"}) << file.first;
    }
}

TEST(ConfigLists, SurvivesHostileFilesWithBoundedLists) {
    const std::pair<const char*, Bytes> files[] = {
        {"huge decimal counts",
         Narrow8(L"[SYSTEM]\nTHROW_APP_EXE_NUM=2147483647\nTHROW_APP_PATH_NUM=99999999999\nEXPLORER_NUM=2147483647\n")},
        {"long values", Narrow8(L"[SYSTEM]\nTHROW_APP_EXE_NUM=1\n[THROW_APP_EXE]\nAPP_EXE1=" +
                                std::wstring(5000, L'A') + L"\n")},
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
}

TEST(ConfigLists, MissingFileIsNotCreatedAndFolderReadsAsEmpty) {
    const std::wstring missing = ScratchFolder(L"cfgmissing");
    DeleteFileW((missing + L"Config\\Restrict.ini").c_str());
    LoadedConfig none(missing);
    EXPECT_FALSE(none.result);
    EXPECT_EQ(GetFileAttributesW((missing + L"Config\\Restrict.ini").c_str()), INVALID_FILE_ATTRIBUTES);

    const std::wstring folder = ScratchFolder(L"cfgfolder");
    CreateDirectoryW((folder + L"Config").c_str(), nullptr);
    CreateDirectoryW((folder + L"Config\\Restrict.ini").c_str(), nullptr);
    LoadedConfig asFolder(folder);
    EXPECT_TRUE(asFolder.controller.m_ThrowAppExeList.empty());
    EXPECT_FALSE(asFolder.controller.m_bUseTitleLists);
}

TEST(ConfigPathVariables, ExpandsWithOneSeparatorAndStopsAtUnknownVariables) {
    SetEnvironmentVariableW(L"CFGTEST_DIR", L"C:\\Some\\Dir");
    SetEnvironmentVariableW(L"CFGTEST_SUB", L"Sub");
    SetEnvironmentVariableW(L"CFGTEST_LONG", std::wstring(300, L'L').c_str());
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"%CFGTEST_DIR%\\Temp\\", L"c:\\some\\dir\\temp"},
        {L"%CFGTEST_DIR%Temp", L"c:\\some\\dir\\temp"},
        {L"%CFGTEST_DIR%", L"c:\\some\\dir"},
        {L"%CFGTEST_DIR%%CFGTEST_SUB%X", L"c:\\some\\dir\\sub\\x"},
        {L"%NOT_DEFINED_CFGTEST%\\X", L"%not_defined_cfgtest%\\x"},
        {L"%CFGTEST_DIR%\\%NOT_DEFINED_CFGTEST%\\X\\", L"c:\\some\\dir\\%not_defined_cfgtest%\\x"},
        {L"C:\\100%\\A\\", L"c:\\100%\\a"},
        {L"%", L"%"},
        {L"\\\\", L"\\"},
    };
    for (const auto& row : cases) EXPECT_EQ(ExpandPathVariables(row.first), row.second) << Narrow(row.first);
    // Past 259 characters the platform's cut is taken as is; only the bound matters.
    EXPECT_LE(ExpandPathVariables(L"%CFGTEST_LONG%\\A").size(), 262u);
}

TEST(ConfigIniFile, ReadsIntegersInDecimalAndHexAndCutsLongValues) {
    const std::wstring path = ScratchFolder(L"cfgini") + L"values.ini";
    WriteBytes(path, Utf16LeWithBom(L"[S]\nDec=10\nHex=0x10\nHex31=0x1F\nCapital=0X10\nWord=abc\nEmpty=\n"
                                    L"Nine=0x123456789\nAllBits=0xFFFFFFFF\nHuge=99999999999\nLong=" +
                                    std::wstring(300, L'v') + L"\n"));
    const CIniFile ini(path.c_str());
    const std::pair<const wchar_t*, int> cases[] = {
        {L"Dec", 10},   {L"Hex", 16},  {L"Hex31", 31},          {L"Capital", 0},  {L"Word", 0},
        {L"Empty", -1}, {L"None", -1}, {L"Nine", 0x23456789}, {L"AllBits", -1}, {L"Huge", INT_MAX},
    };
    for (const auto& row : cases) EXPECT_EQ(ini.ReadInt(L"S", row.first), row.second) << Narrow(row.first);
    EXPECT_EQ(ini.ReadString(L"S", L"Long"), std::wstring(260, L'v'));
    EXPECT_EQ(ini.ReadString(L"Nowhere", L"Dec"), L"");
}

TEST(ConfigIniFile, CreatesMissingFileAsUtf16MarkOnly) {
    const std::wstring path = ScratchFolder(L"cfgcreate") + L"new.ini";
    DeleteFileW(path.c_str());
    EXPECT_TRUE(CIniFile(path.c_str()).FileExists());
    EXPECT_EQ(ReadBytes(path), Bytes("\xFF\xFE"));
    EXPECT_EQ(GetFileAttributesW(path.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);

    WriteBytes(path, "[S]\nK=1\n");
    EXPECT_EQ(CIniFile(path.c_str()).ReadInt(L"S", L"K"), 1);
    EXPECT_EQ(ReadBytes(path), Bytes("[S]\nK=1\n"));

    const std::wstring relative = L"cfgtest-relative.ini";
    DeleteFileW((ProgramFolder() + relative).c_str());
    CIniFile beside(relative.c_str());
    EXPECT_EQ(ReadBytes(ProgramFolder() + relative), Bytes("\xFF\xFE"));
    DeleteFileW((ProgramFolder() + relative).c_str());

    EXPECT_FALSE(CIniFile((ScratchFolder(L"cfgcreate") + L"no\\such\\folder.ini").c_str()).FileExists());
}

TEST(ConfigEncoding, DetectsMarksUtf16AndUtf8ByContent) {
    struct Case {
        const char* label;
        Bytes bytes;
        BOOL hasBOM, unicode, bigEndian;
        UINT codePage;
    };
    const Case cases[] = {
        {"FE FF", "\xFE\xFF\x00\x41", TRUE, TRUE, TRUE, 0},
        {"FF FE", "\xFF\xFE\x41\x00", TRUE, TRUE, FALSE, 0},
        {"EF BB BF", "\xEF\xBB\xBF\x41", TRUE, FALSE, FALSE, CP_UTF8},
        {"FE then no FF", "\xFE\x41\x42\x43", FALSE, FALSE, FALSE, 0},
        {"one byte", "\xFF", FALSE, FALSE, FALSE, 0},
        {"UTF-16LE by content", Bytes("[\0S\0]\0\r\0\n\0K\0=\0v\0a\0l\0u\0e\0\r\0\n\0", 28), FALSE, TRUE, FALSE, 0},
        {"ANSI", "[S]\r\nK=value\r\n", FALSE, FALSE, FALSE, 0},
        // C4 81 is valid UTF-8; 0x81 has no character in Windows-1252. Wine's
        // Windows-1252 maps it to U+0081, so there the file stays ANSI.
        {"UTF-8 without mark", "[S]\r\nK=\xC4\x81\xC4\x81\r\n", FALSE, FALSE, FALSE,
         IsWine() ? 0u : CP_UTF8},
    };
    const std::wstring path = ScratchFolder(L"cfgdetect") + L"file.txt";
    for (const auto& row : cases) {
        WriteBytes(path, row.bytes);
        BOOL hasBOM = -1, unicode = -1, bigEndian = -1;
        UINT codePage = 1;
        EXPECT_TRUE(DetectTextEncoding(path.c_str(), hasBOM, unicode, bigEndian, codePage)) << row.label;
        EXPECT_EQ(hasBOM, row.hasBOM) << row.label;
        EXPECT_EQ(unicode, row.unicode) << row.label;
        EXPECT_EQ(bigEndian, row.bigEndian) << row.label;
        EXPECT_EQ(codePage, row.codePage) << row.label;
    }
    BOOL hasBOM, unicode, bigEndian;
    UINT codePage;
    EXPECT_FALSE(DetectTextEncoding((path + L".missing").c_str(), hasBOM, unicode, bigEndian, codePage));
    EXPECT_TRUE(DetectTextEncoding(ScratchFolder(L"cfgdetect").c_str(), hasBOM, unicode, bigEndian, codePage));
    EXPECT_FALSE(hasBOM || unicode || bigEndian || codePage);
}

// Through the loaded DLL: an exempt application is missing from the report.
class ConfigExemption : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app_ = new TestApp(L"cfgapp.exe", L"CfgTestClass", {L"Config test app"}); }
    static void TearDownTestSuite() { delete app_; }

    // Whether the next MODE_APPWATCH report lists the test application.
    static bool Reported(TestHost& host) {
        host.StartRestrict(MODE_APPWATCH);
        EXPECT_TRUE(host.WaitFor([&] { return !host.Received(WM_RA_APPWATCH_REPORT).empty(); }, 60000));
        host.StopRestrict(MODE_APPWATCH);
        for (const auto& note : host.Received(WM_RA_APPWATCH_REPORT))
            for (const auto& record : note.report)
                if (record.dwProcessId == app_->Pid()) return true;
        return false;
    }

    static TestApp* app_;
};
TestApp* ConfigExemption::app_ = nullptr;

// Folder exemptions are checked on the lists and on records (ExemptionTest):
// the stand-in is a 64-bit program, whose image path a 32-bit module sees in
// device form, which no configured folder can name.
TEST_F(ConfigExemption, ExemptsByConfiguredName) {
    ASSERT_TRUE(app_->Started());
    struct Case {
        const char* label;
        std::wstring ini;
        bool reported;
    };
    const Case cases[] = {
        {"no exemption", L"[SYSTEM]\nTHROW_APP_EXE_NUM=1\n[THROW_APP_EXE]\nAPP_EXE1=other.exe\n", true},
        {"name", L"[SYSTEM]\nTHROW_APP_EXE_NUM=1\n[THROW_APP_EXE]\nAPP_EXE1=CfgApp.EXE\n", false},
    };
    for (const auto& row : cases) {
        TestHost host;
        host.baseFolder = BaseWithIni(L"cfghost", Utf16LeWithBom(row.ini));
        host.Initial();
        EXPECT_EQ(Reported(host), row.reported) << row.label;
    }
}

TEST_F(ConfigExemption, SecondInitialKeepsTheFirstReading) {
    ASSERT_TRUE(app_->Started());
    TestHost host;
    host.baseFolder = BaseWithIni(L"cfgreread", "");
    host.Initial();
    WriteBytes(host.baseFolder + L"Config\\Restrict.ini",
               Utf16LeWithBom(L"[SYSTEM]\nTHROW_APP_EXE_NUM=1\n[THROW_APP_EXE]\nAPP_EXE1=cfgapp.exe\n"));
    host.Initial();
    EXPECT_TRUE(Reported(host));
}
