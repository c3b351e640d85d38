// Memory: the peak working set (K32GetProcessMemoryInfo) of the floor and of
// the library, empty and with 10,000 demos, once the window shows and the
// program has settled; "memory/" and the start's key, in KB.
#pragma once

#include "figures.h"
#include "folders.h"
#include "options.h"

namespace bench {

void MeasureMemory(const Options& options, const Folders& folders, const Counts& counts, Results& out);

} // namespace bench
