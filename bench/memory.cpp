#include "memory.h"

#include "startup.h"
#include "text.h"
#include "timing.h"

namespace bench {

void MeasureMemory(const Options& options, const Folders& folders, const Counts& counts, MemoryFigures& out) {
    const std::vector<Start> cases = StartCases(options, folders);
    out.starts = {cases[kFloorCase], cases[kLibraryEmptyCase], cases[kLibrary10kCase]};
    out.peak.assign(out.starts.size(), {});
    out.privateBytes.assign(out.starts.size(), {});
    for (int run = 0; run < counts.memory; ++run) {
        for (size_t i = 0; i < out.starts.size(); ++i) {
            StartResult result = StartUntilShown(out.starts[i], After::Memory);
            out.peak[i].Add(static_cast<double>(result.peakWorkingSet) / 1024.0);
            out.privateBytes[i].Add(static_cast<double>(result.privateBytes) / 1024.0);
            PumpFor(kSettleMs);
        }
    }
    Progress(Format(L"memory: library with 10,000 demos peaks at %.0f KB", out.peak.back().Median()));
}

} // namespace bench
