// Tarvendel's benchmark: what the program costs, beside what the platform
// itself costs, in figures every later change can be judged by. It asserts
// nothing; it measures and writes a Markdown table (tools/bench runs it under
// Wine and puts the table into docs/performance.md).
//
//   bench.exe [--exe PATH] [--exe32 PATH] [--compare PATH] [--floor PATH] [--doc FILE]
//             [--out FILE] [--build TEXT] [--work FOLDER] [--keep] [--runs N] [--quick]
//             [--sections LIST] [--detect poll|hook]
//   bench.exe --list-names N
//
// --exe      Tarvendel.exe to start (default: beside bench.exe)
// --exe32    the 32-bit Tarvendel.exe, for its size only
// --compare  another Tarvendel.exe (a candidate change): its start-ups run in
//            turn with the first's, so that both meet the same machine state
// --floor    the minimal one-window program (default: floor.exe beside bench.exe)
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
// The bench needs floor.exe, probe.exe, probe_floor.exe and dllcost.exe beside
// it (the build puts them there).
//
// Times come from QueryPerformanceCounter. Every figure is the median of its
// runs; the spread is the smallest and the largest run.
#include "library/Form4.h"
#include "library/Form6.h"
#include "library/ListDemos.h"
#include "startup/MainModule.h"
#include "ui/Host.h"

#include <windows.h>
#include <mmsystem.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#ifndef TARVENDEL_BENCH_CONFIG
#define TARVENDEL_BENCH_CONFIG "unknown"
#endif

namespace {

// ---- Time and figures ----------------------------------------------------

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) * 1000.0 / frequency;
}

template <class Fn>
double TimeMs(Fn&& fn) {
    double start = NowMs();
    fn();
    return NowMs() - start;
}

struct Figure {
    std::vector<double> runs;
    void Add(double value) { runs.push_back(value); }
    bool Empty() const { return runs.empty(); }
    double Median() const {
        if (runs.empty()) return 0;
        std::vector<double> sorted = runs;
        std::sort(sorted.begin(), sorted.end());
        size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double Min() const { return runs.empty() ? 0 : *std::min_element(runs.begin(), runs.end()); }
    double Max() const { return runs.empty() ? 0 : *std::max_element(runs.begin(), runs.end()); }
};

std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[1024];
    va_list args;
    va_start(args, format);
    vswprintf(buffer, 1024, format, args);
    va_end(args);
    return buffer;
}

std::wstring Ms(double ms) {
    if (ms > -0.05 && ms < 0.05) ms = 0;   // no "-0.0"
    return ms >= 100 ? Format(L"%.0f", ms) : Format(L"%.1f", ms);
}
std::wstring Spread(const Figure& f) { return Ms(f.Min()) + L"–" + Ms(f.Max()); }

std::wstring Grouped(unsigned long long value) {
    std::wstring digits = std::to_wstring(value), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += L',';
        out += digits[i];
    }
    return out;
}

std::wstring Ratio(double value, double floor) { return floor > 0 ? Format(L"%.2f×", value / floor) : L"–"; }

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

void Progress(const std::wstring& text) {
    std::string line = Utf8(L"bench: " + text + L"\n");
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

[[noreturn]] void Die(const std::wstring& text) {
    Progress(L"error: " + text);
    std::exit(1);
}

// ---- Files ---------------------------------------------------------------

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[65536];
    DWORD read = 0;
    bytes.clear();
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return true;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes, const FILETIME* time = nullptr) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    // The creation time for Windows, the last-write time for Wine (which
    // reports the last-write time as the creation time).
    if (time) SetFileTime(file, time, nullptr, time);
    CloseHandle(file);
    return ok && written == bytes.size();
}

unsigned long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path.c_str());
    } else {
        if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
}

std::wstring FolderOf(const std::wstring& path) {
    size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring(L".") : path.substr(0, separator);
}

// A demo name as players' folders hold them: a map, a number, two sides; now
// and then an intro (which autorename leaves unmarked).
std::wstring DemoName(int i) {
    static const wchar_t* const maps[] = {L"ctf_Ash",  L"ctf_Laos", L"inf_Moonshine", L"ctf_Run",
                                          L"htf_Desert", L"ctf_Voland", L"inf_Rise",   L"ctf_Kampf"};
    static const wchar_t* const sides[] = {L"Red Ravens", L"Kess", L"Vornak", L"Blue Moon",
                                           L"clan war",   L"public", L"mix"};
    if (i % 97 == 13) return L"intro " + std::to_wstring(i);
    return Format(L"%ls %05d %ls vs %ls", maps[i % 8], i, sides[i % 7], sides[(i / 7) % 7]);
}

const std::string kDemoBytes = "SDM bench demo: not a recording, only a file of a demo's name.\n";

size_t Enumerate(const std::wstring& demosFolder);

// A game folder with a Demos folder of COUNT demos. With distinct times, every
// demo gets its own creation second, so that autorename meets no clash. A
// folder that holds COUNT demos already (tools/bench makes them on the Linux
// side, where it is quicker) is kept.
std::wstring MakeGameFolder(const std::wstring& path, int count, bool distinctTimes, const wchar_t* prefix = nullptr) {
    CreateDirectoryW(path.c_str(), nullptr);
    const std::wstring demos = path + L"\\Demos";
    CreateDirectoryW(demos.c_str(), nullptr);
    if (!distinctTimes && !prefix && count > 0 && Enumerate(demos) == static_cast<size_t>(count)) return path;
    SYSTEMTIME base{2020, 1, 0, 1, 8, 0, 0, 0};
    FILETIME baseTime;
    SystemTimeToFileTime(&base, &baseTime);
    ULARGE_INTEGER start{};
    start.LowPart = baseTime.dwLowDateTime;
    start.HighPart = baseTime.dwHighDateTime;
    for (int i = 0; i < count; ++i) {
        std::wstring name = prefix ? Format(L"%ls %05d", prefix, i) : DemoName(i);
        FILETIME time{};
        if (distinctTimes) {
            ULARGE_INTEGER at = start;
            at.QuadPart += static_cast<ULONGLONG>(i) * 10000000ULL * 61;   // a minute and a second apart
            time.dwLowDateTime = at.LowPart;
            time.dwHighDateTime = at.HighPart;
        }
        if (!WriteFileBytes(demos + L"\\" + name + L".sdm", kDemoBytes, distinctTimes ? &time : nullptr))
            Die(L"cannot write a demo into " + demos + L": error " + std::to_wstring(GetLastError()));
    }
    return path;
}

void WriteSettings(const std::wstring& appFolder, const std::wstring& gameFolder) {
    std::wstring text = L"[Soldat]\r\nPath=" + gameFolder +
                        L"\r\n[Defaults]\r\nFreeCam=0\r\nNoText=0\r\nExtract=0\r\nSpeed=100\r\n";
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(), size, nullptr, nullptr);
    if (!WriteFileBytes(appFolder + L"\\Tarvendel.ini", ansi)) Die(L"cannot write the settings in " + appFolder);
}

// An app folder as the setup leaves it: the executable and its settings file.
std::wstring MakeAppFolder(const std::wstring& path, const std::wstring& exe, const std::wstring& gameFolder) {
    CreateDirectoryW(path.c_str(), nullptr);
    std::wstring copy = path + L"\\Tarvendel.exe";
    if (!CopyFileW(exe.c_str(), copy.c_str(), FALSE)) Die(L"cannot copy " + exe + L" into " + path);
    WriteSettings(path, gameFolder);
    return copy;
}

// The bare enumeration the library's listing stands on: the same call, the
// same pattern, nothing done with the names.
size_t Enumerate(const std::wstring& demosFolder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW((demosFolder + L"\\*.sdm").c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return 0;
    size_t count = 0;
    do ++count;
    while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

// ---- Messages ------------------------------------------------------------

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void PumpFor(DWORD ms) {
    double end = NowMs() + ms;
    for (;;) {
        Pump();
        double left = end - NowMs();
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
    }
}

// Answers every box as a player who wants the run to go on: OK, and Yes
// (skip the demo) to a clash; counts them.
class BenchHost final : public ui::Host {
public:
    int ShowMessage(HWND, const std::wstring& text, UINT type) override {
        messages.push_back(text);
        return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    }
    void EndProgram(UINT) override { ++ends; }
    std::vector<std::wstring> messages;
    int ends = 0;
};

// ---- Starting programs ---------------------------------------------------

struct Watch {
    DWORD pid = 0;
    double shownAt = 0;
    HWND window = nullptr;
};
Watch* g_watch = nullptr;

bool IsTopLevel(HWND hwnd) { return GetAncestor(hwnd, GA_PARENT) == GetDesktopWindow(); }

void CALLBACK OnShow(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (!g_watch || g_watch->shownAt > 0 || !hwnd || object != OBJID_WINDOW || child != CHILDID_SELF) return;
    double now = NowMs();
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != g_watch->pid || !IsTopLevel(hwnd)) return;
    g_watch->shownAt = now;
    g_watch->window = hwnd;
}

BOOL CALLBACK FindShown(HWND hwnd, LPARAM param) {
    auto* watch = reinterpret_cast<Watch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != watch->pid || !IsWindowVisible(hwnd)) return TRUE;
    watch->window = hwnd;
    return FALSE;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

struct Start {
    std::wstring label;
    std::wstring exe;
    std::wstring arguments;
    std::wstring windowClass;   // the window it must show
};

struct StartResult {
    double ms = 0;                 // from just before CreateProcessW to the window seen shown
    SIZE_T peakWorkingSet = 0;
    SIZE_T privateBytes = 0;
    std::vector<std::pair<std::string, double>> marks;   // a probe's steps, ms after the start
};

bool g_useHook = false;

double CountsToMs(long long counts) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(counts) * 1000.0 / frequency;
}

// A probe's file: "name value" lines of QueryPerformanceCounter values.
std::vector<std::pair<std::string, double>> ReadMarks(const std::wstring& path, double begin) {
    std::vector<std::pair<std::string, double>> marks;
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return marks;
    size_t start = 0;
    for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = bytes.substr(start, end - start);
        size_t blank = line.find(' ');
        if (blank == std::string::npos) continue;
        marks.emplace_back(line.substr(0, blank), CountsToMs(std::atoll(line.c_str() + blank + 1)) - begin);
    }
    return marks;
}

enum class After { Nothing, Memory, Probe };

// The pause after each ended program, before the next start.
constexpr DWORD kSettleMs = 250;

// Starts the program and returns the time from just before CreateProcessW to
// its first visible top-level window; ends the program afterwards. With
// Memory, lets it settle first and reads its memory counters; with Probe,
// waits for the probe's file (named by TARVENDEL_PROBE) and reads its steps.
StartResult StartUntilShown(const Start& start, After after = After::Nothing,
                            const std::wstring& probeFile = std::wstring()) {
    std::wstring commandLine = L"\"" + start.exe + L"\"" + (start.arguments.empty() ? L"" : L" " + start.arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    Watch watch;
    if (after == After::Probe) {
        DeleteFileW(probeFile.c_str());
        SetEnvironmentVariableW(L"TARVENDEL_PROBE", probeFile.c_str());
    }
    Pump();   // nothing stale in the queue
    g_watch = &watch;
    const double begin = NowMs();
    BOOL created = CreateProcessW(start.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &process);
    if (after == After::Probe) SetEnvironmentVariableW(L"TARVENDEL_PROBE", nullptr);
    if (!created) Die(L"cannot start " + start.exe + L": error " + std::to_wstring(GetLastError()));
    auto fail = [&](const std::wstring& why) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
        Die(start.label + L": " + why);
    };
    watch.pid = process.dwProcessId;
    for (;;) {
        if (g_useHook) {
            Pump();
        } else {
            EnumWindows(&FindShown, reinterpret_cast<LPARAM>(&watch));
            if (watch.window) watch.shownAt = NowMs();
        }
        if (watch.shownAt > 0) break;
        if (NowMs() - begin > 30000) fail(L"no window within 30 s");
        DWORD woke = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, g_useHook ? 100 : 1, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) fail(L"the program ended before it showed a window");
    }
    g_watch = nullptr;
    StartResult result;
    result.ms = watch.shownAt - begin;
    if (ClassOf(watch.window) != start.windowClass)
        fail(L"the first window shown is a " + ClassOf(watch.window) + L", not a " + start.windowClass);
    if (after == After::Memory) {
        WaitForInputIdle(process.hProcess, 5000);
        PumpFor(500);
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof(counters);
        if (K32GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                    sizeof(counters))) {
            result.peakWorkingSet = counters.PeakWorkingSetSize;
            result.privateBytes = counters.PrivateUsage;
        }
    } else if (after == After::Probe) {
        // Wine's rename holds the file open for a moment after the new name
        // shows (a sharing violation then): it is read again until it opens.
        double until = NowMs() + 10000;
        for (;;) {
            if (Exists(probeFile)) result.marks = ReadMarks(probeFile, begin);
            if (!result.marks.empty() || NowMs() >= until) break;
            Sleep(2);
        }
        if (result.marks.empty()) fail(L"the probe wrote no steps");
        result.marks.emplace_back("seen", result.ms);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

// ---- The machine ---------------------------------------------------------

std::wstring RegistryText(HKEY root, const wchar_t* key, const wchar_t* value) {
    wchar_t buffer[512] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return {};
    std::wstring text = buffer;
    while (!text.empty() && text.back() == L' ') text.pop_back();
    while (!text.empty() && text.front() == L' ') text.erase(0, 1);
    return text;
}

std::wstring SystemDescription() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    using WineVersion = const char*(CDECL*)();
    using WineHost = void(CDECL*)(const char**, const char**);
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto wine = reinterpret_cast<WineVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    auto host = reinterpret_cast<WineHost>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_host_version")));
    auto rtl = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    std::wstring text;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (rtl && rtl(&version) == 0)
        text = Format(L"Windows %lu.%lu.%lu", version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber);
    if (wine) {
        std::wstring hostText;
        if (host) {
            const char* sysname = nullptr;
            const char* release = nullptr;
            host(&sysname, &release);
            if (sysname) hostText = Wide(sysname) + (release ? L" " + Wide(release) : L"");
        }
        text = L"Wine " + Wide(wine()) + (hostText.empty() ? L"" : L" on " + hostText) + L" (reporting " + text + L")";
    }
    return text;
}

std::wstring MachineDescription() {
    std::wstring cpu = RegistryText(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                                    L"ProcessorNameString");
    if (cpu.empty()) cpu = L"unknown processor";
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof(memory);
    GlobalMemoryStatusEx(&memory);
    return cpu + Format(L", %lu logical processors, %.1f GB of memory; ", info.dwNumberOfProcessors,
                        static_cast<double>(memory.ullTotalPhys) / (1024.0 * 1024.0 * 1024.0)) +
           SystemDescription();
}

std::wstring CompilerDescription() {
#if defined(_MSC_VER)
    std::wstring compiler = Format(L"MSVC %d", _MSC_VER);
#elif defined(__GNUC__)
    std::wstring compiler = Wide(std::string("GCC ") + __VERSION__);
#else
    std::wstring compiler = L"unknown compiler";
#endif
#if defined(_M_X64) || defined(__x86_64__)
    const wchar_t* arch = L"x86_64";
#elif defined(_M_IX86) || defined(__i386__)
    const wchar_t* arch = L"i686";
#else
    const wchar_t* arch = L"other";
#endif
    return compiler + L", " + Wide(TARVENDEL_BENCH_CONFIG) + L", " + arch;
}

std::wstring Today() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return Format(L"%04u-%02u-%02u %02u:%02u UTC", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
}

// ---- Options -------------------------------------------------------------

struct Options {
    std::wstring exe, exe32, floor, doc, out, build, work;
    std::wstring compare;   // another Tarvendel.exe whose start-ups run in turn with the first's
    int runs = 11;
    bool quick = false;
    bool keep = false;
    std::vector<std::wstring> sections = {L"startup", L"profile", L"memory", L"refresh", L"autorename", L"rename"};
    bool Has(const wchar_t* section) const {
        return std::find(sections.begin(), sections.end(), section) != sections.end();
    }
};

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 4];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 4, buffer, nullptr);
    return length ? std::wstring(buffer, length) : path;
}

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

Options ParseOptions(int argc, wchar_t** argv) {
    Options options;
    const std::wstring bin = FolderOf(MainModule::ModulePath());
    options.exe = bin + L"\\Tarvendel.exe";
    options.floor = bin + L"\\floor.exe";
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        auto value = [&]() -> std::wstring {
            if (i + 1 >= argc) Die(arg + L" needs a value");
            return argv[++i];
        };
        if (arg == L"--exe") options.exe = FullPath(value());
        else if (arg == L"--exe32") options.exe32 = FullPath(value());
        else if (arg == L"--compare") options.compare = FullPath(value());
        else if (arg == L"--floor") options.floor = FullPath(value());
        else if (arg == L"--doc") options.doc = FullPath(value());
        else if (arg == L"--out") options.out = FullPath(value());
        else if (arg == L"--build") options.build = value();
        else if (arg == L"--work") options.work = FullPath(value());
        else if (arg == L"--runs") options.runs = std::max(1, _wtoi(value().c_str()));
        else if (arg == L"--quick") options.quick = true;
        else if (arg == L"--keep") options.keep = true;
        else if (arg == L"--sections") options.sections = SplitCommas(value());
        else if (arg == L"--list-names") {
            // The names of the generated demos, one a line: tools/bench makes
            // the large folders with them on the Linux side.
            int count = _wtoi(value().c_str());
            _setmode(_fileno(stdout), _O_BINARY);
            std::string lines;
            for (int n = 0; n < count; ++n) lines += Utf8(DemoName(n)) + "\n";
            std::fwrite(lines.data(), 1, lines.size(), stdout);
            std::exit(0);
        } else if (arg == L"--detect") {
            std::wstring how = value();
            if (how != L"hook" && how != L"poll") Die(L"--detect takes hook or poll");
            g_useHook = how == L"hook";
        } else {
            Die(L"unknown argument " + arg + L" (see the head of bench/bench.cpp)");
        }
    }
    if (options.quick) options.runs = 3;
    if (!Exists(options.exe)) Die(L"no " + options.exe + L" (--exe)");
    if (!Exists(options.floor)) Die(L"no " + options.floor + L" (--floor)");
    if (!options.exe32.empty() && !Exists(options.exe32)) Die(L"no " + options.exe32 + L" (--exe32)");
    if (!options.compare.empty() && !Exists(options.compare)) Die(L"no " + options.compare + L" (--compare)");
    if (options.work.empty()) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        options.work = std::wstring(temp) + L"tarvendel-bench-" + std::to_wstring(GetCurrentProcessId());
    }
    while (!options.work.empty() && options.work.back() == L'\\') options.work.pop_back();
    return options;
}

// A hidden window for the whole run: Wine's desktop process ends with the
// last window and the next program would pay for starting it again.
void KeepDesktop() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TarvendelBenchKeeper";
    RegisterClassW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                    nullptr);
}

// ---- The measurements ----------------------------------------------------

struct Counts {
    int start, refresh, big, rename, memory;
};

struct Folders {
    std::map<int, std::wstring> games;   // demo count -> game folder
    std::wstring demo;                   // a demo outside the game folder
    std::wstring appEmpty, app10k;       // Tarvendel.exe with settings for 0 and 10,000 demos
    std::wstring compareEmpty, compare10k;   // the same for --compare
};

struct StartFigures {
    std::vector<Start> starts;
    std::vector<Figure> time, peak, privateBytes;
    std::vector<size_t> measuredMemory;
};

void MeasureStartUps(const Options& options, const Folders& folders, const Counts& counts, StartFigures& out) {
    out.starts = {
        {L"Floor: a minimal one-window program", options.floor, L"", L"TarvendelBenchFloor"},
        {L"Library, empty folder", folders.appEmpty, L"", L"Tarvendel.Form4"},
        {L"Library, 10,000 demos", folders.app10k, L"", L"Tarvendel.Form4"},
        {L"Play options window (`-c DEMO`)", folders.appEmpty, L"-c " + folders.demo, L"Tarvendel.Form1"},
        {L"Splash window's load (`DEMO`)", folders.appEmpty, folders.demo, L"Tarvendel.Form2"},
    };
    if (!folders.compareEmpty.empty()) {
        const std::vector<Start> compared = {
            {L"Compared build: library, empty folder", folders.compareEmpty, L"", L"Tarvendel.Form4"},
            {L"Compared build: library, 10,000 demos", folders.compare10k, L"", L"Tarvendel.Form4"},
            {L"Compared build: play options window", folders.compareEmpty, L"-c " + folders.demo, L"Tarvendel.Form1"},
            {L"Compared build: splash window's load", folders.compareEmpty, folders.demo, L"Tarvendel.Form2"},
        };
        out.starts.insert(out.starts.end(), compared.begin(), compared.end());
    }
    const size_t n = out.starts.size();
    out.time.assign(n, {});
    out.peak.assign(n, {});
    out.privateBytes.assign(n, {});
    if (options.Has(L"startup")) {
        Progress(L"start-up: one warm-up start of each, then " + std::to_wstring(counts.start) +
                 L" runs of each, in turn");
        for (const Start& start : out.starts) StartUntilShown(start);
        // In turn, each run starting at the next case, with a pause after
        // each start for the ended program's teardown.
        for (int run = 0; run < counts.start; ++run) {
            for (size_t k = 0; k < n; ++k) {
                const size_t i = (k + static_cast<size_t>(run)) % n;
                out.time[i].Add(StartUntilShown(out.starts[i]).ms);
                PumpFor(kSettleMs);
            }
            Progress(Format(L"start-up run %d of %d: floor %.1f ms, library %.1f ms", run + 1, counts.start,
                            out.time[0].runs.back(), out.time[1].runs.back()));
        }
    }
    if (options.Has(L"memory")) {
        // The floor and the library, left to settle after the window shows.
        out.measuredMemory = {0, 1, 2};
        for (int run = 0; run < counts.memory; ++run) {
            for (size_t i : out.measuredMemory) {
                StartResult result = StartUntilShown(out.starts[i], After::Memory);
                out.peak[i].Add(static_cast<double>(result.peakWorkingSet) / 1024.0);
                out.privateBytes[i].Add(static_cast<double>(result.privateBytes) / 1024.0);
                PumpFor(kSettleMs);
            }
        }
        Progress(Format(L"memory: library with 10,000 demos peaks at %.0f KB", out.peak[2].Median()));
    }
}

// Starts a program that writes its steps into TARVENDEL_PROBE and ends by
// itself; returns its steps, ms after the start.
std::vector<std::pair<std::string, double>> RunToEnd(const std::wstring& exe, const std::wstring& probeFile) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    DeleteFileW(probeFile.c_str());
    SetEnvironmentVariableW(L"TARVENDEL_PROBE", probeFile.c_str());
    const double begin = NowMs();
    BOOL created = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process);
    SetEnvironmentVariableW(L"TARVENDEL_PROBE", nullptr);
    if (!created) Die(L"cannot start " + exe);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        Die(exe + L" did not end within 30 s");
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ReadMarks(probeFile, begin);
}

// Where a start goes: probe.exe (Tarvendel's start with its steps written
// down) and probe_floor.exe (the floor's), started as the real ones are.
struct ProfileFigures {
    std::vector<std::pair<std::string, Figure>> dlls;   // dllcost.exe: each step in its order
    std::vector<Start> starts;
    std::vector<std::map<std::string, Figure>> steps;   // per start: step -> its length
    std::vector<Figure> totals;
};

void MeasureProfile(const Options& options, const Folders& folders, const Counts& counts, ProfileFigures& out) {
    const std::wstring bin = FolderOf(MainModule::ModulePath());
    const std::wstring probe = bin + L"\\probe.exe", probeFloor = bin + L"\\probe_floor.exe";
    if (!Exists(probe) || !Exists(probeFloor)) {
        Progress(L"no probe.exe or probe_floor.exe beside bench.exe: no start-up profile");
        return;
    }
    const std::wstring emptyProbe = FolderOf(folders.appEmpty) + L"\\probe.exe";
    const std::wstring tenThousandProbe = FolderOf(folders.app10k) + L"\\probe.exe";
    CopyFileW(probe.c_str(), emptyProbe.c_str(), FALSE);
    CopyFileW(probe.c_str(), tenThousandProbe.c_str(), FALSE);
    out.starts = {
        {L"Floor", probeFloor, L"", L"TarvendelBenchFloor"},
        {L"Library, empty", emptyProbe, L"", L"Tarvendel.Form4"},
        {L"Library, 10,000", tenThousandProbe, L"", L"Tarvendel.Form4"},
        {L"Play options", emptyProbe, L"-c " + folders.demo, L"Tarvendel.Form1"},
        {L"Splash", emptyProbe, folders.demo, L"Tarvendel.Form2"},
    };
    const std::wstring dllcost = bin + L"\\dllcost.exe";
    if (Exists(dllcost)) {
        const std::wstring file = options.work + L"\\dllcost.txt";
        RunToEnd(dllcost, file);
        for (int run = 0; run < counts.start; ++run) {
            auto marks = RunToEnd(dllcost, file);
            double previous = 0;
            for (size_t i = 0; i < marks.size(); ++i) {
                if (out.dlls.size() <= i) out.dlls.emplace_back(marks[i].first, Figure{});
                out.dlls[i].second.Add(marks[i].second - previous);
                previous = marks[i].second;
            }
            PumpFor(50);
        }
    }
    out.steps.assign(out.starts.size(), {});
    out.totals.assign(out.starts.size(), {});
    const std::wstring file = options.work + L"\\probe.txt";
    for (const Start& start : out.starts) StartUntilShown(start, After::Probe, file);
    for (int run = 0; run < counts.start; ++run) {
        for (size_t i = 0; i < out.starts.size(); ++i) {
            StartResult result = StartUntilShown(out.starts[i], After::Probe, file);
            // The steps up to the window's being seen shown. ShowWindow
            // itself returns later (it makes the window visible first), so
            // "shown" is kept apart, as its distance from "seen".
            std::sort(result.marks.begin(), result.marks.end(),
                      [](const auto& a, const auto& b) { return a.second < b.second; });
            double previous = 0;
            for (const auto& mark : result.marks) {
                if (mark.first == "shown") {
                    out.steps[i]["shown-after-seen"].Add(mark.second - result.ms);
                    continue;
                }
                if (mark.second > result.ms) continue;
                out.steps[i][mark.first].Add(mark.second - previous);
                previous = mark.second;
            }
            out.totals[i].Add(result.ms);
            PumpFor(kSettleMs);
        }
    }
    Progress(Format(L"profile: floor %.1f ms, library %.1f ms", out.totals[0].Median(), out.totals[1].Median()));
}

struct RefreshCase {
    int count;
    int runs;
    Figure refresh, floor;
};

struct RefreshFigures {
    std::vector<RefreshCase> cases;
    Figure reset, names, fill, paint;   // the steps of a refresh of 10,000
};

void MeasureRefresh(const Folders& folders, const Counts& counts, RefreshFigures& out) {
    out.cases = {{1000, counts.refresh, {}, {}}, {10000, counts.refresh, {}, {}}, {50000, counts.big, {}, {}}};
    Form4& library = Form4::Get();
    for (RefreshCase& c : out.cases) {
        MainModule::SoldatPath = folders.games.at(c.count);
        const std::wstring demos = MainModule::SoldatPath + L"\\Demos";
        auto refresh = [&] {
            library.RefreshDemoList();
            RedrawWindow(library.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        };
        if (!library.IsLoaded()) library.Show();
        refresh();   // warm-up
        Enumerate(demos);
        PumpFor(50);
        for (int run = 0; run < c.runs; ++run) {
            size_t found = 0;
            c.floor.Add(TimeMs([&] { found = Enumerate(demos); }));
            c.refresh.Add(TimeMs(refresh));
            LRESULT listed = SendMessageW(library.DemoList, LB_GETCOUNT, 0, 0);
            if (found != static_cast<size_t>(c.count) || listed != c.count)
                Die(Format(L"refresh of %d: %d found, %d listed", c.count, static_cast<int>(found),
                           static_cast<int>(listed)));
            PumpFor(50);
        }
        Progress(Format(L"refresh of %d: %.1f ms, enumeration %.1f ms", c.count, c.refresh.Median(),
                        c.floor.Median()));
    }

    // Where a refresh of 10,000 spends its time: the same steps, one by one.
    MainModule::SoldatPath = folders.games.at(10000);
    const std::wstring folder = MainModule::SoldatPath + L"\\Demos\\";
    library.RefreshDemoList();
    PumpFor(50);
    for (int run = 0; run < counts.refresh; ++run) {
        HWND list = library.DemoList;
        out.reset.Add(TimeMs([&] { SendMessageW(list, LB_RESETCONTENT, 0, 0); }));
        std::vector<std::wstring> names;
        out.names.Add(TimeMs([&] { names = DemoNames(folder, L"sdm"); }));
        out.fill.Add(TimeMs([&] {
            RedrawOff quiet(list);
            size_t bytes = 0;
            for (const std::wstring& name : names) bytes += (name.size() + 1) * sizeof(wchar_t);
            SendMessageW(list, LB_INITSTORAGE, names.size(), static_cast<LPARAM>(bytes));
            for (const std::wstring& name : names)
                SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        }));
        out.paint.Add(
            TimeMs([&] { RedrawWindow(library.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }));
        PumpFor(50);
    }
}

struct AutorenameFigures {
    Figure load, loadFloor, run, runFloor;
    Figure create, reset, list, read, mark, paint;   // the steps of the load
};

void MeasureAutorenameLoad(const Folders& folders, const Counts& counts, AutorenameFigures& out) {
    MainModule::SoldatPath = folders.games.at(10000);
    const std::wstring demos = MainModule::SoldatPath + L"\\Demos";
    auto load = [&] {
        Form6& form = Form6::Get();
        form.Show();
        RedrawWindow(form.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    Form6::Reset();
    load();   // warm-up
    for (int run = 0; run < counts.refresh; ++run) {
        Form6::Reset();
        PumpFor(50);
        out.loadFloor.Add(TimeMs([&] { Enumerate(demos); }));
        out.load.Add(TimeMs(load));
        if (Form6::Get().EntryCount() != 10000) Die(L"the autorename window did not list 10,000 demos");
    }

    // Where the load goes: the window without its list (an empty folder),
    // then, hidden again as during a load, FillAutorenameList's steps one by
    // one on 10,000, then showing and painting.
    const std::wstring empty = folders.games.at(0);
    for (int run = 0; run < counts.refresh; ++run) {
        Form6::Reset();
        PumpFor(50);
        MainModule::SoldatPath = empty;
        out.create.Add(TimeMs(load));
        MainModule::SoldatPath = folders.games.at(10000);
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
        out.paint.Add(TimeMs([&] {
            form.Show();
            RedrawWindow(form.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }));
    }
    Form6::Reset();
    Progress(Format(L"autorename window's load, 10,000: %.1f ms", out.load.Median()));
}

// An autorename run over 10,000 marked demos of distinct creation times (so
// that no name clashes), beside the floor: as many bare MoveFileW to names of
// the same form. Under Wine each rename looks the name up in the whole
// folder, so both grow with the folder.
constexpr int kRunDemos = 10000;

void MeasureAutorenameRun(const Options& options, BenchHost& host, const Counts& counts, AutorenameFigures& out) {
    for (int run = 0; run < counts.rename; ++run) {
        const std::wstring game =
            MakeGameFolder(options.work + L"\\rename-" + std::to_wstring(run), kRunDemos, true, L"match");
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
        RemoveTree(game);

        // The floor: as many bare renames, to the names the run gives.
        const std::wstring bare =
            MakeGameFolder(options.work + L"\\move-" + std::to_wstring(run), kRunDemos, false, L"match");
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
            moves.emplace_back(Format(L"%ls\\Demos\\match %05d.sdm", bare.c_str(), i),
                               bare + L"\\Demos\\" + TimeName(utc) + L".sdm");
        }
        int failed = 0;
        out.runFloor.Add(TimeMs([&] {
            for (const auto& move : moves) failed += MoveFileW(move.first.c_str(), move.second.c_str()) ? 0 : 1;
        }));
        if (failed) Die(Format(L"%d of the floor's bare renames failed", failed));
        RemoveTree(bare);
        PumpFor(50);
    }
    Progress(Format(L"autorename run over %d: %.1f ms", kRunDemos, out.run.Median()));
}

// ---- The report ----------------------------------------------------------

struct Report {
    std::wstring text;
    void Line(const std::wstring& line = L"") { text += line + L"\n"; }
    void Row(std::initializer_list<std::wstring> cells) {
        std::wstring line = L"|";
        for (const std::wstring& cell : cells) line += L" " + cell + L" |";
        Line(line);
    }
};

std::wstring Goal(bool met) { return met ? L"met" : L"**missed**"; }

std::wstring Kb(double kb) { return Grouped(static_cast<unsigned long long>(kb + 0.5)) + L" KB"; }

std::wstring WriteReport(const Options& options, const StartFigures& s, const ProfileFigures& p,
                         const RefreshFigures& rf, const AutorenameFigures& a) {
    Report r;
    r.Line(L"## Latest figures");
    r.Line();
    r.Line(L"- Machine: " + MachineDescription());
    r.Line(L"- Date: " + Today());
    r.Line(L"- Build: " + (options.build.empty() ? std::wstring() : options.build + L"; ") + CompilerDescription());
    r.Line(L"- Each time is the median of its runs, in milliseconds (QueryPerformanceCounter); the spread is the "
           L"fastest and the slowest run." +
           std::wstring(options.quick ? L" **A quick run (`--quick`): too few runs to judge by.**" : L""));
    r.Line(std::wstring(L"- A window counts as shown when ") +
           (g_useHook ? L"an out-of-context WinEvent hook reports EVENT_OBJECT_SHOW for a top-level window of the "
                        L"process."
                      : L"EnumWindows, polled every millisecond, finds a visible top-level window of the process."));

    if (options.Has(L"startup")) {
        r.Line();
        r.Line(L"### Start-up: from just before CreateProcessW to the first window shown");
        r.Line();
        r.Row({L"Start", L"Median", L"Spread", L"Runs", L"× floor", L"Goal: ≤ 1.2× floor"});
        r.Row({L"---", L"---:", L"---:", L"---:", L"---:", L"---"});
        const double floorMs = s.time[0].Median();
        for (size_t i = 0; i < s.starts.size(); ++i) {
            const Figure& f = s.time[i];
            const bool isFloor = i == 0;
            r.Row({s.starts[i].label, Ms(f.Median()), Spread(f), std::to_wstring(f.runs.size()),
                   isFloor ? L"1.00×" : Ratio(f.Median(), floorMs),
                   isFloor ? L"(the floor)" : Goal(f.Median() <= 1.2 * floorMs)});
        }
        // The library with 10,000 demos reads them before its window shows:
        // beside the floor and the bare enumeration of the same folder too.
        for (const RefreshCase& c : rf.cases) {
            if (c.count != 10000 || c.floor.Empty()) continue;
            const double both = floorMs + c.floor.Median();
            r.Line();
            r.Line(L"The library with 10,000 demos reads the folder before its window shows; beside the floor "
                   L"plus the bare enumeration of those 10,000 (" +
                   Ms(floorMs) + L" + " + Ms(c.floor.Median()) + L" = " + Ms(both) + L" ms) it takes " +
                   Ratio(s.time[2].Median(), both) + L".");
        }
    }

    if (!p.starts.empty()) {
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
        auto row = [&](const std::vector<std::wstring>& cells) {
            std::wstring line = L"|";
            for (const std::wstring& cell : cells) line += L" " + cell + L" |";
            r.Line(line);
        };
        row(head);
        row(align);
        for (const auto& step : steps) {
            std::vector<std::wstring> cells = {step.second};
            bool any = false;
            for (const auto& byStep : p.steps) {
                auto found = byStep.find(step.first);
                any = any || found != byStep.end();
                cells.push_back(found == byStep.end() ? L"–" : Ms(found->second.Median()));
            }
            if (any) row(cells);
        }
        std::vector<std::wstring> total = {L"**Total** (median of the runs)"};
        for (const Figure& f : p.totals) total.push_back(L"**" + Ms(f.Median()) + L"**");
        row(total);
        std::vector<std::wstring> after = {L"*Not counted: ShowWindow returns this long after the window is seen*"};
        for (const auto& byStep : p.steps) {
            auto found = byStep.find("shown-after-seen");
            after.push_back(found == byStep.end() ? L"–" : L"*" + Ms(found->second.Median()) + L"*");
        }
        row(after);
    }
    if (!p.dlls.empty()) {
        r.Line();
        r.Line(L"What Tarvendel's DLLs cost: `dllcost.exe` imports only kernel32 and the C runtime, carries "
               L"Tarvendel's manifest, and loads the DLLs with LoadLibraryW one after another in the order "
               L"Tarvendel.exe's imports bring them in; each time includes what the DLL pulls in and its start:");
        r.Line();
        r.Row({L"Step", L"Median", L"Spread"});
        r.Row({L"---", L"---:", L"---:"});
        for (const auto& step : p.dlls) {
            std::wstring name = step.first == "entry" ? L"Process start to the program's entry"
                                                      : L"LoadLibraryW(\"" + Wide(step.first) + L"\")";
            r.Row({name, Ms(step.second.Median()), Spread(step.second)});
        }
    }

    if (options.Has(L"refresh") || options.Has(L"autorename")) {
        r.Line();
        r.Line(L"### The library's refresh (the list emptied, re-read and painted) beside a bare "
               L"FindFirstFileExW enumeration of the same folder");
        r.Line();
        r.Row({L"Demos", L"Refresh", L"Spread", L"Enumeration (floor)", L"Spread", L"Runs", L"× floor",
               L"Goal: ≤ 2× floor"});
        r.Row({L"---", L"---:", L"---:", L"---:", L"---:", L"---:", L"---:", L"---"});
        for (const RefreshCase& c : rf.cases) {
            r.Row({Grouped(static_cast<unsigned long long>(c.count)), Ms(c.refresh.Median()), Spread(c.refresh),
                   Ms(c.floor.Median()), Spread(c.floor), std::to_wstring(c.refresh.runs.size()),
                   Ratio(c.refresh.Median(), c.floor.Median()),
                   c.count == 10000 ? Goal(c.refresh.Median() <= 2 * c.floor.Median()) : L"–"});
        }
        if (!a.load.Empty())
            r.Row({L"Autorename window's load, 10,000", Ms(a.load.Median()), Spread(a.load),
                   Ms(a.loadFloor.Median()), Spread(a.loadFloor), std::to_wstring(a.load.runs.size()),
                   Ratio(a.load.Median(), a.loadFloor.Median()), L"–"});
        if (!a.create.Empty()) {
            r.Line();
            r.Line(L"Where the autorename window's load of 10,000 goes (the window on an empty folder; then, "
                   L"hidden as during its load, the steps of its list one by one; then showing it):");
            r.Line();
            r.Row({L"Step", L"Median", L"Spread"});
            r.Row({L"---", L"---:", L"---:"});
            r.Row({L"The window, its controls and an empty list, shown and painted", Ms(a.create.Median()),
                   Spread(a.create)});
            r.Row({L"Empty the list (LB_RESETCONTENT)", Ms(a.reset.Median()), Spread(a.reset)});
            r.Row({L"Read the folder and fill the list (ListDemos)", Ms(a.list.Median()), Spread(a.list)});
            r.Row({L"Read every entry back (LB_GETTEXTLEN, LB_GETTEXT)", Ms(a.read.Median()), Spread(a.read)});
            r.Row({L"Mark every entry but the intros (LB_SETSEL each)", Ms(a.mark.Median()), Spread(a.mark)});
            r.Row({L"Show and paint", Ms(a.paint.Median()), Spread(a.paint)});
        }
        if (!rf.reset.Empty()) {
            r.Line();
            r.Line(L"Where a refresh of 10,000 goes (the same steps, timed one by one):");
            r.Line();
            r.Row({L"Step", L"Median", L"Spread"});
            r.Row({L"---", L"---:", L"---:"});
            r.Row({L"Empty the list (LB_RESETCONTENT)", Ms(rf.reset.Median()), Spread(rf.reset)});
            r.Row({L"Read the folder (DemoNames)", Ms(rf.names.Median()), Spread(rf.names)});
            r.Row({L"Fill the list, redraw off", Ms(rf.fill.Median()), Spread(rf.fill)});
            r.Row({L"Paint", Ms(rf.paint.Median()), Spread(rf.paint)});
        }
    }

    if (!a.run.Empty()) {
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

    r.Line();
    r.Line(L"### Memory and size");
    if (!s.measuredMemory.empty()) {
        r.Line();
        // Wine reports no private bytes for another process (0): then the
        // column says so.
        bool privateReported = false;
        for (size_t i : s.measuredMemory) privateReported = privateReported || s.privateBytes[i].Max() > 0;
        r.Row({L"Running program, window shown and settled", L"Peak working set", L"Spread", L"Private bytes",
               L"Runs"});
        r.Row({L"---", L"---:", L"---:", L"---:", L"---:"});
        for (size_t i : s.measuredMemory) {
            r.Row({s.starts[i].label, Kb(s.peak[i].Median()), Kb(s.peak[i].Min()) + L"–" + Kb(s.peak[i].Max()),
                   privateReported ? Kb(s.privateBytes[i].Median()) : L"not reported",
                   std::to_wstring(s.peak[i].runs.size())});
        }
    }
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
    return r.text;
}

const wchar_t kBegin[] = L"<!-- bench:begin -->";
const wchar_t kEnd[] = L"<!-- bench:end -->";

void UpdateDocument(const std::wstring& path, const std::wstring& block) {
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

} // namespace

int wmain(int argc, wchar_t** argv) {
    const Options options = ParseOptions(argc, argv);
    Counts counts{};
    counts.start = options.runs;
    counts.refresh = options.quick ? 3 : std::max(3, options.runs);
    counts.big = options.quick ? 2 : std::max(3, options.runs / 2);
    counts.rename = options.quick ? 2 : std::max(3, (options.runs + 1) / 2);
    counts.memory = options.quick ? 2 : 5;

    BenchHost host;
    ui::SetHost(&host);
    // Millisecond sleeps for the polling (Windows sleeps 15.6 ms otherwise).
    timeBeginPeriod(1);
    MainModule::InitControls();
    MainModule::TitleText = std::wstring(L"Tarvendel v") + MainModule::kVersion + L" - by Vornak - " +
                            MainModule::kWebAddress;
    KeepDesktop();
    HWINEVENTHOOK hook = nullptr;
    if (g_useHook) {
        hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, &OnShow, 0, 0,
                               WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
        if (!hook) Die(L"SetWinEventHook failed; try --detect poll");
    }

    CreateDirectoryW(options.work.c_str(), nullptr);
    if (!Exists(options.work)) Die(L"cannot create " + options.work);
    Progress(L"working in " + options.work);

    // The folders, made once (or found made) and used by every figure that needs them.
    Folders folders;
    for (int count : {0, 1000, 10000, 50000}) {
        double ms = TimeMs([&] {
            folders.games[count] = MakeGameFolder(options.work + L"\\game-" + std::to_wstring(count), count, false);
        });
        Progress(Format(L"a folder of %d demos in %.1f s", count, ms / 1000));
    }
    const std::wstring downloads = options.work + L"\\Downloads";
    CreateDirectoryW(downloads.c_str(), nullptr);
    folders.demo = downloads + L"\\final round.sdm";
    WriteFileBytes(folders.demo, kDemoBytes);
    folders.appEmpty = MakeAppFolder(options.work + L"\\app-empty", options.exe, folders.games[0]);
    folders.app10k = MakeAppFolder(options.work + L"\\app-10000", options.exe, folders.games[10000]);
    if (!options.compare.empty()) {
        folders.compareEmpty = MakeAppFolder(options.work + L"\\compare-empty", options.compare, folders.games[0]);
        folders.compare10k = MakeAppFolder(options.work + L"\\compare-10000", options.compare, folders.games[10000]);
    }

    StartFigures starts;
    RefreshFigures refresh;
    AutorenameFigures autorename;
    MeasureStartUps(options, folders, counts, starts);
    ProfileFigures profile;
    if (options.Has(L"profile")) MeasureProfile(options, folders, counts, profile);
    if (options.Has(L"refresh")) MeasureRefresh(folders, counts, refresh);
    if (options.Has(L"autorename")) MeasureAutorenameLoad(folders, counts, autorename);
    if (options.Has(L"rename")) MeasureAutorenameRun(options, host, counts, autorename);

    Form6::Reset();
    ui::ResetAllWindows();
    if (hook) UnhookWinEvent(hook);
    if (!options.keep) RemoveTree(options.work);

    const std::wstring block = WriteReport(options, starts, profile, refresh, autorename);
    SetConsoleOutputCP(CP_UTF8);
    std::string bytes = Utf8(block);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
    if (!options.out.empty() && !WriteFileBytes(options.out, bytes)) Die(L"cannot write " + options.out);
    if (!options.doc.empty()) {
        UpdateDocument(options.doc, block);
        Progress(L"wrote " + options.doc);
    }
    return 0;
}
