// Start-up, the state the windows share (MainModule.cpp), the demo launcher
// (Launcher.cpp) and the file functions (Files.cpp).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace MainModule {

// Yes/no values shared between the windows: -1 for true, 0 for false.
using Flag = std::int16_t;
inline constexpr Flag True = -1;
inline constexpr Flag False = 0;

extern Flag FromLibrary;                  // the play options window came from the library
extern std::wstring TitleText;            // the about line of the play options and library windows
extern std::wstring SoldatPath;           // the game's folder, as the settings file gives it
extern std::wstring DemoFile;             // full path of the demo the play options window plays
extern std::wstring RenameName;           // name (without ".sdm") of the demo being renamed
extern std::vector<std::wstring> CmdArgs; // the argument string split at blanks
extern std::int16_t ArgCount;             // 0 when CmdArgs is empty

// The whole argument string, unsplit: the splash plays it as the demo path.
extern std::wstring ArgumentString;
// Full path of this program's executable: the settings file lies beside it,
// and the restart after saving the settings starts it.
extern std::wstring ExePath;

inline constexpr wchar_t kVersion[] = L"1.2";
inline constexpr wchar_t kWebAddress[] = L"tarvendel.org";

// The program's start: splits the command line, loads the settings, registers
// the common controls (for the library and the play options window; the
// splash has none) and shows the first window.
void Main();
// The same with the argument string and executable path given (the tests'
// way in; Main passes the real ones).
void Start(const std::wstring& argumentString, const std::wstring& exePath);

// Loads comctl32 and registers the common controls the windows use.
Flag InitControls();

// The command line after the program's own path and the blanks that follow it.
std::wstring ArgumentsOf(const std::wstring& commandLine);
// The argument string split at every single blank; quotes mean nothing.
std::vector<std::wstring> SplitArguments(const std::wstring& arguments);

// Copies the demo into the game's demo folder under a free name (unless the
// same demo is there already) and starts the game on it. True when the game
// was started; false when Soldat.exe is missing. A missing demo ends the
// program, and so does a failing copy or start, each with its reason.
Flag PlayDemo(const std::wstring& argument);
// The demo's path as a command line or a window gives it: without quotes
// and without the blanks around it.
std::wstring DemoPathOf(std::wstring argument);

// The launcher's two steps. The first looks at files only: the demo's place
// in the game's demo folder, or why there is none (the whole message).
struct DemoPlace {
    std::wstring name;      // what the game gets after "-demo": the file name without ".sdm"
    std::wstring target;    // SoldatPath\Demos\name.sdm
    bool copyNeeded = true; // false when the same demo (same bytes) is there already
    std::wstring failure;   // empty when the place was found
};
DemoPlace FindDemoPlace(const std::wstring& demoPath);
// The second copies the demo to its place when needed, never over a file
// and never read-only, and starts the game; its result is PlayDemo's.
Flag StartDemo(const std::wstring& demoPath, const DemoPlace& place);
// Starts the game on a demo through the shell, as Explorer does: the way to a
// game that must run as administrator, which Windows asks the user about
// first. The game gets the same words after its path and the same working
// folder (this program's current one) as from the usual start. 0 when the
// game started, otherwise the system's error (ERROR_CANCELLED when the user
// said no).
DWORD StartThroughShell(const std::wstring& gameExe, const std::wstring& demoName);

// True for an existing file at exactly this path that is neither hidden, nor a
// system file, nor a folder. Wildcards match nothing.
Flag FileExists(const std::wstring& path);
// Whether anything at all is at the path: a file of any kind, hidden or
// not, a folder, or a deleted file that another program still holds open.
// Such a name is taken: nothing is ever copied or renamed onto it.
bool AnythingAt(const std::wstring& path);
// Whether the listing of the path's folder holds its name. It also shows a
// file whose delete waits for another program to let go of it, which can no
// longer be opened or have its attributes read.
bool Listed(const std::wstring& path);
// The game's demo folder, SoldatPath & "\Demos\", and a demo's file in it.
std::wstring DemoFolder();
std::wstring DemoPath(const std::wstring& name);
// The part of the path after its last "\", "/" or drive colon.
std::wstring FileNameOf(const std::wstring& path);

// The game's command line for a demo name and the current play values.
std::wstring GameCommandLine(const std::wstring& gameExe, const std::wstring& demoName);

// Back to the state at program start (the tests' reset).
void ResetState();

// Full path of the running executable.
std::wstring ModulePath();

} // namespace MainModule
