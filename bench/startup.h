// Start-up: how long each of Tarvendel's first windows takes from just
// before CreateProcessW to its being shown, beside two floors: floor.exe, the
// least a Win32 program does to show one window, and library_floor.exe, the
// library's own window and controls with the same manifest and fonts and
// none of the program's logic. Then where a start goes, step by step
// (probe.exe, probe_floor.exe and dllcost.exe).
#pragma once

#include "figures.h"
#include "folders.h"
#include "launch.h"
#include "options.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Where the cases stand in StartCases' list; the compared build's follow.
inline constexpr size_t kFloorCase = 0;
inline constexpr size_t kLibraryFloorCase = 1;
inline constexpr size_t kLibraryEmptyCase = 2;
inline constexpr size_t kLibrary10kCase = 3;

// The library's window, whose class the library floor shows too.
inline constexpr wchar_t kLibraryClass[] = L"Tarvendel.Form4";

// The floors, the real program's first windows, and the compared build's.
std::vector<Start> StartCases(const Options& options, const Folders& folders);

struct StartFigures {
    std::vector<Start> starts;
    std::vector<Figure> time; // one per start
};

// One warm-up start of each, then counts.start runs of each, in turn.
void MeasureStartUps(const Options& options, const Folders& folders, const Counts& counts, StartFigures& out);

// Where a start goes: probe.exe (Tarvendel's start with its steps written
// down) and probe_floor.exe (the floor's), started as the real ones are.
struct ProfileFigures {
    std::vector<std::pair<std::string, Figure>> dlls; // dllcost.exe: each step in its order
    std::vector<Start> starts;
    std::vector<std::map<std::string, Figure>> steps; // per start: step -> its length
    std::vector<Figure> totals;
};

void MeasureProfile(const Options& options, const Folders& folders, const Counts& counts, ProfileFigures& out);

} // namespace bench
