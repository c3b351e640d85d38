#include "autorename.h"

#include "files.h"
#include "text.h"
#include "timing.h"

#include "library/Form6.h"
#include "library/ListDemos.h"
#include "startup/MainModule.h"

#include <algorithm>
#include <vector>

namespace bench {

namespace {

// The names a run gives demos "match 00000" to "match N-1": their creation
// times (DemoTime), as TimeName writes them.
std::vector<std::wstring> TargetNames(int count) {
    std::vector<std::wstring> names;
    for (int i = 0; i < count; ++i) {
        const FILETIME time = DemoTime(i);
        SYSTEMTIME utc;
        FileTimeToSystemTime(&time, &utc);
        names.push_back(TimeName(utc));
    }
    return names;
}

// Whether the folder holds the demos under exactly these names.
bool HoldsExactly(const std::wstring& game, std::vector<std::wstring> names) {
    std::vector<std::wstring> found = DemoNames(game + L"\\Demos", L"sdm");
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    return found == names;
}

// One autorename run over a fresh folder of marked demos: every demo must
// get its name, with no question and no error (one box: the count).
void RunOnce(const std::wstring& game, int count, BenchHost& host, Results& out) {
    MainModule::SoldatPath = game;
    Form6::Reset();
    Form6& form = Form6::Get();
    form.Show();
    PumpFor(50);
    const LRESULT marked = SendMessageW(form.DemoList, LB_GETSELCOUNT, 0, 0);
    if (marked != count) Die(Format(L"autorename marked %d demos, not %d", static_cast<int>(marked), count));
    host.messages = 0;
    out.figures[L"rename"].Add(TimeMs([&] { form.BRename_Click(); }));
    if (host.messages != 1 || !HoldsExactly(game, TargetNames(count)))
        Die(Format(L"the autorename run showed %d boxes and did not give every demo its name", host.messages));
    Form6::Reset();
}

// The floor of a run: as many bare renames, to the names the run gives.
void FloorOnce(const std::wstring& game, int count, Results& out) {
    const std::vector<std::wstring> names = TargetNames(count);
    const std::wstring demos = game + L"\\Demos\\";
    std::vector<std::wstring> from, to;
    for (int i = 0; i < count; ++i) {
        from.push_back(demos + Format(L"match %05d.sdm", i));
        to.push_back(demos + names[static_cast<size_t>(i)] + L".sdm");
    }
    int failed = 0;
    out.figures[L"rename/floor"].Add(TimeMs([&] {
        for (size_t i = 0; i < from.size(); ++i) failed += MoveFileW(from[i].c_str(), to[i].c_str()) ? 0 : 1;
    }));
    if (failed) Die(Format(L"%d of the floor's bare renames failed", failed));
}

} // namespace

void MeasureAutorenameLoad(const Folders& folders, const Counts& counts, Results& out) {
    MainModule::SoldatPath = folders.games.at(10000);
    const std::wstring demos = MainModule::SoldatPath + L"\\Demos";
    auto load = [] {
        Form6& form = Form6::Get();
        form.Show();
        RedrawWindow(form.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    Form6::Reset();
    load(); // warm-up
    for (int run = 0; run < counts.refresh; ++run) {
        Form6::Reset();
        PumpFor(50);
        out.figures[L"autorename-load/floor"].Add(TimeMs([&] { Enumerate(demos); }));
        out.figures[L"autorename-load"].Add(TimeMs(load));
        if (Form6::Get().EntryCount() != 10000) Die(L"the autorename window did not list 10,000 demos");
    }
    Form6::Reset();
    Progress(Format(L"autorename window's load, 10,000: %.1f ms", out.Median(L"autorename-load")));
}

// Under Wine each rename looks the new name up in the whole folder, so both
// the run and its floor grow with the square of the count. The run and its
// floor take turns at going first.
void MeasureAutorenameRun(const Options& options, BenchHost& host, const Counts& counts, Results& out) {
    const int count = counts.renameDemos;
    out.about[L"rename-demos"] = std::to_wstring(count);
    for (int run = 0; run < 2 * counts.rename; ++run) {
        const bool floor = (run % 2) != (run / 2 % 2);
        const std::wstring game = MakeGameFolder(options.work + L"\\rename-" + std::to_wstring(run), count, L"match");
        if (floor) FloorOnce(game, count, out);
        else RunOnce(game, count, host, out);
        RemoveTree(game);
        PumpFor(50);
    }
    Progress(Format(L"autorename run over %d: %.1f ms, floor %.1f ms", count, out.Median(L"rename"),
                    out.Median(L"rename/floor")));
}

} // namespace bench
