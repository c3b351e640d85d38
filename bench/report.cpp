#include "report.h"

#include "files.h"
#include "text.h"
#include "tips.h"

#include <cmath>
#include <cwchar>
#include <functional>

namespace bench {

namespace {

using Cells = std::vector<std::wstring>;

// The goals, each written here once: the words the tables give and the bound
// they check (a ratio to a floor, bytes, or milliseconds).
struct GoalOf {
    const wchar_t* words;
    double limit;
};
const GoalOf kStartGoal{L"within 1.2 times the floor", 1.2};
const GoalOf kRefreshGoal{L"a refresh of 10,000 demos within twice the enumeration", 2};
const int kRefreshGoalDemos = 10000;
const GoalOf kRenameGoal{L"within 1.2 times as many bare MoveFileW to the same names", 1.2};
const GoalOf kSizeGoal{L"Tarvendel.exe under 500 KB (500,000 bytes)", 500000};
const GoalOf kTipGoal{L"the tip of a 40 MB demo within 50 ms, on a warm cache", 50};
const int kTipGoalMb = 40;

struct Report {
    std::wstring text;
    void Line(const std::wstring& line = L"") { text += line + L"\n"; }
    void Row(const Cells& cells) {
        std::wstring line = L"|";
        for (const std::wstring& cell : cells) line += L" " + cell + L" |";
        Line(line);
    }
};

// A row of a table whose columns, after the first, come in one group for
// each run; shown when any run has the figure named by key.
struct Row {
    std::wstring label, key;
    std::function<Cells(const Results&)> cells;
};

void Table(Report& r, const std::vector<Results>& runs, const std::wstring& first, const Cells& group,
           const std::vector<Row>& rows) {
    Cells head = {first}, align = {L"---"};
    for (const Results& run : runs) {
        for (const std::wstring& name : group) {
            head.push_back(run.about.at(L"arch") + (name.empty() ? L"" : L" " + name));
            align.push_back(L"---:");
        }
    }
    r.Line();
    r.Row(head);
    r.Row(align);
    for (const Row& row : rows) {
        Cells cells = {row.label};
        bool any = false;
        for (const Results& run : runs) {
            any = any || !run.Get(row.key).Empty();
            for (std::wstring& cell : run.Get(row.key).Empty() ? Cells(group.size(), L"–") : row.cells(run))
                cells.push_back(std::move(cell));
        }
        if (any) r.Row(cells);
    }
}

std::wstring Goal(bool met) { return met ? L"met" : L"**missed**"; }

// "158 (114–234)": the median and the spread.
std::wstring Time(const Figure& f) { return Ms(f.Median()) + L" (" + Spread(f) + L")"; }

// A ratio to a floor, with whether it meets the goal of at most LIMIT times.
std::wstring Against(double value, double floor, double limit) {
    return Ratio(value, floor) + L", " + Goal(value <= limit * floor);
}

void WriteHeader(Report& r, const Options& options, const std::vector<Results>& runs) {
    const Results& first = runs.front();
    std::wstring compilers;
    for (const Results& run : runs) compilers += (compilers.empty() ? L"" : L"; ") + run.about.at(L"compiler");
    r.Line(L"## Latest figures");
    r.Line();
    r.Line(L"- Machine: " + first.about.at(L"machine"));
    r.Line(L"- Date: " + first.about.at(L"date"));
    r.Line(L"- Build: " + (options.build.empty() ? std::wstring() : options.build + L"; ") + compilers);
    for (const std::wstring& note : options.notes) r.Line(L"- " + note);
    r.Line(L"- Each time is the median of its runs, in milliseconds (QueryPerformanceCounter), with the fastest and "
           L"the slowest run in brackets." +
           std::wstring(options.quick ? L" **A quick run (`--quick`): too few runs to judge by.**" : L""));
    r.Line(std::wstring(L"- A window counts as shown when ") +
           (options.detectByHook
                ? L"an out-of-context WinEvent hook reports EVENT_OBJECT_SHOW for a top-level window of the process."
                : L"EnumWindows, polled every millisecond, finds a visible top-level window of the process."));
}

bool AnyHas(const std::vector<Results>& runs, const std::wstring& key) {
    for (const Results& run : runs)
        if (!run.Get(key).Empty()) return true;
    return false;
}

std::wstring Runs(const std::vector<Results>& runs, const std::wstring& key) {
    return std::to_wstring(runs.front().Get(key).runs.size());
}

void WriteStartUps(Report& r, const std::vector<Results>& runs) {
    static const std::pair<const wchar_t*, const wchar_t*> starts[] = {
        {L"floor", L"Floor: a minimal one-window program"},
        {L"library-floor", L"Library floor: the library's window and controls, no logic"},
        {L"library-empty", L"Library, empty folder"},
        {L"library-10000", L"Library, 10,000 demos"},
        {L"options", L"Play options window (`-c DEMO`)"},
        {L"splash", L"Splash window's load (`DEMO`)"},
        {L"compare-library-empty", L"Compared build: library, empty folder"},
        {L"compare-library-10000", L"Compared build: library, 10,000 demos"},
        {L"compare-options", L"Compared build: play options window"},
        {L"compare-splash", L"Compared build: splash window's load"},
    };
    r.Line();
    r.Line(L"### Start-up: from just before CreateProcessW to the first window shown");
    r.Line();
    r.Line(L"Medians of " + Runs(runs, L"start/floor") + L" runs of each, started in turn; the goal: " +
           kStartGoal.words +
           L". The library's starts also beside the library floor (the same window and controls without "
           L"the program's logic).");
    std::vector<Row> rows;
    for (const auto& [key, label] : starts) {
        const std::wstring name = L"start/" + std::wstring(key);
        const bool floor = name == L"start/floor" || name == L"start/library-floor";
        const bool library = !floor && name.find(L"library-") != std::wstring::npos;
        rows.push_back({label, name, [=](const Results& run) {
                            const double ms = run.Median(name), floorMs = run.Median(L"start/floor");
                            return Cells{Time(run.Get(name)), floor ? Ratio(ms, floorMs) : Against(ms, floorMs, kStartGoal.limit),
                                         library ? Ratio(ms, run.Median(L"start/library-floor")) : L"–"};
                        }});
    }
    Table(r, runs, L"Start", {L"", L"× floor", L"× library floor"}, rows);
    // The library with 10,000 demos reads the folder before its window shows.
    std::wstring both;
    for (const Results& run : runs) {
        const double floorMs = run.Median(L"start/floor"), listing = run.Median(L"refresh/10000/floor");
        if (run.Get(L"refresh/10000/floor").Empty()) continue;
        both += (both.empty() ? L"" : L", ") + Ratio(run.Median(L"start/library-10000"), floorMs + listing) + L" (" +
                run.about.at(L"arch") + L": " + Ms(floorMs) + L" + " + Ms(listing) + L" ms)";
    }
    if (both.empty()) return;
    r.Line();
    r.Line(L"The library with 10,000 demos reads its folder before its window shows: beside the floor plus the bare "
           L"enumeration of the same folder it takes " +
           both + L".");
}

void WriteRefresh(Report& r, const std::vector<Results>& runs) {
    r.Line();
    r.Line(L"### The library's refresh (the list emptied, re-read and painted) beside a bare FindFirstFileExW "
           L"enumeration of the same folder");
    r.Line();
    r.Line(L"The goal: " + std::wstring(kRefreshGoal.words) + L". Medians of " +
           Runs(runs, L"refresh/10000") + L" runs (" + Runs(runs, L"refresh/50000") + L" for 50,000).");
    std::vector<Row> rows;
    for (int count : {1000, 10000, 50000}) {
        const std::wstring name = L"refresh/" + std::to_wstring(count);
        rows.push_back({Grouped(static_cast<unsigned long long>(count)), name, [=](const Results& run) {
                            const double ms = run.Median(name), floorMs = run.Median(name + L"/floor");
                            return Cells{Time(run.Get(name)), Time(run.Get(name + L"/floor")),
                                         count == kRefreshGoalDemos ? Against(ms, floorMs, kRefreshGoal.limit)
                                                             : Ratio(ms, floorMs)};
                        }});
    }
    rows.push_back({L"Autorename window's load, 10,000", L"autorename-load", [](const Results& run) {
                        return Cells{Time(run.Get(L"autorename-load")), Time(run.Get(L"autorename-load/floor")),
                                     Ratio(run.Median(L"autorename-load"), run.Median(L"autorename-load/floor"))};
                    }});
    Table(r, runs, L"Demos", {L"", L"enumeration (floor)", L"× floor"}, rows);
}

void WriteAutorenameRun(Report& r, const std::vector<Results>& runs) {
    std::wstring demos;
    for (const Results& run : runs)
        if (demos.empty() && run.about.contains(L"rename-demos")) demos = run.about.at(L"rename-demos");
    demos = Grouped(std::wcstoull(demos.c_str(), nullptr, 10));
    r.Line();
    r.Line(L"### An autorename run over " + demos + L" marked demos, no clashes");
    r.Line();
    r.Line(L"The goal: " + std::wstring(kRenameGoal.words) + L". Medians of " + Runs(runs, L"rename") + L" runs of each, the run and its floor taking turns, each on a new folder.");
    Table(r, runs, L"Run", {L""},
          {{L"Autorename (Rename the selected files)", L"rename",
            [](const Results& run) { return Cells{Time(run.Get(L"rename"))}; }},
           {L"Floor: " + demos + L" bare MoveFileW", L"rename/floor",
            [](const Results& run) { return Cells{Time(run.Get(L"rename/floor"))}; }},
           {L"Autorename × floor", L"rename", [](const Results& run) {
                return Cells{Against(run.Median(L"rename"), run.Median(L"rename/floor"), kRenameGoal.limit)};
            }}});
}

void WriteTips(Report& r, const std::vector<Results>& runs) {
    r.Line();
    r.Line(L"### The text of a tip over a large demo without a head (DemoTip)");
    r.Line();
    r.Line(L"The goal: " + std::wstring(kTipGoal.words) + L". Medians of " + Runs(runs, L"tip/1") +
           L" runs: the first tip after the demo's last-write time changed (the demo read whole), and the second "
           L"over the unchanged demo.");
    std::vector<Row> rows;
    for (int mb : kTipSizes) {
        const std::wstring name = L"tip/" + std::to_wstring(mb);
        rows.push_back({std::to_wstring(mb) + L" MB", name, [=](const Results& run) {
                            const Figure& first = run.Get(name);
                            return Cells{Time(first) + (mb == kTipGoalMb ? L", " + Goal(first.Median() <= kTipGoal.limit)
                                                                         : L""),
                                         Time(run.Get(name + L"/again"))};
                        }});
    }
    Table(r, runs, L"Demo", {L"first tip", L"again"}, rows);
}

void WriteMemoryAndSizes(Report& r, const std::vector<Results>& runs) {
    auto kb = [](double value) { return Grouped(static_cast<unsigned long long>(std::llround(value))) + L" KB"; };
    auto memory = [&](const wchar_t* label, const std::wstring& name) {
        return Row{label, name, [=](const Results& run) {
                       const Figure& f = run.Get(name);
                       return Cells{kb(f.Median()) + L" (" + kb(f.Min()) + L"–" + kb(f.Max()) + L")"};
                   }};
    };
    auto size = [](const wchar_t* label, const std::wstring& name, bool goal) {
        return Row{label, name, [=](const Results& run) {
                       const double bytes = run.Median(name);
                       return Cells{Grouped(static_cast<unsigned long long>(bytes)) +
                                    (goal ? L", " + Goal(bytes < kSizeGoal.limit) : L"")};
                   }};
    };
    r.Line();
    r.Line(L"### Memory and size");
    if (AnyHas(runs, L"memory/floor")) {
        r.Line();
        r.Line(L"The peak working set of the running program once its window shows and it has settled, median of " +
               Runs(runs, L"memory/floor") + L" runs (Wine reports no private bytes for another process).");
        Table(r, runs, L"Running program", {L"peak working set"},
              {memory(L"Floor: a minimal one-window program", L"memory/floor"),
               memory(L"Library, empty folder", L"memory/library-empty"),
               memory(L"Library, 10,000 demos", L"memory/library-10000")});
    }
    r.Line();
    r.Line(L"The goal: " + std::wstring(kSizeGoal.words) + L".");
    Table(r, runs, L"Executable", {L"bytes"},
          {size(L"Tarvendel.exe", L"size/Tarvendel.exe", true), size(L"Compared build", L"size/compare", true),
           size(L"floor.exe (for comparison)", L"size/floor.exe", false),
           size(L"library_floor.exe (for comparison)", L"size/library_floor.exe", false)});
}

} // namespace

std::wstring WriteReport(const Options& options, const std::vector<Results>& runs) {
    Report r;
    WriteHeader(r, options, runs);
    if (AnyHas(runs, L"start/floor")) WriteStartUps(r, runs);
    if (AnyHas(runs, L"refresh/10000") || AnyHas(runs, L"autorename-load")) WriteRefresh(r, runs);
    if (AnyHas(runs, L"rename")) WriteAutorenameRun(r, runs);
    if (AnyHas(runs, L"tip/1")) WriteTips(r, runs);
    WriteMemoryAndSizes(r, runs);
    return r.text;
}

void UpdateDocument(const std::wstring& path, const std::wstring& block) {
    static const wchar_t kBegin[] = L"<!-- bench:begin -->";
    static const wchar_t kEnd[] = L"<!-- bench:end -->";
    std::string bytes;
    std::wstring document;
    if (ReadFileBytes(path, bytes)) document = Wide(bytes);
    document.erase(std::remove(document.begin(), document.end(), L'\r'), document.end());
    const std::wstring wrapped = std::wstring(kBegin) + L"\n" + block + kEnd;
    size_t begin = document.find(kBegin);
    size_t end = begin == std::wstring::npos ? std::wstring::npos : document.find(kEnd, begin);
    if (begin != std::wstring::npos && end != std::wstring::npos) {
        document.replace(begin, end + std::wcslen(kEnd) - begin, wrapped);
    } else {
        if (document.empty()) document = L"# Performance\n";
        if (document.back() != L'\n') document += L'\n';
        document += L"\n" + wrapped + L"\n";
    }
    if (!WriteFileBytes(path, Utf8(document))) Die(L"cannot write " + path);
}

} // namespace bench
