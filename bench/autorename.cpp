#include "autorename.h"

#include "files.h"
#include "text.h"
#include "timing.h"

#include "library/Form6.h"
#include "library/ListDemos.h"
#include "startup/MainModule.h"

#include <utility>

namespace bench {

namespace {

void ShowAndPaint(Form6& form) {
    form.Show();
    RedrawWindow(form.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// The window, hidden again as during a load, with FillAutorenameList's steps
// timed one by one on the folder's demos; then showing and painting.
void MeasureListSteps(const std::wstring& demos, AutorenameFigures& out) {
    Form6& form = Form6::Get();
    form.Hide();
    PumpFor(50);
    HWND list = form.DemoList;
    out.reset.Add(TimeMs([&] { SendMessageW(list, LB_RESETCONTENT, 0, 0); }));
    out.list.Add(TimeMs([&] { form.ListDemos(demos + L"\\", L"sdm"); }));
    std::vector<std::wstring> entries;
    out.read.Add(TimeMs([&] {
        RedrawOff quiet(list);
        const int count = form.EntryCount();
        for (int i = 0; i < count; ++i) entries.push_back(form.EntryText(i));
    }));
    out.mark.Add(TimeMs([&] {
        RedrawOff quiet(list);
        for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
            const std::wstring& entry = entries[static_cast<size_t>(i)];
            if (entry.substr(0, entry.find(L' ')) != L"intro") form.SetMarked(i, true);
        }
    }));
    out.paint.Add(TimeMs([&] { ShowAndPaint(form); }));
}

// The floor's moves: each "match NNNNN" demo to the name the run gives it
// (its creation time, a minute and a second after the one before).
std::vector<std::pair<std::wstring, std::wstring>> FloorMoves(const std::wstring& game) {
    std::vector<std::pair<std::wstring, std::wstring>> moves;
    SYSTEMTIME base{2020, 1, 0, 1, 8, 0, 0, 0};
    FILETIME baseTime;
    SystemTimeToFileTime(&base, &baseTime);
    for (int i = 0; i < kRunDemos; ++i) {
        ULARGE_INTEGER at{};
        at.LowPart = baseTime.dwLowDateTime;
        at.HighPart = baseTime.dwHighDateTime;
        at.QuadPart += static_cast<ULONGLONG>(i) * 10000000ULL * 61;
        FILETIME time{at.LowPart, at.HighPart};
        SYSTEMTIME utc;
        FileTimeToSystemTime(&time, &utc);
        moves.emplace_back(Format(L"%ls\\Demos\\match %05d.sdm", game.c_str(), i),
                           game + L"\\Demos\\" + TimeName(utc) + L".sdm");
    }
    return moves;
}

// One autorename run over a fresh folder of kRunDemos marked demos.
void RunOnce(const std::wstring& game, BenchHost& host, AutorenameFigures& out) {
    MainModule::SoldatPath = game;
    Form6::Reset();
    Form6& form = Form6::Get();
    form.Show();
    PumpFor(50);
    int marked = 0;
    for (int i = 0; i < form.EntryCount(); ++i) marked += form.IsMarked(i) ? 1 : 0;
    if (marked != kRunDemos) Die(Format(L"autorename marked %d demos, not %d", marked, kRunDemos));
    host.messages.clear();
    out.run.Add(TimeMs([&] { form.BRename_Click(); }));
    if (host.messages.size() != 1 || host.messages[0] != Format(L"Successfully renamed %d files!", kRunDemos))
        Die(L"the autorename run did not rename every demo cleanly: " +
            (host.messages.empty() ? std::wstring(L"no message") : host.messages[0]));
    Form6::Reset();
}

// The floor of a run: as many bare renames, to the names the run gives.
void FloorOnce(const std::wstring& game, AutorenameFigures& out) {
    const auto moves = FloorMoves(game);
    int failed = 0;
    out.runFloor.Add(TimeMs([&] {
        for (const auto& move : moves) failed += MoveFileW(move.first.c_str(), move.second.c_str()) ? 0 : 1;
    }));
    if (failed) Die(Format(L"%d of the floor's bare renames failed", failed));
}

} // namespace

void MeasureAutorenameLoad(const Folders& folders, const Counts& counts, AutorenameFigures& out) {
    MainModule::SoldatPath = folders.games.at(10000);
    const std::wstring demos = MainModule::SoldatPath + L"\\Demos";
    auto load = [] { ShowAndPaint(Form6::Get()); };
    Form6::Reset();
    load(); // warm-up
    for (int run = 0; run < counts.refresh; ++run) {
        Form6::Reset();
        PumpFor(50);
        out.loadFloor.Add(TimeMs([&] { Enumerate(demos); }));
        out.load.Add(TimeMs(load));
        if (Form6::Get().EntryCount() != 10000) Die(L"the autorename window did not list 10,000 demos");
    }
    // Where the load goes: the window without its list (an empty folder),
    // then its list's steps on 10,000.
    for (int run = 0; run < counts.refresh; ++run) {
        Form6::Reset();
        PumpFor(50);
        MainModule::SoldatPath = folders.games.at(0);
        out.create.Add(TimeMs(load));
        MainModule::SoldatPath = folders.games.at(10000);
        MeasureListSteps(demos, out);
    }
    Form6::Reset();
    Progress(Format(L"autorename window's load, 10,000: %.1f ms", out.load.Median()));
}

// Under Wine each rename looks the name up in the whole folder, so both the
// run and its floor grow with the folder.
void MeasureAutorenameRun(const Options& options, BenchHost& host, const Counts& counts, AutorenameFigures& out) {
    for (int run = 0; run < counts.rename; ++run) {
        const std::wstring game = MakeGameFolder(options.work + L"\\rename-" + std::to_wstring(run), kRunDemos, true,
                                                 L"match");
        RunOnce(game, host, out);
        RemoveTree(game);
        const std::wstring bare = MakeGameFolder(options.work + L"\\move-" + std::to_wstring(run), kRunDemos, false,
                                                 L"match");
        FloorOnce(bare, out);
        RemoveTree(bare);
        PumpFor(50);
    }
    Progress(Format(L"autorename run over %d: %.1f ms", kRunDemos, out.run.Median()));
}

} // namespace bench
