#include "report.h"

#include "files.h"
#include "machine.h"
#include "text.h"

#include <algorithm>
#include <cwchar>
#include <initializer_list>
#include <utility>
#include <vector>

namespace bench {

namespace {

struct Report {
    std::wstring text;
    void Line(const std::wstring& line = L"") { text += line + L"\n"; }
    void Row(const std::vector<std::wstring>& cells) {
        std::wstring line = L"|";
        for (const std::wstring& cell : cells) line += L" " + cell + L" |";
        Line(line);
    }
    void Row(std::initializer_list<std::wstring> cells) { Row(std::vector<std::wstring>(cells)); }
    // A table of steps, each with its median and spread.
    void StepHeader() {
        Row({L"Step", L"Median", L"Spread"});
        Row({L"---", L"---:", L"---:"});
    }
    void Step(const std::wstring& name, const Figure& f) { Row({name, Ms(f.Median()), Spread(f)}); }
};

std::wstring Goal(bool met) { return met ? L"met" : L"**missed**"; }

std::wstring Kb(double kb) { return Grouped(static_cast<unsigned long long>(kb + 0.5)) + L" KB"; }

// A difference in milliseconds, with its sign.
std::wstring Delta(double ms) {
    std::wstring text = Ms(ms);
    return text[0] == L'-' ? text : L"+" + text;
}

void WriteHeader(Report& r, const Options& options) {
    r.Line(L"## Latest figures");
    r.Line();
    r.Line(L"- Machine: " + MachineDescription());
    r.Line(L"- Date: " + Today());
    r.Line(L"- Build: " + (options.build.empty() ? std::wstring() : options.build + L"; ") + CompilerDescription());
    r.Line(L"- Each time is the median of its runs, in milliseconds (QueryPerformanceCounter); the spread is the "
           L"fastest and the slowest run." +
           std::wstring(options.quick ? L" **A quick run (`--quick`): too few runs to judge by.**" : L""));
    r.Line(std::wstring(L"- A window counts as shown when ") +
           (options.detectByHook
                ? L"an out-of-context WinEvent hook reports EVENT_OBJECT_SHOW for a top-level window of the process."
                : L"EnumWindows, polled every millisecond, finds a visible top-level window of the process."));
}

// A start of the real program's library window (the library floor's is not).
bool IsLibraryStart(const StartFigures& s, size_t i) {
    return i != kLibraryFloorCase && s.starts[i].windowClass == kLibraryClass;
}

// The start-up table's last three cells for start I: its ratio to the floor,
// to the library floor (for the library's starts only), and the goal.
std::vector<std::wstring> FloorCells(const StartFigures& s, size_t i) {
    const double ms = s.time[i].Median();
    const double floorMs = s.time[kFloorCase].Median();
    if (i == kFloorCase) return {L"1.00×", L"–", L"(the floor)"};
    if (i == kLibraryFloorCase) return {Ratio(ms, floorMs), L"1.00×", L"(the library floor)"};
    return {Ratio(ms, floorMs), IsLibraryStart(s, i) ? Ratio(ms, s.time[kLibraryFloorCase].Median()) : L"–",
            Goal(ms <= 1.2 * floorMs)};
}

void WriteStartUpTable(Report& r, const StartFigures& s) {
    r.Line();
    r.Line(L"### Start-up: from just before CreateProcessW to the first window shown");
    r.Line();
    r.Row({L"Start", L"Median", L"Spread", L"Runs", L"× floor", L"× library floor", L"Goal: ≤ 1.2× floor"});
    r.Row({L"---", L"---:", L"---:", L"---:", L"---:", L"---:", L"---"});
    for (size_t i = 0; i < s.starts.size(); ++i) {
        const Figure& f = s.time[i];
        std::vector<std::wstring> cells = {s.starts[i].label, Ms(f.Median()), Spread(f),
                                           std::to_wstring(f.runs.size())};
        for (std::wstring& cell : FloorCells(s, i)) cells.push_back(std::move(cell));
        r.Row(cells);
    }
}

// The library's start in three shares, so that a change of either floor or
// of the program shows apart from the others.
void WriteLibraryShares(Report& r, const StartFigures& s) {
    const double floorMs = s.time[kFloorCase].Median();
    const double libraryFloorMs = s.time[kLibraryFloorCase].Median();
    r.Line();
    r.Line(L"The library's start in shares: the floor (the platform's least window), the library's window and "
           L"controls with the same manifest and fonts (`library_floor.exe`, less the floor), and Tarvendel's own "
           L"start above that (the settings file, the window's load and its list). Medians in milliseconds:");
    r.Line();
    r.Row({L"Start", L"Floor", L"Library's window and controls", L"Tarvendel's own", L"Total"});
    r.Row({L"---", L"---:", L"---:", L"---:", L"---:"});
    for (size_t i = 0; i < s.starts.size(); ++i) {
        if (!IsLibraryStart(s, i)) continue;
        const double total = s.time[i].Median();
        r.Row({s.starts[i].label, Ms(floorMs), Delta(libraryFloorMs - floorMs), Delta(total - libraryFloorMs),
               Ms(total)});
    }
}

void WriteStartUps(Report& r, const StartFigures& s, const RefreshFigures& rf) {
    WriteStartUpTable(r, s);
    WriteLibraryShares(r, s);
    // The library with 10,000 demos reads them before its window shows:
    // beside the floor and the bare enumeration of the same folder too.
    const double floorMs = s.time[kFloorCase].Median();
    for (const RefreshCase& c : rf.cases) {
        if (c.count != 10000 || c.floor.Empty()) continue;
        const double both = floorMs + c.floor.Median();
        r.Line();
        r.Line(L"The library with 10,000 demos reads the folder before its window shows; beside the floor "
               L"plus the bare enumeration of those 10,000 (" +
               Ms(floorMs) + L" + " + Ms(c.floor.Median()) + L" = " + Ms(both) + L" ms) it takes " +
               Ratio(s.time[kLibrary10kCase].Median(), both) + L".");
    }
}

void WriteProfileSteps(Report& r, const ProfileFigures& p) {
    static const std::pair<const char*, const wchar_t*> steps[] = {
        {"entry", L"Process start to the program's entry (loader, DLLs and their start, C++ runtime)"},
        {"controls-registered", L"Common controls registered (InitCommonControlsEx)"},
        {"window-created", L"Up to the window's creation: the settings file (Tarvendel), RegisterClassW (the "
                           L"floor); the floor and the splash start the display driver here, the others in "
                           L"InitCommonControlsEx"},
        {"first-control", L"Window created and centred"},
        {"last-control", L"Controls created (all but the last)"},
        {"seen", L"The rest, until the window is seen shown (Tarvendel: the last control, layout and fonts, "
                 L"Form_Load with the list, ShowWindow; the floor: CreateWindowExW and ShowWindow)"},
    };
    for (const auto& step : steps) {
        std::vector<std::wstring> cells = {step.second};
        bool any = false;
        for (const auto& byStep : p.steps) {
            auto found = byStep.find(step.first);
            any = any || found != byStep.end();
            cells.push_back(found == byStep.end() ? L"–" : Ms(found->second.Median()));
        }
        if (any) r.Row(cells);
    }
}

void WriteProfile(Report& r, const ProfileFigures& p) {
    r.Line();
    r.Line(L"Where a start goes: `probe.exe` runs Tarvendel's own start (the same core, resources and "
           L"imports) and writes down when each step ends; `probe_floor.exe` does the same for the floor. "
           L"Median length of each step in milliseconds:");
    r.Line();
    std::vector<std::wstring> head = {L"Step"}, align = {L"---"};
    for (const Start& start : p.starts) {
        head.push_back(start.label);
        align.push_back(L"---:");
    }
    r.Row(head);
    r.Row(align);
    WriteProfileSteps(r, p);
    std::vector<std::wstring> total = {L"**Total** (median of the runs)"};
    for (const Figure& f : p.totals) total.push_back(L"**" + Ms(f.Median()) + L"**");
    r.Row(total);
    std::vector<std::wstring> after = {L"*Not counted: ShowWindow returns this long after the window is seen*"};
    for (const auto& byStep : p.steps) {
        auto found = byStep.find("shown-after-seen");
        after.push_back(found == byStep.end() ? L"–" : L"*" + Ms(found->second.Median()) + L"*");
    }
    r.Row(after);
}

void WriteDllCost(Report& r, const ProfileFigures& p) {
    r.Line();
    r.Line(L"What Tarvendel's DLLs cost: `dllcost.exe` imports only kernel32 and the C runtime, carries "
           L"Tarvendel's manifest, and loads the DLLs with LoadLibraryW one after another in the order "
           L"Tarvendel.exe's imports bring them in; each time includes what the DLL pulls in and its start:");
    r.Line();
    r.StepHeader();
    for (const auto& step : p.dlls) {
        std::wstring name = step.first == "entry" ? L"Process start to the program's entry"
                                                  : L"LoadLibraryW(\"" + Wide(step.first) + L"\")";
        r.Step(name, step.second);
    }
}

void WriteRefresh(Report& r, const RefreshFigures& rf, const AutorenameFigures& a) {
    r.Line();
    r.Line(L"### The library's refresh (the list emptied, re-read and painted) beside a bare "
           L"FindFirstFileExW enumeration of the same folder");
    r.Line();
    r.Row(
        {L"Demos", L"Refresh", L"Spread", L"Enumeration (floor)", L"Spread", L"Runs", L"× floor", L"Goal: ≤ 2× floor"});
    r.Row({L"---", L"---:", L"---:", L"---:", L"---:", L"---:", L"---:", L"---"});
    for (const RefreshCase& c : rf.cases) {
        r.Row({Grouped(static_cast<unsigned long long>(c.count)), Ms(c.refresh.Median()), Spread(c.refresh),
               Ms(c.floor.Median()), Spread(c.floor), std::to_wstring(c.refresh.runs.size()),
               Ratio(c.refresh.Median(), c.floor.Median()),
               c.count == 10000 ? Goal(c.refresh.Median() <= 2 * c.floor.Median()) : L"–"});
    }
    if (!a.load.Empty())
        r.Row({L"Autorename window's load, 10,000", Ms(a.load.Median()), Spread(a.load), Ms(a.loadFloor.Median()),
               Spread(a.loadFloor), std::to_wstring(a.load.runs.size()), Ratio(a.load.Median(), a.loadFloor.Median()),
               L"–"});
}

void WriteAutorenameLoadSteps(Report& r, const AutorenameFigures& a) {
    r.Line();
    r.Line(L"Where the autorename window's load of 10,000 goes (the window on an empty folder; then, "
           L"hidden as during its load, the steps of its list one by one; then showing it):");
    r.Line();
    r.StepHeader();
    r.Step(L"The window, its controls and an empty list, shown and painted", a.create);
    r.Step(L"Empty the list (LB_RESETCONTENT)", a.reset);
    r.Step(L"Read the folder and fill the list (ListDemos)", a.list);
    r.Step(L"Read every entry back (LB_GETTEXTLEN, LB_GETTEXT)", a.read);
    r.Step(L"Mark every entry but the intros (LB_SETSEL each)", a.mark);
    r.Step(L"Show and paint", a.paint);
}

void WriteRefreshSteps(Report& r, const RefreshFigures& rf) {
    r.Line();
    r.Line(L"Where a refresh of 10,000 goes (the same steps, timed one by one):");
    r.Line();
    r.StepHeader();
    r.Step(L"Empty the list (LB_RESETCONTENT)", rf.reset);
    r.Step(L"Read the folder (DemoNames)", rf.names);
    r.Step(L"Fill the list, redraw off", rf.fill);
    r.Step(L"Paint", rf.paint);
}

void WriteAutorenameRun(Report& r, const AutorenameFigures& a) {
    r.Line();
    r.Line(L"### An autorename run over 10,000 marked demos, no clashes");
    r.Line();
    r.Row({L"Run", L"Median", L"Spread", L"Runs"});
    r.Row({L"---", L"---:", L"---:", L"---:"});
    r.Row({L"Autorename (Rename the selected files)", Ms(a.run.Median()), Spread(a.run),
           std::to_wstring(a.run.runs.size())});
    r.Row({L"Floor: 10,000 bare MoveFileW", Ms(a.runFloor.Median()), Spread(a.runFloor),
           std::to_wstring(a.runFloor.runs.size())});
}

void WriteMemory(Report& r, const MemoryFigures& m) {
    r.Line();
    // Wine reports no private bytes for another process (0): then the
    // column says so.
    bool privateReported = false;
    for (const Figure& f : m.privateBytes) privateReported = privateReported || f.Max() > 0;
    r.Row({L"Running program, window shown and settled", L"Peak working set", L"Spread", L"Private bytes", L"Runs"});
    r.Row({L"---", L"---:", L"---:", L"---:", L"---:"});
    for (size_t i = 0; i < m.starts.size(); ++i) {
        const Figure& peak = m.peak[i];
        r.Row({m.starts[i].label, Kb(peak.Median()), Kb(peak.Min()) + L"–" + Kb(peak.Max()),
               privateReported ? Kb(m.privateBytes[i].Median()) : L"not reported", std::to_wstring(peak.runs.size())});
    }
}

void WriteSizes(Report& r, const Options& options) {
    r.Line();
    r.Row({L"Executable", L"Bytes", L"Goal: under 500 KB (500,000 bytes)"});
    r.Row({L"---", L"---:", L"---"});
    auto sizeRow = [&](const std::wstring& label, const std::wstring& path, bool goal) {
        unsigned long long size = FileSize(path);
        r.Row({label, Grouped(size), goal ? Goal(size < 500000) : L"–"});
    };
    sizeRow(L"Tarvendel.exe (" + std::wstring(sizeof(void*) == 8 ? L"x86_64" : L"i686") + L")", options.exe, true);
    if (!options.exe32.empty()) sizeRow(L"Tarvendel.exe (i686)", options.exe32, true);
    if (!options.compare.empty()) sizeRow(L"Compared build's Tarvendel.exe", options.compare, true);
    sizeRow(L"floor.exe (for comparison)", options.floor, false);
    sizeRow(L"library_floor.exe (for comparison)", options.libraryFloor, false);
}

} // namespace

std::wstring WriteReport(const Options& options, const Results& results) {
    const RefreshFigures& rf = results.refresh;
    const AutorenameFigures& a = results.autorename;
    Report r;
    WriteHeader(r, options);
    if (options.Has(L"startup")) WriteStartUps(r, results.starts, rf);
    if (!results.profile.starts.empty()) WriteProfile(r, results.profile);
    if (!results.profile.dlls.empty()) WriteDllCost(r, results.profile);
    if (options.Has(L"refresh") || options.Has(L"autorename")) {
        WriteRefresh(r, rf, a);
        if (!a.create.Empty()) WriteAutorenameLoadSteps(r, a);
        if (!rf.reset.Empty()) WriteRefreshSteps(r, rf);
    }
    if (!a.run.Empty()) WriteAutorenameRun(r, a);
    r.Line();
    r.Line(L"### Memory and size");
    if (!results.memory.starts.empty()) WriteMemory(r, results.memory);
    WriteSizes(r, options);
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
