// The demo launcher and the file functions, against real files and the
// stand-in game.
#include "startup/Launcher.h"
#include "startup/Config.h"
#include "startup/Files.h"
#include "startup/Form2.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

#include <set>
#include <thread>

using namespace test;
using MainModule::FileExists;
using MainModule::FileNameOf;
using MainModule::Flag;
using MainModule::PlayDemo;

namespace {

class LauncherTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        MakeFolder(temp / L"Downloads");
    }
    std::wstring Download(const std::wstring& name, const std::string& bytes) {
        std::wstring path = temp / (L"Downloads\\" + name);
        WriteBytes(path, bytes);
        return path;
    }
    std::wstring Expected(const std::wstring& name, const std::wstring& options = L"0 100 0 0") const {
        return game->path + L"\\Soldat.exe -demo " + name + L" " + options;
    }
    std::vector<Launch> Launched(size_t count = 1) { return WaitForLaunches(game->path, count); }
    // The games started, by their command lines: games started close
    // together record themselves in whatever order they come to run.
    std::multiset<std::wstring> CommandLines(size_t count) {
        std::multiset<std::wstring> lines;
        for (const Launch& launch : Launched(count)) lines.insert(launch.commandLine);
        return lines;
    }
};

TEST_F(LauncherTest, FileExistsSeesOnlyVisibleFilesAtExactlyThatPath) {
    std::wstring file = temp / L"demo.sdm";
    WriteBytes(file, "x");
    EXPECT_EQ(FileExists(file), MainModule::True);
    EXPECT_EQ(FileExists(temp / L"other.sdm"), MainModule::False);
    EXPECT_EQ(FileExists(temp.Path()), MainModule::False);

    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(FileExists(file), MainModule::True);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(FileExists(file), MainModule::False);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(FileExists(file), MainModule::False);
}

TEST_F(LauncherTest, FileNameOfSplitsAtEitherSeparator) {
    EXPECT_EQ(FileNameOf(L"C:\\Demos\\match.sdm"), L"match.sdm");
    EXPECT_EQ(FileNameOf(L"C:/Demos/match.sdm"), L"match.sdm");
    EXPECT_EQ(FileNameOf(L"C:\\Demos/sub\\a b.sdm"), L"a b.sdm");
    EXPECT_EQ(FileNameOf(L"match.sdm"), L"match.sdm");
    EXPECT_EQ(FileNameOf(L"C:\\Demos\\"), L"");
}

TEST_F(LauncherTest, ADemoFromElsewhereIsCopiedUnderItsNameAndPlayed) {
    std::wstring demo = Download(L"match.sdm", "DEMO-BYTES");
    SetFileAttributesW(demo.c_str(), FILE_ATTRIBUTE_READONLY); // as from a zip or a CD
    EXPECT_EQ(PlayDemo(demo), MainModule::True);
    EXPECT_EQ(ReadBytes(game->Demo(L"match.sdm")), "DEMO-BYTES");
    EXPECT_EQ(GetFileAttributesW(demo.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(DeleteFileW(game->Demo(L"match.sdm").c_str())); // the copy is not read-only
    auto launches = Launched();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, Expected(L"match"));
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    EXPECT_EQ(launches[0].currentFolder, cwd); // inherited, not set
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(host.ended);

    // Through the shell, as for a game that must run as administrator: the
    // same words after the game's path (the shell may add a blank at the
    // end) and the same working folder.
    Form2::Get().Show();
    Form2::Get().FadeTimer.SetEnabled(false);
    ASSERT_EQ(MainModule::StartThroughShell(game->path + L"\\Soldat.exe", L"match"), 0u);
    EXPECT_EQ(GetActiveWindow(), Form2::Get().Hwnd()); // the splash, shown without activation, is made active
    launches = Launched(2);
    ASSERT_EQ(launches.size(), 2u);
    std::wstring words = MainModule::ArgumentsOf(launches[1].commandLine);
    EXPECT_EQ(words.substr(0, words.find_last_not_of(L' ') + 1), MainModule::ArgumentsOf(launches[0].commandLine));
    EXPECT_EQ(launches[1].currentFolder, cwd);
}

TEST_F(LauncherTest, ThePlayValuesEndTheCommandLineInTheirOrder) {
    Config::PlayFreeCam = 1;
    Config::PlaySpeed = 150;
    Config::PlayNoText = 0;
    Config::PlayExtract = 1;
    EXPECT_EQ(PlayDemo(Download(L"a b c.sdm", "abc")), MainModule::True);
    auto launches = Launched();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, Expected(L"a b c", L"1 150 0 1"));
}

TEST_F(LauncherTest, TakenNamesGetUnderscoresUntilAFreeNameOrTheSameDemo) {
    WriteBytes(game->Demo(L"match.sdm"), "a much longer demo");
    std::wstring demo = Download(L"match.sdm", "new demo");
    EXPECT_EQ(PlayDemo(demo), MainModule::True);
    EXPECT_EQ(ReadBytes(game->Demo(L"match_.sdm")), "new demo");
    EXPECT_EQ(ReadBytes(game->Demo(L"match.sdm")), "a much longer demo");

    WriteBytes(game->Demo(L"match_.sdm"), "another, longer one");
    EXPECT_EQ(PlayDemo(demo), MainModule::True);
    EXPECT_EQ(ReadBytes(game->Demo(L"match__.sdm")), "new demo");

    // Played a third time, it finds itself at match__ and copies nothing.
    EXPECT_EQ(PlayDemo(demo), MainModule::True);
    EXPECT_EQ(game->Demos(), (std::vector<std::wstring>{L"match.sdm", L"match_.sdm", L"match__.sdm"}));

    EXPECT_EQ(CommandLines(3),
              (std::multiset<std::wstring>{Expected(L"match_"), Expected(L"match__"), Expected(L"match__")}));
}

TEST_F(LauncherTest, OnlyTheSameBytesCountAsTheSameDemo) {
    WriteBytes(game->Demo(L"same.sdm"), "12345678");
    EXPECT_EQ(PlayDemo(Download(L"same.sdm", "12345678")), MainModule::True);
    WriteBytes(game->Demo(L"other.sdm"), "12345678");
    EXPECT_EQ(PlayDemo(Download(L"other.sdm", "87654321")), MainModule::True);

    EXPECT_EQ(game->Demos(), (std::vector<std::wstring>{L"other.sdm", L"other_.sdm", L"same.sdm"}));
    EXPECT_EQ(ReadBytes(game->Demo(L"other.sdm")), "12345678");
    EXPECT_EQ(ReadBytes(game->Demo(L"other_.sdm")), "87654321");
    EXPECT_EQ(CommandLines(2), (std::multiset<std::wstring>{Expected(L"same"), Expected(L"other_")}));

    // Demos are compared to their last byte, not a first block of them.
    std::string recorded(200 * 1024, 'r');
    std::string differsLate = recorded;
    differsLate[150 * 1024] = 'x';
    WriteBytes(game->Demo(L"long.sdm"), recorded);
    MainModule::DemoPlace place = MainModule::FindDemoPlace(Download(L"long.sdm", differsLate));
    EXPECT_EQ(place.name, L"long_");
    EXPECT_TRUE(place.copyNeeded);
    place = MainModule::FindDemoPlace(Download(L"long.sdm", recorded));
    EXPECT_EQ(place.name, L"long");
    EXPECT_FALSE(place.copyNeeded);
    EXPECT_EQ(place.failure, L"");
}

TEST_F(LauncherTest, AFileThatAppearsAtTheChosenNameIsLeftAloneAndTheSearchGoesOn) {
    std::wstring demo = Download(L"match.sdm", "the downloaded demo");
    MainModule::DemoPlace place = MainModule::FindDemoPlace(demo);
    ASSERT_EQ(place.target, game->Demo(L"match.sdm"));
    ASSERT_TRUE(place.copyNeeded);
    // Between the choice of the name and the copy, another program puts a
    // file there: the demo goes to the next free name.
    WriteBytes(place.target, "someone else's file");
    EXPECT_EQ(MainModule::StartDemo(demo, place), MainModule::True);
    EXPECT_EQ(ReadBytes(place.target), "someone else's file");
    EXPECT_EQ(ReadBytes(game->Demo(L"match_.sdm")), "the downloaded demo");

    // Another start of the program copies the same demo there meanwhile, has
    // set its full length and still writes it: it is waited for, and played.
    place = MainModule::FindDemoPlace(demo = Download(L"round.sdm", "the same demo"));
    HANDLE copy = CreateFileW(place.target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(copy, "the same\0\0\0\0\0", 13, &written, nullptr));
    std::thread other([&] {
        Sleep(100);
        SetFilePointer(copy, 8, nullptr, FILE_BEGIN);
        WriteFile(copy, " demo", 5, &written, nullptr);
        CloseHandle(copy);
    });
    EXPECT_EQ(MainModule::StartDemo(demo, place), MainModule::True);
    other.join();
    EXPECT_EQ(game->Demos(), (std::vector<std::wstring>{L"match.sdm", L"match_.sdm", L"round.sdm"}));
    EXPECT_EQ(CommandLines(2), (std::multiset<std::wstring>{Expected(L"match_"), Expected(L"round")}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LauncherTest, HiddenFilesAndFoldersTakeANameAndAreLeftAlone) {
    std::wstring hidden = game->Demo(L"match.sdm");
    WriteBytes(hidden, "demo");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    MakeFolder(game->Demo(L"match_.sdm"));
    EXPECT_EQ(PlayDemo(Download(L"match.sdm", "demo")), MainModule::True);

    EXPECT_EQ(ReadBytes(game->Demo(L"match__.sdm")), "demo");
    EXPECT_EQ(GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    auto launches = Launched();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, Expected(L"match__"));
}

TEST_F(LauncherTest, ADemoInTheDemoFolderPlaysInPlace) {
    WriteBytes(game->Demo(L"final round.sdm"), "recorded");
    EXPECT_EQ(PlayDemo(game->Demo(L"final round.sdm")), MainModule::True);
    EXPECT_EQ(game->Demos(), std::vector<std::wstring>{L"final round.sdm"});
    auto launches = Launched();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, Expected(L"final round"));
}

TEST_F(LauncherTest, AnyExtensionIsReplacedBySdmAndShortNamesAreKeptWhole) {
    EXPECT_EQ(PlayDemo(Download(L"match.dem", "dem")), MainModule::True);
    EXPECT_EQ(PlayDemo(Download(L"ab", "short")), MainModule::True);
    EXPECT_EQ(game->Demos(), (std::vector<std::wstring>{L"ab.sdm", L"match.sdm"}));
    EXPECT_EQ(ReadBytes(game->Demo(L"match.sdm")), "dem");
    EXPECT_EQ(CommandLines(2), (std::multiset<std::wstring>{Expected(L"match"), Expected(L"ab")}));
}

TEST_F(LauncherTest, PathsAreTakenAsWindowsAndShellsPassThem) {
    // In quotes, blanks around them: the quotes and the blanks are not the path.
    std::wstring demo = Download(L"my match.sdm", "quoted");
    EXPECT_EQ(PlayDemo(L"  \"" + demo + L"\"   "), MainModule::True);
    // The long-path prefix is part of the path, not a wildcard.
    std::wstring longForm = Download(L"long form.sdm", "prefixed");
    EXPECT_EQ(PlayDemo(L"\\\\?\\" + longForm), MainModule::True);
    // Drive-relative: the file in that drive's current folder.
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW((temp / L"Downloads").c_str()));
    Download(L"relative.sdm", "relative");
    Flag relative = PlayDemo(temp.Path().substr(0, 2) + L"relative.sdm");
    SetCurrentDirectoryW(saved);
    EXPECT_EQ(relative, MainModule::True);

    EXPECT_EQ(game->Demos(), (std::vector<std::wstring>{L"long form.sdm", L"my match.sdm", L"relative.sdm"}));
    EXPECT_EQ(ReadBytes(game->Demo(L"my match.sdm")), "quoted");
    EXPECT_EQ(ReadBytes(game->Demo(L"relative.sdm")), "relative");
    EXPECT_EQ(CommandLines(3),
              (std::multiset<std::wstring>{Expected(L"my match"), Expected(L"long form"), Expected(L"relative")}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LauncherTest, AMissingGameIsReportedAfterTheCopy) {
    DeleteFileW((game->path + L"\\Soldat.exe").c_str());
    EXPECT_EQ(PlayDemo(Download(L"match.sdm", "bytes")), MainModule::False);
    EXPECT_EQ(game->Demos(), std::vector<std::wstring>{L"match.sdm"});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, L"Can not find Soldat.exe! Please check your settings.");
    EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONERROR));
    EXPECT_FALSE(host.ended);
}

TEST_F(LauncherTest, AMissingDemoIsReportedAndEndsTheProgram) {
    std::wstring missing = temp / L"Downloads\\gone.sdm";
    PlayDemo(missing);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, L"'" + missing + L"' does not exist.");
    EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 1u);
    EXPECT_TRUE(game->Demos().empty());
    ASSERT_TRUE(DeleteWhenEnded(game->path + L"\\Soldat.exe")); // any game started has recorded itself
    EXPECT_TRUE(LaunchesOf(game->path).empty());
}

TEST_F(LauncherTest, AFailingCopyIsReportedWithTheReasonAndEndsTheProgram) {
    RemoveTree(game->path + L"\\Demos");
    std::wstring demo = Download(L"match.sdm", "bytes");
    EXPECT_EQ(PlayDemo(demo), MainModule::False);
    ASSERT_EQ(host.messages.size(), 1u);
    const std::wstring& text = host.messages[0].text;
    EXPECT_NE(text.find(L"Could not copy the demo '" + demo + L"' to '" + game->Demo(L"match.sdm") + L"'"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"(error 3)"), std::wstring::npos);
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 1u);
    ASSERT_TRUE(DeleteWhenEnded(game->path + L"\\Soldat.exe")); // any game started has recorded itself
    EXPECT_TRUE(LaunchesOf(game->path).empty());

    // A game folder whose name Windows refuses: no name in it is free, yet
    // the search for one ends, and the copy says why.
    ResetHost();
    MainModule::SoldatPath = game->path + L"|";
    EXPECT_EQ(PlayDemo(demo), MainModule::False);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(L"(error 123)"), std::wstring::npos);
}

TEST_F(LauncherTest, AGameFolderWithBlanksStartsTheGameNotAProgramAtTheBlank) {
    GameFolder spaced(temp / L"My Games");
    GameFolder inner(spaced.path + L"\\Soldat Dedicated");
    // A decoy where an unquoted command line would be cut at its first blank.
    CopyFileW(StandInGame().c_str(), (temp / L"My.exe").c_str(), FALSE);
    MainModule::SoldatPath = inner.path;

    EXPECT_EQ(PlayDemo(Download(L"match.sdm", "bytes")), MainModule::True);
    auto launches = WaitForLaunches(inner.path);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, L"\"" + inner.path + L"\\Soldat.exe\" -demo match 0 100 0 0");
    EXPECT_TRUE(LaunchesOf(temp.Path()).empty());
}

} // namespace
