// The splash: its fade, its hold and the launch that follows.
#include "library/Form4.h"
#include "options/Form1.h"
#include "startup/Config.h"
#include "startup/Form2.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

using namespace test;

namespace {

class SplashTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        MakeFolder(temp / L"My Demos");
        demo = temp / L"My Demos\\final round.sdm";
        WriteBytes(demo, "round");
        MainModule::ArgumentString = demo;
    }

    // Shows the splash and runs its timer until the program ends, noting the
    // opacity after every tick.
    std::vector<int> RunSplash() {
        Form2& splash = Form2::Get();
        splash.Show();
        std::vector<int> alphas;
        ULONGLONG deadline = GetTickCount64() + 15000;
        while (!host.ended && GetTickCount64() < deadline) {
            MSG message;
            if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
                continue;
            }
            bool fadeTick = message.message == WM_TIMER && message.hwnd == splash.Hwnd();
            DispatchMessageW(&message);
            if (fadeTick) {
                BYTE alpha = 0;
                DWORD flags = 0;
                GetLayeredWindowAttributes(splash.Hwnd(), nullptr, &alpha, &flags);
                alphas.push_back(alpha);
            }
        }
        return alphas;
    }

    std::wstring demo;
};

TEST_F(SplashTest, FadesInInSeventeenStepsHoldsThenLaunchesAndEnds) {
    ULONGLONG loaded = NowTicks();
    std::vector<int> alphas = RunSplash();

    std::vector<int> expected;
    for (int alpha = 15; alpha <= 255; alpha += 15) expected.push_back(alpha);
    expected.push_back(255); // the eighteenth tick: fully opaque, never 270
    EXPECT_EQ(alphas, expected);

    Form2& splash = Form2::Get();
    LONG exStyle = GetWindowLongW(splash.Hwnd(), GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(splash.IsVisible());
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 0u);
    EXPECT_TRUE(host.messages.empty());

    // The whole argument string, blanks and all, is the demo.
    auto launches = WaitForLaunches(game->path);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, game->path + L"\\Soldat.exe -demo final round 0 100 0 0");
    // Not before eighteen ticks and the hold.
    const ULONGLONG minimum = (18 * Form2::kFadeInterval + Form2::kHold) * 10000ULL;
    EXPECT_GE(launches[0].startTime - loaded, minimum);
}

TEST_F(SplashTest, AMissingGameIsReportedThenTheProgramEnds) {
    ASSERT_TRUE(DeleteFileW((game->path + L"\\Soldat.exe").c_str()));
    RunSplash();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, L"Can not find Soldat.exe! Please check your settings.");
    // Owned by the banner, or the box would open behind it: it is topmost.
    EXPECT_EQ(host.messages[0].owner, Form2::Get().Hwnd());
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 1u);
    EXPECT_EQ(host.endCount, 1);
    EXPECT_FALSE(Form2::Get().IsVisible());
    EXPECT_EQ(Form1::Existing(), nullptr);
    EXPECT_EQ(Form4::Existing(), nullptr);
}

TEST_F(SplashTest, AMissingDemoIsReportedWhileTheBannerIsUp) {
    MainModule::ArgumentString = temp / L"My Demos\\gone.sdm";
    bool bannerUp = false;
    host.onMessage = [&](const Message&) { bannerUp = Form2::Get().IsVisible(); };
    RunSplash();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, L"'" + MainModule::ArgumentString + L"' does not exist.");
    EXPECT_TRUE(bannerUp);
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.endCount, 1);
    EXPECT_EQ(host.exitCode, 1u);
}

} // namespace
