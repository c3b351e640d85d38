// The settings window: defaults edited in place, the save, the restart and
// the hand-back to the window that opened it.
#include "library/Form4.h"
#include "options/Form1.h"
#include "options/Form3.h"
#include "startup/Config.h"
#include "startup/Files.h"
#include "startup/MainModule.h"
#include "support/FolderDialog.h"
#include "support/Harness.h"

#include <thread>
#include <tuple>

using namespace test;

namespace {

class SettingsWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Config::IniFile = temp / L"Tarvendel.ini";
        WriteBytes(Config::IniFile, "[Soldat]\r\nPath=C:\\Old\r\n");
        MainModule::SoldatPath = L"C:\\Games\\Soldat";
        Config::DefSpeed = 100;
        Config::PlaySpeed = 100;
        // The settings window is always opened from the library or the play options.
        Form4::Get().Show();
        Form4::Get().SetEnabled(false);
    }
    Form3& Open() {
        Form3& form = Form3::Get();
        form.Show();
        return form;
    }
    static void Click(HWND button) {
        ASSERT_TRUE(IsWindowEnabled(button));
        SendMessageW(button, BM_CLICK, 0, 0);
    }
    std::wstring Ini(const wchar_t* section, const wchar_t* key) {
        return Config::ReadIni(Config::IniFile, section, key);
    }
    // The save said why it failed (what names the case) and left the file as unchanged holds it.
    void ExpectRefused(const wchar_t* what, const std::wstring& why) {
        ASSERT_EQ(host.messages.size(), 1u) << what;
        const std::wstring& text = host.messages[0].text;
        EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONERROR)) << what;
        EXPECT_EQ(text.find(L"Could not save the settings to '" + Config::IniFile + L"': " + why), 0u)
            << what << ": " << std::string(text.begin(), text.end());
        EXPECT_NE(text.find(L"\r\nThe settings were not changed."), std::wstring::npos) << what;
        EXPECT_EQ(ReadBytes(Config::IniFile), unchanged) << what;
        EXPECT_EQ(NamesIn(temp.Path()), std::vector<std::wstring>{L"Tarvendel.ini"}) << what;
        EXPECT_TRUE(Form3::Get().IsVisible()) << what;
        EXPECT_FALSE(Form4::Get().IsEnabled()) << what;
        EXPECT_FALSE(host.ended) << what;
        host.messages.clear();
    }
    static inline const std::wstring kQuestion =
        L"Successfully saved your settings! You need to restart Tarvendel.\r\nDo you want to restart Tarvendel now?";
    std::string unchanged;
};

TEST_F(SettingsWindowTest, OpensWithTheSharedValues) {
    Config::DefFreeCam = 0;
    Config::DefNoText = 1;
    Config::DefExtract = 0;
    Config::DefSpeed = 75;
    Form3& form = Open();
    EXPECT_EQ(TextOf(form.TSoldatPath), L"C:\\Games\\Soldat");
    EXPECT_EQ(SendMessageW(form.CNoText, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(form.CFreeCam, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ASSERT_TRUE(PumpUntil([&] { return TextOf(form.SpeedT) == L"75%"; }));

    // A missing Path key reads as "0", shown as it is.
    ui::ResetAllWindows();
    MainModule::SoldatPath = L"0";
    EXPECT_EQ(TextOf(Open().TSoldatPath), L"0");
}

TEST_F(SettingsWindowTest, BoxesAndSliderChangeTheDefaultsAtOnceAndCancelKeepsThem) {
    Form3& form = Open();
    Click(form.CFreeCam);
    Click(form.CExtractDemo);
    EXPECT_EQ(Config::DefFreeCam, 1);
    EXPECT_EQ(Config::DefExtract, 1);
    SendMessageW(form.Speed, WM_KEYDOWN, VK_HOME, 0);
    ASSERT_TRUE(PumpUntil([&] { return Config::DefSpeed == 1; }));
    EXPECT_EQ(Config::PlayFreeCam, 0); // the play values are not the defaults
    EXPECT_EQ(Config::PlaySpeed, 100);

    Click(form.BCancel);
    EXPECT_FALSE(form.IsVisible());
    EXPECT_EQ(Config::DefFreeCam, 1);
    EXPECT_EQ(Ini(L"Defaults", L"FreeCam"), L"0"); // nothing saved

    Form4::Get().SetEnabled(false);
    form.Show(); // shown again as it was left
    EXPECT_EQ(SendMessageW(form.CFreeCam, BM_GETCHECK, 0, 0), BST_CHECKED);
    DeleteFileW(Config::IniFile.c_str()); // meanwhile: the save writes a plain file anew
    host.Answer(IDNO);
    Click(form.BSave);
    EXPECT_EQ(Ini(L"Defaults", L"FreeCam"), L"1");
    EXPECT_EQ(Ini(L"Defaults", L"Speed"), L"1");
    EXPECT_EQ(MainModule::FileExists(Config::IniFile), MainModule::True); // found by the next start
}

TEST_F(SettingsWindowTest, SaveWritesTheFiveKeysInOrderAndNoReturnsToTheOpener) {
    Config::DefSpeed = 1;
    Form3& form = Open();
    SetWindowTextW(form.TSoldatPath, L"D:\\Spiele\\Soldat\\");
    ASSERT_TRUE(PumpUntil([&] { return TextOf(form.SpeedT) == L"1%"; }));
    host.Answer(IDNO);
    Click(form.BSave);

    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, kQuestion);
    EXPECT_EQ(host.messages[0].owner, form.Hwnd());
    EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(host.messages[0].Buttons(), static_cast<UINT>(MB_YESNO));
    std::string text = ReadBytes(Config::IniFile);
    size_t freeCam = text.find("FreeCam=0"), noText = text.find("NoText=0"), extract = text.find("Extract=0"),
           speed = text.find("Speed=1\r\n"), path = text.find("Path=D:\\Spiele\\Soldat\\\r\n");
    ASSERT_NE(path, std::string::npos) << text;
    ASSERT_NE(speed, std::string::npos) << text;
    EXPECT_LT(freeCam, noText);
    EXPECT_LT(noText, extract);
    EXPECT_LT(extract, speed);
    EXPECT_EQ(text.find("C:\\Old"), std::string::npos);

    EXPECT_FALSE(form.IsVisible());
    EXPECT_TRUE(Form4::Get().IsEnabled());
    EXPECT_FALSE(host.ended);
    EXPECT_EQ(MainModule::SoldatPath, L"C:\\Games\\Soldat"); // takes effect at the next start
}

TEST_F(SettingsWindowTest, CancelHandsBackToWhicheverOpenerIsShown) {
    Form4::Get().Hide();
    MainModule::DemoFile = L"C:\\x.sdm";
    Form1& options = Form1::Get();
    options.Show();
    SendMessageW(options.BSettings, BM_CLICK, 0, 0);
    EXPECT_FALSE(options.IsEnabled());
    Form3& form = Form3::Get();
    EXPECT_TRUE(form.IsVisible());
    Click(form.BCancel);
    EXPECT_TRUE(options.IsEnabled());
    EXPECT_FALSE(Form4::Get().IsVisible());
    EXPECT_FALSE(host.ended);

    // With neither shown, nothing would be left on screen: the end.
    options.Hide();
    form.Show();
    Click(form.BCancel);
    EXPECT_TRUE(host.ended);
}

TEST_F(SettingsWindowTest, YesRestartsTheProgramByItsFullPathWithNoArguments) {
    // A stand-in named like the program, in a folder with a blank, and a
    // decoy where an unquoted path would be cut.
    MakeFolder(temp / L"My Tools");
    std::wstring exe = temp / L"My Tools\\Tarvendel.v1.2.exe";
    ASSERT_TRUE(CopyFileW(StandInGame().c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(StandInGame().c_str(), (temp / L"My.exe").c_str(), FALSE));
    MainModule::ExePath = exe;

    Form3& form = Open();
    host.Answer(IDYES);
    Click(form.BSave);
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 0u);
    EXPECT_FALSE(form.IsVisible());
    auto launches = WaitForLaunches(temp / L"My Tools");
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, L"\"" + exe + L"\"");
    EXPECT_EQ(launches[0].currentFolder, temp / L"My Tools");
    // Once nothing runs from either file, every start has recorded itself.
    ASSERT_TRUE(DeleteWhenEnded(exe) && DeleteWhenEnded(temp / L"My.exe"));
    EXPECT_EQ(LaunchesOf(temp / L"My Tools").size(), 1u);
    EXPECT_TRUE(LaunchesOf(temp.Path()).empty());
}

TEST_F(SettingsWindowTest, ARestartThatCannotStartIsReportedAndTheOpenerTakesOver) {
    MainModule::ExePath = temp / L"gone\\Tarvendel.exe";
    Form3& form = Open();
    host.Answer(IDYES);
    Click(form.BSave);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].text.find(L"Could not restart Tarvendel ('" + MainModule::ExePath + L"'): "), 0u);
    EXPECT_FALSE(host.ended);
    EXPECT_FALSE(form.IsVisible());
    EXPECT_TRUE(Form4::Get().IsEnabled());
}

TEST_F(SettingsWindowTest, ASaveThatFailsChangesNothingAndSaysSo) {
    WriteBytes(Config::IniFile, "; my notes\r\n[Soldat]\r\nPath=C:\\game\r\n[Mine]\r\nKeep=1\r\n");
    unchanged = ReadBytes(Config::IniFile);
    Form3& form = Open();
    // A path the file's code page cannot hold is refused before anything is written.
    SetWindowTextW(form.TSoldatPath, L"C:\\\x0418\x0433\x0440\x0430");
    Click(form.BSave);
    ExpectRefused(L"code page", L"the value of Path in [Soldat] ('C:\\\x0418\x0433\x0440\x0430') holds characters");

    // A line break passes that check but not the file: reading the copy back finds it.
    SetWindowTextW(form.TSoldatPath, L"C:\\Sol\r\ndat");
    Click(form.BSave);
    ExpectRefused(L"line break", L"the value of Path in [Soldat] read back as 'C:\\Sol' instead of 'C:\\Sol\r\ndat'");

    // A copy that cannot be written is named; a folder of its name stays.
    SetWindowTextW(form.TSoldatPath, L"C:\\Soldat");
    MakeFolder(Config::IniFile + L".saving");
    Click(form.BSave);
    EXPECT_TRUE(RemoveDirectoryW((Config::IniFile + L".saving").c_str()));
    ExpectRefused(L"copy", L"its copy '" + Config::IniFile + L".saving' could not be written: ");

    // A hold that outlasts the wait fails the step it stops: a file another
    // program holds open without sharing cannot be read...
    HANDLE locked = CreateFileW(Config::IniFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    Click(form.BSave);
    CloseHandle(locked);
    ExpectRefused(L"locked", L"the file could not be read: ");

    // ... and one it holds open for reading cannot be replaced.
    HANDLE reading = CreateFileW(Config::IniFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
    ASSERT_NE(reading, INVALID_HANDLE_VALUE);
    Click(form.BSave);
    CloseHandle(reading);
    ExpectRefused(L"open for reading", L"the file could not be replaced: ");

    // A file marked as UTF-8 with bytes that are not would lose them.
    WriteBytes(Config::IniFile, unchanged = "\xEF\xBB\xBF; caf\xE9\r\n[Soldat]\r\nPath=C:\\game\r\n");
    Click(form.BSave);
    ExpectRefused(L"not UTF-8", L"the file is marked as UTF-8 but holds bytes that are not UTF-8");

    // A folder that is not there.
    Config::IniFile = temp / L"missing\\Tarvendel.ini";
    Click(form.BSave);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.find(L"Could not save the settings to '" + Config::IniFile + L"': "), 0u);
    EXPECT_FALSE(Exists(temp / L"missing"));
}

TEST_F(SettingsWindowTest, ASaveWaitsOutABriefHoldAndKeepsEveryCharacter) {
    // A save waits out a brief hold on the file, or on a copy left behind, and
    // removes that copy. UTF-8, with or without its mark, and UTF-16 BE become
    // UTF-16 LE, the form Windows reads; UTF-16 LE stays; each holds any
    // character. A hidden system file stays so, in deep folders too: where the
    // copy's path is MAX_PATH long (the profile functions refuse that), and deeper.
    Form3& form = Open();
    const std::wstring top = temp / std::wstring(120, L'd'), copy = L"\\Tarvendel.ini.saving";
    const std::wstring deep = top + L"\\" + std::wstring(MAX_PATH - top.size() - 1 - copy.size(), L'e');
    const std::wstring deeper = top + L"\\" + std::wstring(120, L'e');
    for (const std::wstring& folder : {top, deep, deeper}) MakeFolder(folder);
    const DWORD hiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const std::wstring head = L"; my notes \x00FC\x2713\r\n[Soldat]\r\nPath=", tail = L"\r\n[Mine]\r\nKeep=1\r\n";
    const std::wstring path = L"D:\\Spiele\\S\x00F6ldat \x0418";
    SetWindowTextW(form.TSoldatPath, path.c_str());
    // Held up in turn: reading the file, replacing it, removing the old copy,
    // writing the new one while the old one is still being deleted.
    using Case = std::tuple<UINT, const wchar_t*, const wchar_t*, DWORD, const std::wstring*>;
    for (auto [codePage, mark, held, sharing, folder] :
         {Case{CP_UTF8, L"", L"", 0, &deep}, Case{CP_UTF8, L"\xFEFF", L"", FILE_SHARE_READ, &deeper},
          Case{1200, L"\xFEFF", L".saving", 0, &deep}, Case{1201, L"\xFEFF", L".saving", FILE_SHARE_DELETE, &deeper}}) {
        SCOPED_TRACE(testing::Message() << "code page " << codePage << (*mark ? " with mark" : ""));
        Config::IniFile = *folder + L"\\Tarvendel.ini";
        WriteBytes(Config::IniFile, Encode(mark + head + L"C:\\game" + tail, codePage));
        WriteBytes(Config::IniFile + L".saving", "left over");
        SetFileAttributesW((Config::IniFile + L".saving").c_str(), FILE_ATTRIBUTE_READONLY);
        SetFileAttributesW(Config::IniFile.c_str(), hiddenSystem);
        HANDLE hold = CreateFileW((Config::IniFile + held).c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        ASSERT_NE(hold, INVALID_HANDLE_VALUE);
        std::thread letGo([hold] {
            Sleep(300);
            CloseHandle(hold);
        });
        host.Answer(IDNO);
        Click(form.BSave);
        letGo.join();
        EXPECT_EQ(ReadUtf16(Config::IniFile).find(L"\xFEFF" + head + path + tail), 0u);
        EXPECT_EQ(Ini(L"Soldat", L"Path"), path);
        EXPECT_EQ(NamesIn(*folder), std::vector<std::wstring>{L"Tarvendel.ini"});
        EXPECT_EQ(GetFileAttributesW(Config::IniFile.c_str()) & hiddenSystem, hiddenSystem);
        SetFileAttributesW(Config::IniFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(SettingsWindowTest, AReadOnlySettingsFileIsNotClaimedAsSaved) {
    SetFileAttributesW(Config::IniFile.c_str(), FILE_ATTRIBUTE_READONLY);
    std::string before = ReadBytes(Config::IniFile);
    Form3& form = Open();
    Click(form.BSave);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.find(L"Could not save the settings to '" + Config::IniFile +
                                         L"': the file is read-only"),
              0u);
    EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(form.IsVisible());
    EXPECT_FALSE(Form4::Get().IsEnabled());
    EXPECT_EQ(ReadBytes(Config::IniFile), before);
}

TEST_F(SettingsWindowTest, BrowseSetsThePathOrLeavesItWhenCancelled) {
    Form3& form = Open();
    {
        FolderDialog dialog(L"");
        Click(form.Browse);
        EXPECT_TRUE(FolderDialog::Opened());
        EXPECT_TRUE(FolderDialog::TitleShown());
    }
    EXPECT_EQ(TextOf(form.TSoldatPath), L"C:\\Games\\Soldat");

    // Wine's folder tree does not open the hidden folders on the way to the
    // temporary folder, so the chosen folder lies at the top of the drive.
    std::wstring top = L"C:\\tarvendel-browse-" + std::to_wstring(GetCurrentProcessId());
    MakeFolder(top);
    MakeFolder(top + L"\\Soldat Game");
    {
        FolderDialog dialog(top + L"\\Soldat Game");
        Click(form.Browse);
        EXPECT_TRUE(FolderDialog::Opened());
    }
    RemoveTree(top);
    EXPECT_EQ(TextOf(form.TSoldatPath), top + L"\\Soldat Game");
}

} // namespace
