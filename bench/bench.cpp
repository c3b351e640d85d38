// Tarvendel's benchmark: what the program costs, beside what the platform
// itself costs, in figures every later change can be judged by. It asserts
// nothing; it measures and writes a Markdown table (tools/bench runs it under
// Wine, for each architecture, and puts the table into docs/performance.md).
//
//   bench.exe [--exe PATH] [--compare PATH] [--floor PATH] [--library-floor PATH]
//             [--doc FILE] [--out FILE] [--figures FILE] [--with FILE]... [--note TEXT]...
//             [--build TEXT] [--work FOLDER] [--keep] [--runs N] [--quick]
//             [--sections LIST] [--detect poll|hook]
//   bench.exe --list-names N
//
// --exe      Tarvendel.exe to start (default: beside bench.exe)
// --compare  another Tarvendel.exe (a candidate change): its start-ups run in
//            turn with the first's, so that both meet the same machine state
// --floor    the minimal one-window program (default: floor.exe beside bench.exe)
// --library-floor  the library's window and controls without the program's
//            logic (default: library_floor.exe beside bench.exe)
// --doc      a Markdown file whose block between the lines <!-- bench:begin -->
//            and <!-- bench:end --> is replaced by the new figures (or to which
//            the block is appended)
// --out      also write the block alone to this file
// --figures  also write this run's figures to this file, for another run's --with
// --with     the figures another run wrote (the other architecture's bench.exe):
//            the tables show them beside this run's, that run's columns first
// --note     a line for the head of the table
// --build    a line that names the build (tools/bench passes the commit)
// --work     where the demo folders are made (default: a new folder under %TEMP%);
//            game-N\Demos folders that hold N demos already are used as they are
// --keep     leave the work folder (it is removed at the end otherwise)
// --runs     start-up runs per case (default 11); the other figures scale with it
// --quick    three runs of everything, and an autorename run over 2,000 demos
//            instead of 10,000, for trying the bench itself
// --sections which figures: any of startup,memory,refresh,autorename,rename,tips
//            (default: all; autorename is the autorename window's load, rename a
//            run, tips the text of a tip over large demos)
// --detect   how a shown window is noticed: "poll" (EnumWindows every millisecond,
//            the default) or "hook" (an out-of-context WinEvent hook on
//            EVENT_OBJECT_SHOW; Wine 8 does not deliver it for other processes)
// --list-names N  prints the names of the first N generated demos and ends
//
// The bench needs floor.exe and library_floor.exe beside it (the build puts
// them there), built for its own architecture.
//
// Each measure lies in its own file: startup.cpp (the start-ups beside the
// two floors), memory.cpp, refresh.cpp, autorename.cpp, tips.cpp; report.cpp writes the
// table. launch.cpp starts a program and notices its first window;
// folders.cpp makes the demo folders.
//
// Times come from QueryPerformanceCounter. Every figure is the median of its
// runs; the spread is the smallest and the largest run.
#include "autorename.h"
#include "files.h"
#include "folders.h"
#include "launch.h"
#include "machine.h"
#include "memory.h"
#include "options.h"
#include "refresh.h"
#include "report.h"
#include "startup.h"
#include "text.h"
#include "tips.h"

#include "library/Form6.h"
#include "startup/MainModule.h"
#include "ui/Host.h"
#include "ui/Window.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <string>

namespace {

using namespace bench;

// The bench's own process as the library's: the common controls, the about
// line, a host that answers every box; and what starting programs needs.
void Prepare(const Options& options, BenchHost& host) {
    ui::SetHost(&host);
    // Millisecond sleeps for the polling (Windows sleeps 15.6 ms otherwise).
    timeBeginPeriod(1);
    MainModule::InitControls();
    MainModule::TitleText = MainModule::AboutLine();
    KeepDesktop();
    StartDetection(options.detectByHook);
    CreateDirectoryW(options.work.c_str(), nullptr);
    if (!Exists(options.work)) Die(L"cannot create " + options.work);
    Progress(L"working in " + options.work);
}

void Measure(const Options& options, const Folders& folders, BenchHost& host, Results& results) {
    const Counts counts = CountsFor(options);
    if (options.Has(L"startup")) MeasureStartUps(options, folders, counts, results);
    if (options.Has(L"memory")) MeasureMemory(options, folders, counts, results);
    if (options.Has(L"refresh")) MeasureRefresh(folders, counts, results);
    if (options.Has(L"autorename")) MeasureAutorenameLoad(folders, counts, results);
    if (options.Has(L"rename")) MeasureAutorenameRun(options, host, counts, results);
    if (options.Has(L"tips")) MeasureTips(options, counts, results);
    auto size = [&](const wchar_t* key, const std::wstring& path) {
        if (!path.empty()) results.figures[key].Add(static_cast<double>(FileSize(path)));
    };
    size(L"size/Tarvendel.exe", options.exe);
    size(L"size/compare", options.compare);
    size(L"size/floor.exe", options.floor);
    size(L"size/library_floor.exe", options.libraryFloor);
}

// What this run ran on.
void Describe(Results& results) {
    results.about[L"arch"] = sizeof(void*) == 8 ? L"x86_64" : L"i686";
    results.about[L"machine"] = MachineDescription();
    results.about[L"compiler"] = CompilerDescription();
    results.about[L"date"] = Today();
}

// The table on stdout, and into --out and --doc when they are given.
void Publish(const Options& options, const std::wstring& block) {
    SetConsoleOutputCP(CP_UTF8);
    std::string bytes = Utf8(block);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
    if (!options.out.empty() && !WriteFileBytes(options.out, bytes)) Die(L"cannot write " + options.out);
    if (!options.doc.empty()) {
        UpdateDocument(options.doc, block);
        Progress(L"wrote " + options.doc);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const Options options = ParseOptions(argc, argv);
    BenchHost host;
    Prepare(options, host);
    // The folders, made once (or found made) and used by every figure but the
    // autorename run, which makes its own.
    const bool needed = options.Has(L"startup") || options.Has(L"memory") || options.Has(L"refresh") ||
                        options.Has(L"autorename");
    const Folders folders = needed ? MakeFolders(options) : Folders{};
    Results results;
    Describe(results);
    Measure(options, folders, host, results);

    Form6::Reset();
    ui::ResetAllWindows();
    StopDetection();
    if (!options.keep) RemoveTree(options.work);
    if (!options.figures.empty()) SaveResults(options.figures, results);
    std::vector<Results> runs;
    for (const std::wstring& with : options.with) runs.push_back(LoadResults(with));
    runs.push_back(results);
    Publish(options, WriteReport(options, runs));
    return 0;
}
