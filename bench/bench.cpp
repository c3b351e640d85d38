// Tarvendel's benchmark: what the program costs, beside what the platform
// itself costs, in figures every later change can be judged by. It asserts
// nothing; it measures and writes a Markdown table (tools/bench runs it under
// Wine and puts the table into docs/performance.md).
//
//   bench.exe [--exe PATH] [--exe32 PATH] [--compare PATH] [--floor PATH]
//             [--library-floor PATH] [--doc FILE] [--out FILE] [--build TEXT]
//             [--work FOLDER] [--keep] [--runs N] [--quick] [--sections LIST]
//             [--detect poll|hook]
//   bench.exe --list-names N
//
// --exe      Tarvendel.exe to start (default: beside bench.exe)
// --exe32    the 32-bit Tarvendel.exe, for its size only
// --compare  another Tarvendel.exe (a candidate change): its start-ups run in
//            turn with the first's, so that both meet the same machine state
// --floor    the minimal one-window program (default: floor.exe beside bench.exe)
// --library-floor  the library's window and controls without the program's
//            logic (default: library_floor.exe beside bench.exe)
// --doc      a Markdown file whose block between the lines <!-- bench:begin -->
//            and <!-- bench:end --> is replaced by the new figures (or to which
//            the block is appended)
// --out      also write the block alone to this file
// --build    a line that names the build (tools/bench passes the commit)
// --work     where the demo folders are made (default: a new folder under %TEMP%);
//            game-N\Demos folders that hold N demos already are used as they are
// --keep     leave the work folder (it is removed at the end otherwise)
// --runs     start-up runs per case (default 11); the other figures scale with it
// --quick    three runs of everything, for trying the bench itself
// --sections which figures: any of startup,profile,memory,refresh,autorename,rename
//            (default: all)
// --detect   how a shown window is noticed: "poll" (EnumWindows every millisecond,
//            the default) or "hook" (an out-of-context WinEvent hook on
//            EVENT_OBJECT_SHOW; Wine 8 does not deliver it for other processes)
// --list-names N  prints the names of the first N generated demos and ends
//
// The bench needs floor.exe, library_floor.exe, probe.exe, probe_floor.exe and
// dllcost.exe beside it (the build puts them there).
//
// Each measure lies in its own file: startup.cpp (the start-ups
// beside the two floors, and where a start goes), memory.cpp, refresh.cpp,
// autorename.cpp; report.cpp writes the table. launch.cpp starts a program
// and notices its first window; folders.cpp makes the demo folders.
//
// Times come from QueryPerformanceCounter. Every figure is the median of its
// runs; the spread is the smallest and the largest run.
#include "autorename.h"
#include "files.h"
#include "folders.h"
#include "launch.h"
#include "memory.h"
#include "options.h"
#include "refresh.h"
#include "report.h"
#include "startup.h"
#include "text.h"

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
    MainModule::TitleText = std::wstring(L"Tarvendel v") + MainModule::kVersion + L" - by Vornak - " +
                            MainModule::kWebAddress;
    KeepDesktop();
    StartDetection(options.detectByHook);
    CreateDirectoryW(options.work.c_str(), nullptr);
    if (!Exists(options.work)) Die(L"cannot create " + options.work);
    Progress(L"working in " + options.work);
}

void Measure(const Options& options, const Folders& folders, BenchHost& host, Results& results) {
    const Counts counts = CountsFor(options);
    if (options.Has(L"startup")) MeasureStartUps(options, folders, counts, results.starts);
    if (options.Has(L"memory")) MeasureMemory(options, folders, counts, results.memory);
    if (options.Has(L"profile")) MeasureProfile(options, folders, counts, results.profile);
    if (options.Has(L"refresh")) MeasureRefresh(folders, counts, results.refresh);
    if (options.Has(L"autorename")) MeasureAutorenameLoad(folders, counts, results.autorename);
    if (options.Has(L"rename")) MeasureAutorenameRun(options, host, counts, results.autorename);
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
    // The folders, made once (or found made) and used by every figure that needs them.
    const Folders folders = MakeFolders(options);
    Results results;
    Measure(options, folders, host, results);

    Form6::Reset();
    ui::ResetAllWindows();
    StopDetection();
    if (!options.keep) RemoveTree(options.work);
    Publish(options, WriteReport(options, results));
    return 0;
}
