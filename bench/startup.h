// Start-up: how long each of Tarvendel's first windows takes from just
// before CreateProcessW to its being shown, beside two floors: floor.exe, the
// least a Win32 program does to show one window, and library_floor.exe, the
// library's own window and controls with the same manifest and fonts and
// none of the program's logic.
#pragma once

#include "figures.h"
#include "folders.h"
#include "launch.h"
#include "options.h"

#include <vector>

namespace bench {

// Where the cases stand in StartCases' list; the compared build's follow.
inline constexpr size_t kFloorCase = 0;
inline constexpr size_t kLibraryEmptyCase = 2;
inline constexpr size_t kLibrary10kCase = 3;

// The floors, the real program's first windows, and the compared build's;
// each start's figure is "start/" and its key.
std::vector<Start> StartCases(const Options& options, const Folders& folders);

// One warm-up start of each, then counts.start runs of each, in turn.
void MeasureStartUps(const Options& options, const Folders& folders, const Counts& counts, Results& out);

} // namespace bench
