// The settings file through the real profile functions.
#include "startup/Config.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

#include <cstring>
#include <thread>

using namespace test;

namespace {

class SettingsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        MainModule::ExePath = temp / L"Tarvendel.exe";
        ini = temp / L"Tarvendel.ini";
    }
    void WriteIniText(const std::string& text) { WriteBytes(ini, text); }
    std::wstring ini;
};

TEST_F(SettingsTest, LoadsEveryValueAndCopiesTheDefaultsIntoThePlayValues) {
    WriteIniText(
        "[Soldat]\r\nPath=C:\\Games\\Soldat\r\n[Defaults]\r\nFreeCam=1\r\nNoText=0\r\nExtract=1\r\nSpeed=150\r\n");
    ASSERT_TRUE(Config::LoadSettings());
    EXPECT_EQ(Config::IniFile, ini);
    EXPECT_EQ(MainModule::SoldatPath, L"C:\\Games\\Soldat");
    EXPECT_EQ(Config::DefFreeCam, 1);
    EXPECT_EQ(Config::DefNoText, 0);
    EXPECT_EQ(Config::DefExtract, 1);
    EXPECT_EQ(Config::DefSpeed, 150);
    EXPECT_EQ(Config::PlayFreeCam, 1);
    EXPECT_EQ(Config::PlayNoText, 0);
    EXPECT_EQ(Config::PlayExtract, 1);
    EXPECT_EQ(Config::PlaySpeed, 150);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(host.ended);
}

TEST_F(SettingsTest, MissingKeysAndSectionsReadAsZeroAndQuotesAroundNothingAsEmpty) {
    WriteIniText("[Soldat]\r\nPath=D:\\Soldat\r\n");
    ASSERT_TRUE(Config::LoadSettings());
    EXPECT_EQ(Config::DefFreeCam, 0);
    EXPECT_EQ(Config::DefNoText, 0);
    EXPECT_EQ(Config::DefExtract, 0);
    EXPECT_EQ(Config::DefSpeed, 0);
    EXPECT_EQ(MainModule::SoldatPath, L"D:\\Soldat");

    WriteIniText("[Defaults]\r\nSpeed=90\r\n");
    ASSERT_TRUE(Config::LoadSettings());
    EXPECT_EQ(MainModule::SoldatPath, L"0");
    EXPECT_EQ(Config::PlaySpeed, 90);

    WriteIniText("[Soldat]\r\nPath=\"\"\r\n");
    ASSERT_TRUE(Config::LoadSettings());
    EXPECT_EQ(MainModule::SoldatPath, L"");
}

TEST_F(SettingsTest, BlanksQuotesAndLetterCaseAreForgivenInEveryEncoding) {
    // The same text in the code page, in UTF-8 as Notepad saves it (with and
    // without its byte order mark) and in UTF-16 LE and BE gives the same
    // values, as Windows reads them: a section's name ends at its first "]",
    // or at the line's end, and only the first section of a name counts.
    const std::wstring text =
        L"[soldat] ; old [x]\r\npath = \"D:\\My Spiele\\S\x00F6ldat\" \r\n[ DEFAULTS\r\nfreecam=1\r\n"
        L"\tSPEED=\t150   \r\nSpeed=7\r\nExtract='-1'\r\n[Defaults]\r\nNoText=1\r\n";
    for (auto [codePage, mark] :
         {std::pair{CP_ACP, L""}, {CP_UTF8, L""}, {CP_UTF8, L"\xFEFF"}, {1200, L"\xFEFF"}, {1201, L"\xFEFF"}}) {
        SCOPED_TRACE(testing::Message() << "code page " << codePage << (*mark ? " with mark" : ""));
        WriteIniText(Encode(mark + text, codePage));
        // Another program that has the file open for writing does not keep it from being read.
        HANDLE writer = CreateFileW(ini.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        const bool loaded = Config::LoadSettings();
        CloseHandle(writer);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(MainModule::SoldatPath, L"D:\\My Spiele\\S\x00F6ldat");
        EXPECT_EQ(Config::DefFreeCam, 1);
        EXPECT_EQ(Config::DefSpeed, 150);
        EXPECT_EQ(Config::DefNoText, 0);
        EXPECT_EQ(Config::DefExtract, -1);
    }
}

TEST_F(SettingsTest, ADeepFolderIsReadAndALongPathIsCutTo254Characters) {
    // Windows' own profile functions read nothing in a folder this deep.
    const std::wstring deep = temp / std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e');
    MakeFolder(deep.substr(0, deep.rfind(L'\\')));
    MakeFolder(deep);
    MainModule::ExePath = deep + L"\\Tarvendel.exe";
    ini = deep + L"\\Tarvendel.ini";
    std::string path = "C:\\" + std::string(297, 'p');
    for (std::string mark : {"", "\xEF\xBB\xBF"}) {
        WriteIniText(mark + "[Soldat]\r\nPath=" + path + "\r\n[Defaults]\r\nSpeed=100\r\n");
        ASSERT_TRUE(Config::LoadSettings());
        EXPECT_EQ(Config::DefSpeed, 100);
        EXPECT_EQ(MainModule::SoldatPath.size(), 254u);
        EXPECT_EQ(MainModule::SoldatPath, std::wstring(path.begin(), path.begin() + 254));
    }
}

TEST_F(SettingsTest, AMissingOrUnreadableFileEndsTheProgramAndABriefHoldIsWaitedOut) {
    EXPECT_FALSE(Config::LoadSettings());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, L"'" + ini + L"' does not exist.\r\nPlease reinstall Tarvendel.");
    EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(host.messages[0].Buttons(), static_cast<UINT>(MB_OK));
    EXPECT_TRUE(host.ended);
    EXPECT_NE(host.exitCode, 0u);

    // A file that cannot be read is not taken for one of "0"s...
    WriteIniText("[Defaults]\r\nSpeed=100\r\n");
    HANDLE locked = CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ResetHost();
    EXPECT_FALSE(Config::LoadSettings());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.find(L"The settings file '" + ini + L"' could not be read: "), 0u);
    EXPECT_TRUE(host.ended);

    // ... but a hold of a moment (a virus scanner's) is waited out.
    std::thread letGo([locked] {
        Sleep(300);
        CloseHandle(locked);
    });
    ResetHost();
    EXPECT_TRUE(Config::LoadSettings());
    letGo.join();
    EXPECT_EQ(Config::DefSpeed, 100);
}

TEST_F(SettingsTest, ANumberThatIsNotAWholeNumberStopsTheStartWithAClearReport) {
    // The edges of the range pass unchanged.
    WriteIniText("[Defaults]\r\nFreeCam=-32768\r\nNoText=+7\r\nExtract=0\r\nSpeed=32767\r\n");
    ASSERT_TRUE(Config::LoadSettings());
    EXPECT_EQ(Config::DefFreeCam, -32768);
    EXPECT_EQ(Config::DefNoText, 7);
    EXPECT_EQ(Config::DefSpeed, 32767);
    EXPECT_TRUE(host.messages.empty());

    // A quote at one end only stays: such a value is read as it stands.
    struct Case {
        const char* key;
        const char* value;
    } cases[] = {{"FreeCam", ""},    {"NoText", "abc"},     {"Extract", "1.5"}, {"Speed", "32768"},
                 {"Speed", "40000"}, {"FreeCam", "-32769"}, {"Speed", "0x10"},  {"Speed", "-"},
                 {"FreeCam", "1 0"}, {"Speed", "\"150"},    {"NoText", "1'"}};
    for (const Case& c : cases) {
        ResetHost();
        std::string text =
            "[Soldat]\r\nPath=C:\\Soldat\r\n[Defaults]\r\nFreeCam=0\r\nNoText=0\r\nExtract=0\r\nSpeed=100\r\n";
        std::string line = std::string(c.key) + "=";
        size_t at = text.find(line);
        text.replace(at, text.find("\r\n", at) - at, line + c.value);
        WriteIniText(text);

        EXPECT_FALSE(Config::LoadSettings()) << c.key << "=" << c.value;
        ASSERT_EQ(host.messages.size(), 1u);
        const std::wstring& message = host.messages[0].text;
        std::wstring key(c.key, c.key + strlen(c.key)), value(c.value, c.value + strlen(c.value));
        EXPECT_NE(message.find(ini), std::wstring::npos);
        EXPECT_NE(message.find(L"[Defaults]"), std::wstring::npos);
        EXPECT_NE(message.find(L"'" + key + L"'"), std::wstring::npos);
        EXPECT_NE(message.find(L"'" + value + L"'"), std::wstring::npos);
        EXPECT_NE(message.find(L"whole number from -32768 to 32767"), std::wstring::npos);
        EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONERROR));
        EXPECT_TRUE(host.ended);
        EXPECT_EQ(host.exitCode, 1u);
    }
}

TEST_F(SettingsTest, ReadAndWriteSingleKeys) {
    EXPECT_EQ(Config::ReadIni(ini, L"Soldat", L"Path"), L"0"); // no file yet
    EXPECT_TRUE(Config::WriteIni(ini, L"Soldat", L"Path", L"E:\\Soldat"));
    EXPECT_TRUE(Config::WriteIni(ini, L"Defaults", L"Speed", L"75"));
    EXPECT_EQ(Config::ReadIni(ini, L"Soldat", L"Path"), L"E:\\Soldat");
    EXPECT_EQ(Config::ReadIni(ini, L"Defaults", L"Speed"), L"75");
    EXPECT_EQ(Config::ReadIni(ini, L"Defaults", L"Missing"), L"0");
    EXPECT_TRUE(Config::WriteIni(ini, L"Soldat", L"Path", L""));
    EXPECT_EQ(Config::ReadIni(ini, L"Soldat", L"Path"), L"");

    EXPECT_FALSE(Config::WriteIni(temp / L"no such folder\\Tarvendel.ini", L"Soldat", L"Path", L"x"));
}

} // namespace
