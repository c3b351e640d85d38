// What the tests stand on: a scripted host for message boxes and the end of
// the program, temporary folders with a game in them, message pumping, and
// starting the real executable.
#pragma once

#include "ui/Host.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace test {

struct Message {
    HWND owner;
    std::wstring text;
    UINT type;
    UINT Icon() const { return type & MB_ICONMASK; }
    UINT Buttons() const { return type & MB_TYPEMASK; }
};

// Records every message box and answers it from a script (OK boxes answer
// themselves); records the end of the program instead of exiting.
class ScriptedHost final : public ui::Host {
public:
    int ShowMessage(HWND owner, const std::wstring& text, UINT type) override;
    void EndProgram(UINT exitCode) override;

    void Answer(int answer) { answers.push_back(answer); }

    std::vector<Message> messages;
    std::deque<int> answers;
    bool ended = false;
    UINT exitCode = 0;
    int endCount = 0;
    // Called when a box opens, before it is answered (to look at the windows).
    std::function<void(const Message&)> onMessage;
};

// A folder under the temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Files.
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
std::wstring ReadUtf16(const std::wstring& path);
// The text in a code page (CP_ACP, CP_UTF8), or in UTF-16LE for 1200, BE for 1201.
std::string Encode(const std::wstring& text, UINT codePage);
bool Exists(const std::wstring& path); // anything at the path
void MakeFolder(const std::wstring& path);
// The names in a folder (files and folders, hidden ones too), sorted.
std::vector<std::wstring> NamesIn(const std::wstring& folder);
void RemoveTree(const std::wstring& path);
// Sets a file's creation and last-write time (UTC).
void SetFileTimes(const std::wstring& path, const SYSTEMTIME& utc);

// The folder holding the test executable, Tarvendel.exe and stand-in\Soldat.exe.
std::wstring BinFolder();
std::wstring StandInGame();
std::wstring TarvendelExe();
// Deletes a program's file once nothing runs from it (a running program's file
// cannot be deleted): every process started from it has then ended.
bool DeleteWhenEnded(const std::wstring& exe, DWORD timeoutMs = 10000);

// A game folder with a Demos folder and the stand-in game.
struct GameFolder {
    explicit GameFolder(const std::wstring& path, bool withGame = true);
    std::wstring path;
    std::wstring Demo(const std::wstring& name) const { return path + L"\\Demos\\" + name; }
    std::vector<std::wstring> Demos() const { return NamesIn(path + L"\\Demos"); }
};

// One start of the stand-in game.
struct Launch {
    std::wstring commandLine;
    std::wstring currentFolder;
    ULONGLONG startTime; // 100 ns units since 1601, UTC
};
std::vector<Launch> LaunchesOf(const std::wstring& gameFolder);
// Waits (pumping messages) until the stand-in has recorded `count` launches.
std::vector<Launch> WaitForLaunches(const std::wstring& gameFolder, size_t count = 1, DWORD timeoutMs = 10000);

// Writes a new settings file that holds the shared values: SoldatPath and
// the defaults, every key the program reads, each in its section.
void WriteSettings(const std::wstring& iniPath);

// Pumps this thread's messages until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
// Pumps messages for a while.
void PumpFor(DWORD milliseconds);
ULONGLONG NowTicks(); // 100 ns units, UTC

// The real executable, started with an exact command line.
class Process {
public:
    // CREATE_SUSPENDED in flags: it runs once resumed.
    Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder = L"", DWORD flags = 0);
    ~Process();
    bool Started() const { return info_.hProcess != nullptr; }
    // Waits for the end; returns false on time-out.
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    // Visible top-level windows of the process.
    std::vector<HWND> Windows() const;
    // Waits for a visible window of the process of the given class (nullptr: any).
    HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs = 10000) const;
    DWORD Id() const { return info_.dwProcessId; }
    void Resume() { ResumeThread(info_.hThread); }
    void Kill();

private:
    PROCESS_INFORMATION info_{};
};

std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);
// The entries of a list box, in its order.
std::vector<std::wstring> ListEntries(HWND listBox);
// The captions of a window's labels, buttons and check boxes that are wider
// than their controls leave room for at that DPI (empty when everything fits).
std::vector<std::wstring> CaptionsThatDoNotFit(HWND window, int dpi);
// The family of the font a control draws with, as the font file names it
// ("Tahoma"): GetTextFaceW would give the name asked for, "MS Shell Dlg 2".
std::wstring FontFamilyOf(HWND control);
// The text of a message box window.
std::wstring MessageBoxText(HWND box);
// Presses a message box's button by its id (IDOK, IDYES...).
void PressButton(HWND box, int id);

// Base fixture: clean shared state, the scripted host, no windows left over.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A fresh host, as if the program had just started.
    void ResetHost();

    ScriptedHost host;
    TempDir temp;
};

// With a game folder (Demos and the stand-in game) as SoldatPath, the title
// line set and the play speed at 100.
class GameTest : public AppTest {
protected:
    void SetUp() override;

    std::unique_ptr<GameFolder> game;
};

} // namespace test
