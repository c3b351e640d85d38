#include "startup.h"

#include "text.h"
#include "timing.h"

namespace bench {

namespace {

// The library's window, whose class the library floor shows too.
constexpr wchar_t kLibraryClass[] = L"Tarvendel.Form4";

} // namespace

std::vector<Start> StartCases(const Options& options, const Folders& folders) {
    std::vector<Start> starts = {
        {L"floor", options.floor, L"", L"TarvendelBenchFloor"},
        {L"library-floor", options.libraryFloor, L"", kLibraryClass},
        {L"library-empty", folders.appEmpty, L"", kLibraryClass},
        {L"library-10000", folders.app10k, L"", kLibraryClass},
        {L"options", folders.appEmpty, L"-c " + folders.demo, L"Tarvendel.Form1"},
        {L"splash", folders.appEmpty, folders.demo, L"Tarvendel.Form2"},
    };
    if (!folders.compareEmpty.empty()) {
        const std::vector<Start> compared = {
            {L"compare-library-empty", folders.compareEmpty, L"", kLibraryClass},
            {L"compare-library-10000", folders.compare10k, L"", kLibraryClass},
            {L"compare-options", folders.compareEmpty, L"-c " + folders.demo, L"Tarvendel.Form1"},
            {L"compare-splash", folders.compareEmpty, folders.demo, L"Tarvendel.Form2"},
        };
        starts.insert(starts.end(), compared.begin(), compared.end());
    }
    return starts;
}

void MeasureStartUps(const Options& options, const Folders& folders, const Counts& counts, Results& out) {
    const std::vector<Start> starts = StartCases(options, folders);
    const size_t n = starts.size();
    Progress(L"start-up: one warm-up start of each, then " + std::to_wstring(counts.start) + L" runs of each, in turn");
    for (const Start& start : starts) StartUntilShown(start);
    // In turn, each run starting at the next case, with a pause after each
    // start for the ended program's teardown.
    for (int run = 0; run < counts.start; ++run) {
        for (size_t k = 0; k < n; ++k) {
            const size_t i = (k + static_cast<size_t>(run)) % n;
            out.figures[L"start/" + starts[i].key].Add(StartUntilShown(starts[i]).ms);
            PumpFor(kSettleMs);
        }
        Progress(Format(L"start-up run %d of %d: floor %.1f ms, library floor %.1f ms, library %.1f ms", run + 1,
                        counts.start, out.Get(L"start/floor").runs.back(), out.Get(L"start/library-floor").runs.back(),
                        out.Get(L"start/library-empty").runs.back()));
    }
}

} // namespace bench
