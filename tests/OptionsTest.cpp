// The play options window, driven in-process.
#include "library/Form4.h"
#include "options/Form1.h"
#include "options/Form3.h"
#include "startup/Config.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

#include <commctrl.h>

using namespace test;

namespace {

class OptionsTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        MainModule::DemoFile = game->Demo(L"final round.sdm");
        WriteBytes(MainModule::DemoFile, "round");
    }
    Form1& Open() {
        Form1& form = Form1::Get();
        form.Show();
        return form;
    }
    static void Key(HWND control, UINT key) {
        SendMessageW(control, WM_KEYDOWN, key, 0);
        SendMessageW(control, WM_KEYUP, key, 0);
    }
};

TEST_F(OptionsTest, OpensWithThePlayValuesShown) {
    Config::PlayFreeCam = 1;
    Config::PlayNoText = 0;
    Config::PlayExtract = 2; // anything but 0 shows ticked
    Form1& form = Open();
    ASSERT_TRUE(form.IsVisible());
    EXPECT_EQ(TextOf(form.Label1), MainModule::TitleText);
    EXPECT_EQ(SendMessageW(form.CFreeCam, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(form.CNoText, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(form.CExtractDemo, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Config::PlayExtract, 2); // showing a value does not change it
}

TEST_F(OptionsTest, TheSpeedBoxFollowsTheSliderFromTheFirstTick) {
    Config::PlaySpeed = 50;
    Form1& form = Open();
    EXPECT_EQ(TextOf(form.SpeedT), L"100%");
    ASSERT_TRUE(PumpUntil([&] { return TextOf(form.SpeedT) == L"50%"; }));
    EXPECT_EQ(Config::PlaySpeed, 50);

    EXPECT_EQ(SendMessageW(form.Speed, TBM_GETRANGEMIN, 0, 0), 1);
    EXPECT_EQ(SendMessageW(form.Speed, TBM_GETRANGEMAX, 0, 0), 200);
    Key(form.Speed, VK_END);
    ASSERT_TRUE(PumpUntil([&] { return TextOf(form.SpeedT) == L"200%"; }));
    EXPECT_EQ(Config::PlaySpeed, 200);
    Key(form.Speed, VK_HOME);
    ASSERT_TRUE(PumpUntil([&] { return TextOf(form.SpeedT) == L"1%"; }));
    EXPECT_EQ(Config::PlaySpeed, 1);
    Key(form.Speed, VK_RIGHT); // one step
    ASSERT_TRUE(PumpUntil([&] { return TextOf(form.SpeedT) == L"2%"; }));
    Key(form.Speed, VK_NEXT); // one page
    ASSERT_TRUE(PumpUntil([&] { return TextOf(form.SpeedT) == L"7%"; }));
    EXPECT_EQ(Config::PlaySpeed, 7);
}

TEST_F(OptionsTest, EachCheckBoxSetsItsPlayValue) {
    Form1& form = Open();
    SendMessageW(form.CFreeCam, BM_CLICK, 0, 0);
    EXPECT_EQ(Config::PlayFreeCam, 1);
    SendMessageW(form.CNoText, BM_CLICK, 0, 0);
    EXPECT_EQ(Config::PlayNoText, 1);
    SendMessageW(form.CExtractDemo, BM_CLICK, 0, 0);
    EXPECT_EQ(Config::PlayExtract, 1);
    SendMessageW(form.CFreeCam, BM_CLICK, 0, 0);
    EXPECT_EQ(Config::PlayFreeCam, 0);
    EXPECT_EQ(Config::DefFreeCam, 0); // the defaults stay as they were
    EXPECT_EQ(Config::DefNoText, 0);
}

TEST_F(OptionsTest, PlayLaunchesWithTheWindowsValuesAndEndsTheProgram) {
    Config::PlaySpeed = 150;
    Form1& form = Open();
    ASSERT_TRUE(PumpUntil([&] { return TextOf(form.SpeedT) == L"150%"; }));
    SendMessageW(form.CExtractDemo, BM_CLICK, 0, 0);
    SendMessageW(form.BPlay, BM_CLICK, 0, 0);
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 0u);
    auto launches = WaitForLaunches(game->path);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, game->path + L"\\Soldat.exe -demo final round 0 150 0 1");
}

TEST_F(OptionsTest, PlayWithoutTheGameKeepsTheWindowOpenAndUsable) {
    DeleteFileW((game->path + L"\\Soldat.exe").c_str());
    Form1& form = Open();
    SendMessageW(form.BPlay, BM_CLICK, 0, 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, L"Can not find Soldat.exe! Please check your settings.");
    EXPECT_FALSE(host.ended);
    EXPECT_TRUE(form.IsVisible());
    EXPECT_TRUE(form.IsEnabled());

    SendMessageW(form.BSettings, BM_CLICK, 0, 0);
    EXPECT_TRUE(Form3::Get().IsVisible());
    EXPECT_FALSE(form.IsEnabled());
    EXPECT_TRUE(form.IsVisible());
}

TEST_F(OptionsTest, CancelEndsTheProgramWhenStartedWithDashC) {
    Form1& form = Open();
    SendMessageW(form.BCancel, BM_CLICK, 0, 0);
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 0u);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(OptionsTest, CancelAndTheCloseBoxGoBackToTheLibraryWhenOpenedFromThere) {
    MainModule::FromLibrary = MainModule::True;
    Form1& form = Open();
    SendMessageW(form.BCancel, BM_CLICK, 0, 0);
    EXPECT_FALSE(form.IsVisible());
    ASSERT_NE(Form4::Existing(), nullptr);
    EXPECT_TRUE(Form4::Existing()->IsVisible());
    EXPECT_FALSE(host.ended);

    Form4::Existing()->Hide();
    form.Show();
    SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.IsVisible());
    EXPECT_TRUE(Form4::Existing()->IsVisible());
    EXPECT_FALSE(host.ended);
}

TEST_F(OptionsTest, TheCloseBoxEndsTheProgramWhenStartedWithDashC) {
    Form1& form = Open();
    SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(host.ended);
}

} // namespace
