// The demo launcher: a demo's place in the game's demo folder, the copy, and
// the start of the game, directly or through the shell.
#pragma once

#include "startup/MainModule.h"

#include <windows.h>

#include <string>

namespace MainModule {

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
// The search starts at the demo's own name, or at `from` (a name that the
// demo's copy found taken). A file there that another program is still
// writing is waited for briefly; not finished by then, it counts as another
// demo.
DemoPlace FindDemoPlace(const std::wstring& demoPath, const std::wstring& from = {});
// The second copies the demo to its place when needed, never over a file
// and never read-only, and starts the game; its result is PlayDemo's. A
// place taken since it was found is searched for again from there on: a
// file with the demo's bytes is played, other bytes send the demo to the
// next free name.
Flag StartDemo(const std::wstring& demoPath, const DemoPlace& chosen);
// Starts the game on a demo through the shell, as Explorer does: the way to a
// game that must run as administrator, which Windows asks the user about
// first. The game gets the same words after its path and the same working
// folder (this program's current one) as from the usual start. 0 when the
// game started, otherwise the system's error (ERROR_CANCELLED when the user
// said no).
DWORD StartThroughShell(const std::wstring& gameExe, const std::wstring& demoName);

// The game's command line for a demo name and the current play values.
std::wstring GameCommandLine(const std::wstring& gameExe, const std::wstring& demoName);

} // namespace MainModule
