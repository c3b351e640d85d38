// Start-up: the argument string, its split and the choice of the first window.
#include "library/Form4.h"
#include "options/Form1.h"
#include "startup/Config.h"
#include "startup/Form2.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

#include "Version.h"

#include <cstdlib>

using namespace test;
using MainModule::ArgumentsOf;
using MainModule::SplitArguments;

namespace {

using Words = std::vector<std::wstring>;

TEST(ArgumentString, IsTheCommandLineAfterTheProgramsPathAndItsBlanks) {
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Program Files\\Tarvendel\\Tarvendel.exe\" -c C:\\a b.sdm"), L"-c C:\\a b.sdm");
    EXPECT_EQ(ArgumentsOf(L"C:\\Tools\\Tarvendel.exe    \"C:\\x y.sdm\""), L"\"C:\\x y.sdm\"");
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Tools\\Tarvendel.exe\""), L"");
    EXPECT_EQ(ArgumentsOf(L"Tarvendel.exe"), L"");
    EXPECT_EQ(ArgumentsOf(L"Tarvendel.exe -c  two blanks "), L"-c  two blanks ");
}

TEST(ArgumentString, SplitsAtEverySingleBlankAndIgnoresQuotes) {
    EXPECT_EQ(SplitArguments(L""), Words{});
    EXPECT_EQ(SplitArguments(L"-c"), Words{L"-c"});
    EXPECT_EQ(SplitArguments(L"-c  x"), (Words{L"-c", L"", L"x"}));
    EXPECT_EQ(SplitArguments(L"\"a b\" c"), (Words{L"\"a", L"b\"", L"c"}));
    EXPECT_EQ(SplitArguments(L"a "), (Words{L"a", L""}));
}

class StartupTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        MainModule::SoldatPath = temp / L"Soldat";
        Config::DefFreeCam = Config::DefExtract = 1;
        Config::DefSpeed = 120;
        WriteSettings(temp / L"Tarvendel.ini");
        Config::ResetState();
        exe = temp / L"Tarvendel.exe";
    }
    // Which of the three first windows are showing: a word and a blank for each.
    std::wstring Shown() const {
        std::wstring shown;
        if (Form4::Existing() && Form4::Existing()->IsVisible()) shown += L"library ";
        if (Form1::Existing() && Form1::Existing()->IsVisible()) shown += L"options ";
        if (Form2::Existing() && Form2::Existing()->IsVisible()) shown += L"splash ";
        return shown;
    }
    std::wstring exe;
};

TEST_F(StartupTest, NoArgumentsOpenTheLibrary) {
    MainModule::Start(L"", exe);
    EXPECT_EQ(Shown(), L"library ");
    EXPECT_TRUE(MainModule::CmdArgs.empty());
    EXPECT_EQ(MainModule::ArgCount, 0);
    // The about line names the release of project()'s version in CMakeLists.txt.
    const std::wstring release = std::to_wstring(TARVENDEL_VERSION_MAJOR) + L"." +
                                 std::to_wstring(TARVENDEL_VERSION_MINOR);
    EXPECT_EQ(TextOf(Form4::Get().Label1), L"Tarvendel v" + release + L" - by Vornak - tarvendel.org");
    EXPECT_EQ(Config::IniFile, temp / L"Tarvendel.ini");
    EXPECT_EQ(Config::PlaySpeed, 120);
    EXPECT_EQ(Config::PlayFreeCam, 1);
    EXPECT_FALSE(host.ended);
    // The common controls of the manifest's version 6, from Windows' side-by-side store.
    wchar_t comctl[MAX_PATH] = L"";
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), comctl, MAX_PATH);
    EXPECT_NE(std::wstring(CharLowerW(comctl)).find(L"\\winsxs\\"), std::wstring::npos) << comctl;
}

TEST_F(StartupTest, DashCOpensThePlayOptionsForThePathThatFollows) {
    struct Case {
        std::wstring arguments, demoFile;
    } cases[] = {
        {L"-c C:\\My Demos\\final round.sdm", L"C:\\My Demos\\final round.sdm"},
        {L"-c", L""},
        {L"-c  C:\\x.sdm", L" C:\\x.sdm"},
        {L"-c \"C:\\quoted.sdm\"", L"\"C:\\quoted.sdm\""},
    };
    for (const Case& c : cases) {
        MainModule::DemoFile.clear();
        MainModule::Start(c.arguments, exe);
        EXPECT_EQ(Shown(), L"options ") << std::string(c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(MainModule::DemoFile, c.demoFile);
        EXPECT_NE(MainModule::ArgCount, 0);
        ui::ResetAllWindows();
    }
}

TEST_F(StartupTest, AnythingElseIsADemoPathForTheSplash) {
    for (std::wstring arguments : {L"C:\\My Demos\\final round.sdm", L"-C x.sdm", L"-cx.sdm", L"\"C:\\q.sdm\""}) {
        MainModule::Start(arguments, exe);
        EXPECT_EQ(Shown(), L"splash ") << std::string(arguments.begin(), arguments.end());
        EXPECT_EQ(MainModule::ArgumentString, arguments);
        EXPECT_TRUE(MainModule::DemoFile.empty());
        ui::ResetAllWindows();
    }
}

TEST_F(StartupTest, WithoutSettingsFileOnlyTheMessageIsShown) {
    DeleteFileW((temp / L"Tarvendel.ini").c_str());
    for (std::wstring arguments : {L"", L"-c x.sdm", L"x.sdm"}) {
        ResetHost();
        MainModule::Start(arguments, exe);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text,
                  L"'" + temp / L"Tarvendel.ini" + L"' does not exist.\r\nPlease reinstall Tarvendel.");
        EXPECT_TRUE(host.ended);
        EXPECT_EQ(Shown(), L"");
    }
}

// DLLs beside the program, named as one that Windows loads on demand and as
// no system DLL: none is loaded after the start-up step, through
// LoadSystemLibrary, or (the first) after the preload for Windows 7 without
// KB2533623. Wine prefers such a copy, as Windows does, only when told (n,b).
TEST(DllSearch, NothingPlantedBesideTheProgramIsLoaded) {
    TempDir folder;
    ASSERT_TRUE(CopyFileW(MainModule::ModulePath().c_str(), (folder / L"probe.exe").c_str(), FALSE));
    for (const wchar_t* name : {L"dwmapi.dll", L"planted.dll"})
        ASSERT_TRUE(CopyFileW((BinFolder() + L"\\planted.dll").c_str(), (folder / name).c_str(), FALSE));
    wchar_t overrides[256] = L"";
    GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 256);
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", (std::wstring(L"dwmapi=n,b;") + overrides).c_str());
    auto loadedFrom = [&](const std::wstring& how, const std::wstring& dll) { // 0 none, 1 the system folder
        DWORD from = 99;
        Process(folder / L"probe.exe", L"--dll-probe " + how + L" " + dll).Wait(10000, &from);
        return from;
    };
    EXPECT_EQ(loadedFrom(L"restricted", L"dwmapi.dll"), 1u);
    EXPECT_EQ(loadedFrom(L"restricted", L"planted.dll"), 0u);
    EXPECT_EQ(loadedFrom(L"system", L"dwmapi.dll"), 1u);
    EXPECT_EQ(loadedFrom(L"system", L"planted.dll"), 0u);
    EXPECT_EQ(loadedFrom(L"preloaded", L"dwmapi.dll"), 1u);
    EXPECT_EQ(NamesIn(folder.Path()), (std::vector<std::wstring>{L"dwmapi.dll", L"planted.dll", L"probe.exe"}));
    EXPECT_EQ(loadedFrom(L"plain", L"dwmapi.dll"), 2u); // without either, the copy beside the program runs
    EXPECT_TRUE(Exists(folder / L"dwmapi.dll.ran"));
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides);
}

// Each suite runs in the Windows its build is for: the x86_64 suite on 64-bit
// Windows, the i686 suite on 32-bit Windows (a win32 prefix), the win32 zip's
// strictest home. A 32-bit build run on 64-bit Windows on purpose (WOW64, the
// Windows CI's x86 jobs) says so with TARVENDEL_WINDOWS_BITS=64.
TEST(Suite, RunsInTheWindowsOfItsBuild) {
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    SYSTEM_INFO native{};
    GetNativeSystemInfo(&native);
    const int windowsBits = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL ? 32 : 64;
    const int processBits = windowsBits == 64 && !wow64 ? 64 : 32;
    wchar_t declared[8] = L"";
    const DWORD length = GetEnvironmentVariableW(L"TARVENDEL_WINDOWS_BITS", declared, 8);
    EXPECT_EQ(processBits, static_cast<int>(8 * sizeof(void*)));
    EXPECT_EQ(windowsBits, length && length < 8 ? _wtoi(declared) : processBits)
        << "a " << processBits << "-bit process" << (wow64 ? " (WOW64)" : "") << " on " << windowsBits
        << "-bit Windows";
}

} // namespace
