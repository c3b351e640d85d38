// The real Tarvendel.exe, started with exact command lines.
#include "startup/Config.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

#include "InitialSettings.h"

#include <algorithm>

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

// A demo path alone, as a shell passes it: the splash plays it with the
// defaults. Opened twice at once (16 pairs, each with a game folder of its own,
// 300 ms apart so that each pair keeps in step), a large demo is played by
// both, its own bytes (not zeros: an unfinished copy may have its length
// already), with no message.
TEST_F(EndToEndTest, ADemoPathAlonePlaysTheDemoWithTheDefaultsAlsoWhenOpenedTwiceAtOnce) {
    std::string bytes(size_t{20} << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251 + 1);
    WriteBytes(demo, bytes);
    std::vector<std::unique_ptr<Process>> programs;
    for (int pair = 0; pair < 16; ++pair) {
        MakeFolder(app = temp / (L"Pair " + std::to_wstring(pair)));
        game = std::make_unique<GameFolder>(app + L"\\Soldat Game");
        WriteIni(1, 0, 1, 150);
        ASSERT_TRUE(CopyFileW(exe.c_str(), (app + L"\\Tarvendel.exe").c_str(), FALSE));
        for (int twice = 0; twice < 2; ++twice) // in quotes, blanks after them
            programs.push_back(
                std::make_unique<Process>(app + L"\\Tarvendel.exe", L"\"" + demo + L"\"   ", L"", CREATE_SUSPENDED));
    }
    for (size_t next = 0; next < programs.size(); next += 2, Sleep(300)) {
        programs[next]->Resume();
        programs[next + 1]->Resume();
    }
    PumpUntil([&] { return std::all_of(programs.begin(), programs.end(), [](auto& p) { return p->Wait(0); }); }, 30000);
    for (auto& program : programs) {
        DWORD exitCode = 99;
        HWND box = program->Wait(0, &exitCode) ? nullptr : program->WaitForWindow(L"#32770", 0);
        EXPECT_EQ(exitCode, 0u) << (box ? MessageBoxText(box) : L"");
    }
    for (int pair = 0; pair < 16; ++pair) {
        const std::wstring folder = temp / (L"Pair " + std::to_wstring(pair)) + L"\\Soldat Game";
        ASSERT_TRUE(DeleteWhenEnded(folder + L"\\Soldat.exe")); // every game started has recorded itself
        EXPECT_EQ(LaunchesOf(folder).size(), 2u) << folder;
        for (const Launch& launch : LaunchesOf(folder)) { // the name, between the game's path and the defaults
            const std::wstring& line = launch.commandLine;
            const std::wstring head = L"\"" + folder + L"\\Soldat.exe\" -demo ", tail = L" 1 150 0 1";
            ASSERT_TRUE(line.starts_with(head) && line.ends_with(tail)) << line;
            const std::wstring name = line.substr(head.size(), line.size() - head.size() - tail.size());
            EXPECT_TRUE(ReadBytes(folder + L"\\Demos\\" + name + L".sdm") == bytes) << line;
        }
    }
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
