// Start-up and the state the windows share. The demo launcher is declared in
// Launcher.h, the file functions in Files.h.
#pragma once

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

// The release: MAJOR.MINOR of project()'s version in CMakeLists.txt (Version.h).
extern const wchar_t kVersion[];
inline constexpr wchar_t kWebAddress[] = L"tarvendel.org";

// The about line, "Tarvendel v" & kVersion & " - by Vornak - " & kWebAddress:
// what Main puts into TitleText.
std::wstring AboutLine();

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

// Back to the state at program start (the tests' reset).
void ResetState();

// Full path of the running executable.
std::wstring ModulePath();

} // namespace MainModule
