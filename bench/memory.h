// Memory: the peak working set and private bytes (K32GetProcessMemoryInfo)
// of the floor and of the library, empty and with 10,000 demos, once the
// window shows and the program has settled.
#pragma once

#include "figures.h"
#include "folders.h"
#include "launch.h"
#include "options.h"

#include <vector>

namespace bench {

struct MemoryFigures {
    std::vector<Start> starts;
    std::vector<Figure> peak, privateBytes; // KB, one per start
};

void MeasureMemory(const Options& options, const Folders& folders, const Counts& counts, MemoryFigures& out);

} // namespace bench
