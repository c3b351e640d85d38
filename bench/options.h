// The bench's command line (described at the head of bench.cpp) and the
// number of runs each measure gets from it.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace bench {

struct Options {
    std::wstring exe, floor, libraryFloor, doc, out, build, work;
    std::wstring compare;            // another Tarvendel.exe whose start-ups run in turn with the first's
    std::wstring figures;            // where this run's figures are written for another run's --with
    std::vector<std::wstring> with;  // figures of other architectures, shown beside this run's
    std::vector<std::wstring> notes; // lines added to the report's head
    int runs = 11;
    bool quick = false;
    bool keep = false;
    bool detectByHook = false; // --detect hook: a WinEvent hook instead of polling EnumWindows
    std::vector<std::wstring> sections = {L"startup", L"memory", L"refresh", L"autorename", L"rename",
                                          L"tips"};
    bool Has(const wchar_t* section) const {
        return std::find(sections.begin(), sections.end(), section) != sections.end();
    }
};

// Ends the bench on an argument it does not know or a program that is not
// there. "--list-names N" prints the names and ends it too.
Options ParseOptions(int argc, wchar_t** argv);

// Runs per measure: the start-ups get --runs, the slower measures fewer; and
// the demos of an autorename run (fewer in a quick run: under Wine its time
// grows with the square of the count).
struct Counts {
    int start, refresh, big, rename, memory, renameDemos;
};
Counts CountsFor(const Options& options);

} // namespace bench
