// The real Tarvendel.exe, started with exact command lines.
#include "support/Harness.h"

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
    void WriteIni(int freeCam, int noText, int extract, int speed) {
        WriteSettings(app + L"\\Tarvendel.ini", game->path, freeCam, noText, extract, speed);
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
    Process tarvendel(exe, demo);
    ASSERT_TRUE(tarvendel.Started());
    DWORD exitCode = 99;
    ASSERT_TRUE(tarvendel.Wait(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    auto launches = WaitForLaunches(game->path);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine,
              L"\"" + game->path + L"\\Soldat.exe\" -demo final round 1 150 0 1");
    EXPECT_EQ(ReadBytes(game->Demo(L"final round.sdm")), "a recorded round");
}

TEST_F(EndToEndTest, DashCShowsThePlayOptionsWindow) {
    WriteIni(0, 0, 0, 100);
    Process tarvendel(exe, L"-c " + demo);
    HWND window = tarvendel.WaitForWindow(L"Tarvendel.Form1");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(window), L"Vornak's Tarvendel");
    EXPECT_EQ(tarvendel.Windows().size(), 1u);
}

} // namespace
