#include "options.h"

#include "files.h"
#include "folders.h"
#include "text.h"

#include "startup/MainModule.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

namespace bench {

namespace {

std::vector<std::wstring> SplitCommas(const std::wstring& text) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(L',', start);
        parts.push_back(text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
        if (comma == std::wstring::npos) return parts;
        start = comma + 1;
    }
}

// The names of the generated demos, one a line: tools/bench makes the large
// folders with them on the Linux side.
[[noreturn]] void PrintDemoNames(int count) {
    _setmode(_fileno(stdout), _O_BINARY);
    std::string lines;
    for (int n = 0; n < count; ++n) lines += Utf8(DemoName(n)) + "\n";
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    std::exit(0);
}

// Reads argv[i], and its value from argv[i + 1] if it takes one (then i
// moves on past it).
void ReadArgument(Options& options, int argc, wchar_t** argv, int& i) {
    const std::wstring arg = argv[i];
    auto value = [&]() -> std::wstring {
        if (i + 1 >= argc) Die(arg + L" needs a value");
        return argv[++i];
    };
    if (arg == L"--exe") options.exe = FullPath(value());
    else if (arg == L"--compare") options.compare = FullPath(value());
    else if (arg == L"--floor") options.floor = FullPath(value());
    else if (arg == L"--library-floor") options.libraryFloor = FullPath(value());
    else if (arg == L"--doc") options.doc = FullPath(value());
    else if (arg == L"--out") options.out = FullPath(value());
    else if (arg == L"--figures") options.figures = FullPath(value());
    else if (arg == L"--with") options.with.push_back(FullPath(value()));
    else if (arg == L"--note") options.notes.push_back(value());
    else if (arg == L"--build") options.build = value();
    else if (arg == L"--work") options.work = FullPath(value());
    else if (arg == L"--runs") options.runs = std::max(1, _wtoi(value().c_str()));
    else if (arg == L"--quick") options.quick = true;
    else if (arg == L"--keep") options.keep = true;
    else if (arg == L"--sections") options.sections = SplitCommas(value());
    else if (arg == L"--list-names") PrintDemoNames(_wtoi(value().c_str()));
    else if (arg == L"--detect") {
        std::wstring how = value();
        if (how != L"hook" && how != L"poll") Die(L"--detect takes hook or poll");
        options.detectByHook = how == L"hook";
    } else {
        Die(L"unknown argument " + arg + L" (see the head of bench/bench.cpp)");
    }
}

void CheckPrograms(const Options& options) {
    if (!Exists(options.exe)) Die(L"no " + options.exe + L" (--exe)");
    if (!Exists(options.floor)) Die(L"no " + options.floor + L" (--floor)");
    if (!Exists(options.libraryFloor)) Die(L"no " + options.libraryFloor + L" (--library-floor)");
    for (const std::wstring& with : options.with)
        if (!Exists(with)) Die(L"no " + with + L" (--with)");
    if (!options.compare.empty() && !Exists(options.compare)) Die(L"no " + options.compare + L" (--compare)");
}

} // namespace

Options ParseOptions(int argc, wchar_t** argv) {
    Options options;
    const std::wstring bin = FolderOf(MainModule::ModulePath());
    options.exe = bin + L"\\Tarvendel.exe";
    options.floor = bin + L"\\floor.exe";
    options.libraryFloor = bin + L"\\library_floor.exe";
    for (int i = 1; i < argc; ++i) ReadArgument(options, argc, argv, i);
    if (options.quick) options.runs = 3;
    CheckPrograms(options);
    if (options.work.empty()) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        options.work = std::wstring(temp) + L"tarvendel-bench-" + std::to_wstring(GetCurrentProcessId());
    }
    while (!options.work.empty() && options.work.back() == L'\\') options.work.pop_back();
    return options;
}

Counts CountsFor(const Options& options) {
    Counts counts{};
    counts.start = options.runs;
    counts.refresh = options.quick ? 3 : std::max(3, options.runs);
    counts.big = options.quick ? 2 : std::max(3, options.runs / 2);
    counts.rename = options.quick ? 3 : std::max(1, (options.runs + 1) / 4);
    counts.memory = options.quick ? 2 : 5;
    counts.renameDemos = options.quick ? 2000 : 10000;
    return counts;
}

} // namespace bench
