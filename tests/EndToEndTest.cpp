// The real Tarvendel.exe, started with exact command lines.
#include "startup/Config.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

#include "InitialSettings.h"

using namespace test;

namespace {

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = temp / L"App";
        MakeFolder(app);
        exe = app + L"\\Tarvendel.exe";
        ASSERT_TRUE(CopyFileW(TarvendelExe().c_str(), exe.c_str(), FALSE));
        game = std::make_unique<GameFolder>(temp / L"Soldat Game");
        demo = temp / L"Downloads";
        MakeFolder(demo);
        demo += L"\\final round.sdm";
        WriteBytes(demo, "a recorded round");
    }
    void WriteIni(std::int16_t freeCam, std::int16_t noText, std::int16_t extract, std::int16_t speed) {
        MainModule::SoldatPath = game->path;
        Config::DefFreeCam = freeCam;
        Config::DefNoText = noText;
        Config::DefExtract = extract;
        Config::DefSpeed = speed;
        WriteSettings(app + L"\\Tarvendel.ini");
    }

    TempDir temp;
    std::wstring app, exe, demo;
    std::unique_ptr<GameFolder> game;
};

TEST_F(EndToEndTest, WithoutSettingsFileItSaysSoAndEndsWithNoOtherWindow) {
    Process tarvendel(exe, L"-c " + demo);
    ASSERT_TRUE(tarvendel.Started());
    HWND box = tarvendel.WaitForWindow(L"#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), L"Vornak's Tarvendel");
    EXPECT_EQ(MessageBoxText(box), L"'" + app + L"\\Tarvendel.ini' does not exist.\r\nPlease reinstall Tarvendel.");
    EXPECT_EQ(tarvendel.Windows(), std::vector<HWND>{box});
    PressButton(box, IDOK);
    DWORD exitCode = 0;
    ASSERT_TRUE(tarvendel.Wait(10000, &exitCode));
    EXPECT_EQ(exitCode, 1u);
}

TEST_F(EndToEndTest, ADemoPathAlonePlaysTheDemoWithTheDefaults) {
    WriteIni(1, 0, 1, 150);
    // As a shell may pass it: in quotes, with blanks after them.
    Process tarvendel(exe, L"\"" + demo + L"\"   ");
    ASSERT_TRUE(tarvendel.Started());
    DWORD exitCode = 99;
    ASSERT_TRUE(tarvendel.Wait(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    ASSERT_TRUE(DeleteWhenEnded(game->path + L"\\Soldat.exe")); // every game it started has recorded itself
    auto launches = LaunchesOf(game->path);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, L"\"" + game->path + L"\\Soldat.exe\" -demo final round 1 150 0 1");
    EXPECT_EQ(ReadBytes(game->Demo(L"final round.sdm")), "a recorded round");
}

TEST_F(EndToEndTest, DashCShowsThePlayOptionsWindow) {
    WriteBytes(app + L"\\Tarvendel.ini", InitialSettings()); // as the setup and the zips install it
    Process tarvendel(exe, L"-c " + demo);
    HWND window = tarvendel.WaitForWindow(L"Tarvendel.Form1");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(window), L"Vornak's Tarvendel");
    EXPECT_EQ(tarvendel.Windows().size(), 1u);
}

namespace {
struct ClassSearch {
    const wchar_t* className;
    DWORD exceptPid;
    HWND found;
};
BOOL CALLBACK FindOtherProcessWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->exceptPid && IsWindowVisible(hwnd) && ClassOf(hwnd) == search->className) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

TEST_F(EndToEndTest, SavingTheSettingsWithARestartStartsANewLibrary) {
    WriteIni(0, 0, 0, 100);
    Process tarvendel(exe, L"");
    HWND library = tarvendel.WaitForWindow(L"Tarvendel.Form4");
    ASSERT_NE(library, nullptr);
    HWND settingsButton = FindWindowExW(library, nullptr, L"Button", L"Settings");
    ASSERT_NE(settingsButton, nullptr);
    PostMessageW(settingsButton, BM_CLICK, 0, 0);
    HWND settings = tarvendel.WaitForWindow(L"Tarvendel.Form3");
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(library); }));
    PostMessageW(FindWindowExW(settings, nullptr, L"Button", L"Save configuration"), BM_CLICK, 0, 0);
    HWND question = tarvendel.WaitForWindow(L"#32770");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(MessageBoxText(question), L"Successfully saved your settings! You need to restart Tarvendel.\r\n"
                                        L"Do you want to restart Tarvendel now?");
    PressButton(question, IDYES);
    DWORD exitCode = 99;
    ASSERT_TRUE(tarvendel.Wait(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);

    ClassSearch search{L"Tarvendel.Form4", tarvendel.Id(), nullptr};
    PumpUntil(
        [&] {
            EnumWindows(&FindOtherProcessWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        10000);
    ASSERT_NE(search.found, nullptr) << "no new library window";
    DWORD newPid = 0;
    GetWindowThreadProcessId(search.found, &newPid);
    HANDLE restarted = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, newPid);
    ASSERT_NE(restarted, nullptr);
    TerminateProcess(restarted, 0);
    WaitForSingleObject(restarted, 5000);
    CloseHandle(restarted);
    EXPECT_EQ(Config::ReadIni(app + L"\\Tarvendel.ini", L"Defaults", L"Speed"), L"100");
}

} // namespace
