#include "memory.h"

#include "startup.h"
#include "text.h"
#include "timing.h"

namespace bench {

void MeasureMemory(const Options& options, const Folders& folders, const Counts& counts, Results& out) {
    const std::vector<Start> cases = StartCases(options, folders);
    const std::vector<Start> starts = {cases[kFloorCase], cases[kLibraryEmptyCase], cases[kLibrary10kCase]};
    for (int run = 0; run < counts.memory; ++run) {
        for (const Start& start : starts) {
            StartResult result = StartUntilShown(start, After::Memory);
            out.figures[L"memory/" + start.key].Add(static_cast<double>(result.peakWorkingSet) / 1024.0);
            PumpFor(kSettleMs);
        }
    }
    Progress(Format(L"memory: library with 10,000 demos peaks at %.0f KB", out.Median(L"memory/library-10000")));
}

} // namespace bench
