#include "startup.h"

#include "files.h"
#include "text.h"
#include "timing.h"

#include "startup/MainModule.h"

#include <algorithm>

namespace bench {

std::vector<Start> StartCases(const Options& options, const Folders& folders) {
    std::vector<Start> starts = {
        {L"Floor: a minimal one-window program", options.floor, L"", L"TarvendelBenchFloor"},
        {L"Library floor: the library's window and controls, no logic", options.libraryFloor, L"", kLibraryClass},
        {L"Library, empty folder", folders.appEmpty, L"", kLibraryClass},
        {L"Library, 10,000 demos", folders.app10k, L"", kLibraryClass},
        {L"Play options window (`-c DEMO`)", folders.appEmpty, L"-c " + folders.demo, L"Tarvendel.Form1"},
        {L"Splash window's load (`DEMO`)", folders.appEmpty, folders.demo, L"Tarvendel.Form2"},
    };
    if (!folders.compareEmpty.empty()) {
        const std::vector<Start> compared = {
            {L"Compared build: library, empty folder", folders.compareEmpty, L"", kLibraryClass},
            {L"Compared build: library, 10,000 demos", folders.compare10k, L"", kLibraryClass},
            {L"Compared build: play options window", folders.compareEmpty, L"-c " + folders.demo, L"Tarvendel.Form1"},
            {L"Compared build: splash window's load", folders.compareEmpty, folders.demo, L"Tarvendel.Form2"},
        };
        starts.insert(starts.end(), compared.begin(), compared.end());
    }
    return starts;
}

void MeasureStartUps(const Options& options, const Folders& folders, const Counts& counts, StartFigures& out) {
    out.starts = StartCases(options, folders);
    const size_t n = out.starts.size();
    out.time.assign(n, {});
    Progress(L"start-up: one warm-up start of each, then " + std::to_wstring(counts.start) + L" runs of each, in turn");
    for (const Start& start : out.starts) StartUntilShown(start);
    // In turn, each run starting at the next case, with a pause after each
    // start for the ended program's teardown.
    for (int run = 0; run < counts.start; ++run) {
        for (size_t k = 0; k < n; ++k) {
            const size_t i = (k + static_cast<size_t>(run)) % n;
            out.time[i].Add(StartUntilShown(out.starts[i]).ms);
            PumpFor(kSettleMs);
        }
        Progress(Format(L"start-up run %d of %d: floor %.1f ms, library floor %.1f ms, library %.1f ms", run + 1,
                        counts.start, out.time[kFloorCase].runs.back(), out.time[kLibraryFloorCase].runs.back(),
                        out.time[kLibraryEmptyCase].runs.back()));
    }
}

namespace {

// dllcost.exe, once to warm up, then once a run.
void MeasureDllCost(const std::wstring& dllcost, const std::wstring& file, const Counts& counts, ProfileFigures& out) {
    RunToEnd(dllcost, file);
    for (int run = 0; run < counts.start; ++run) {
        Marks marks = RunToEnd(dllcost, file);
        double previous = 0;
        for (size_t i = 0; i < marks.size(); ++i) {
            if (out.dlls.size() <= i) out.dlls.emplace_back(marks[i].first, Figure{});
            out.dlls[i].second.Add(marks[i].second - previous);
            previous = marks[i].second;
        }
        PumpFor(50);
    }
}

// The steps up to the window's being seen shown. ShowWindow itself returns
// later (it makes the window visible first), so "shown" is kept apart, as
// its distance from "seen".
void AddSteps(StartResult& result, std::map<std::string, Figure>& steps) {
    std::sort(result.marks.begin(), result.marks.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    double previous = 0;
    for (const auto& mark : result.marks) {
        if (mark.first == "shown") {
            steps["shown-after-seen"].Add(mark.second - result.ms);
            continue;
        }
        if (mark.second > result.ms) continue;
        steps[mark.first].Add(mark.second - previous);
        previous = mark.second;
    }
}

} // namespace

void MeasureProfile(const Options& options, const Folders& folders, const Counts& counts, ProfileFigures& out) {
    const std::wstring bin = FolderOf(MainModule::ModulePath());
    const std::wstring probe = bin + L"\\probe.exe", probeFloor = bin + L"\\probe_floor.exe";
    if (!Exists(probe) || !Exists(probeFloor)) {
        Progress(L"no probe.exe or probe_floor.exe beside bench.exe: no start-up profile");
        return;
    }
    // The probe reads the settings beside it, as Tarvendel.exe does.
    const std::wstring emptyProbe = FolderOf(folders.appEmpty) + L"\\probe.exe";
    const std::wstring tenThousandProbe = FolderOf(folders.app10k) + L"\\probe.exe";
    CopyFileW(probe.c_str(), emptyProbe.c_str(), FALSE);
    CopyFileW(probe.c_str(), tenThousandProbe.c_str(), FALSE);
    out.starts = {
        {L"Floor", probeFloor, L"", L"TarvendelBenchFloor"},
        {L"Library, empty", emptyProbe, L"", kLibraryClass},
        {L"Library, 10,000", tenThousandProbe, L"", kLibraryClass},
        {L"Play options", emptyProbe, L"-c " + folders.demo, L"Tarvendel.Form1"},
        {L"Splash", emptyProbe, folders.demo, L"Tarvendel.Form2"},
    };
    const std::wstring dllcost = bin + L"\\dllcost.exe";
    if (Exists(dllcost)) MeasureDllCost(dllcost, options.work + L"\\dllcost.txt", counts, out);
    out.steps.assign(out.starts.size(), {});
    out.totals.assign(out.starts.size(), {});
    const std::wstring file = options.work + L"\\probe.txt";
    for (const Start& start : out.starts) StartUntilShown(start, After::Probe, file);
    for (int run = 0; run < counts.start; ++run) {
        for (size_t i = 0; i < out.starts.size(); ++i) {
            StartResult result = StartUntilShown(out.starts[i], After::Probe, file);
            AddSteps(result, out.steps[i]);
            out.totals[i].Add(result.ms);
            PumpFor(kSettleMs);
        }
    }
    Progress(Format(L"profile: floor %.1f ms, library %.1f ms", out.totals[0].Median(), out.totals[1].Median()));
}

} // namespace bench
