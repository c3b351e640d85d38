#include "launch.h"

#include "files.h"
#include "text.h"
#include "timing.h"

#include <psapi.h>

#include <cstdlib>

namespace bench {

namespace {

struct Watch {
    DWORD pid = 0;
    double shownAt = 0;
    HWND window = nullptr;
};
Watch* g_watch = nullptr;
bool g_useHook = false;
HWINEVENTHOOK g_hook = nullptr;

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

// A probe's file: "name value" lines of QueryPerformanceCounter values.
Marks ReadMarks(const std::wstring& path, double begin) {
    Marks marks;
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

// CreateProcessW, with TARVENDEL_PROBE set for the new process alone when a
// probe file is named. Returns the time just before it.
double Launch(const std::wstring& exe, const std::wstring& arguments, const std::wstring& probeFile,
              PROCESS_INFORMATION& process) {
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!probeFile.empty()) {
        DeleteFileW(probeFile.c_str());
        SetEnvironmentVariableW(L"TARVENDEL_PROBE", probeFile.c_str());
    }
    const double begin = NowMs();
    BOOL created = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process);
    if (!probeFile.empty()) SetEnvironmentVariableW(L"TARVENDEL_PROBE", nullptr);
    if (!created) Die(L"cannot start " + exe + L": error " + std::to_wstring(GetLastError()));
    return begin;
}

void EndProcess(const PROCESS_INFORMATION& process, UINT exitCode) {
    TerminateProcess(process.hProcess, exitCode);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

[[noreturn]] void Abandon(const PROCESS_INFORMATION& process, const Start& start, const std::wstring& why) {
    EndProcess(process, 1);
    Die(start.label + L": " + why);
}

// Waits for the first visible top-level window of the process; returns
// the time it was seen.
double WaitUntilShown(const Start& start, const PROCESS_INFORMATION& process, double begin) {
    Watch watch;
    watch.pid = process.dwProcessId;
    g_watch = &watch;
    for (;;) {
        if (g_useHook) {
            Pump();
        } else {
            EnumWindows(&FindShown, reinterpret_cast<LPARAM>(&watch));
            if (watch.window) watch.shownAt = NowMs();
        }
        if (watch.shownAt > 0) break;
        if (NowMs() - begin > 30000) Abandon(process, start, L"no window within 30 s");
        DWORD woke = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, g_useHook ? 100 : 1, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) Abandon(process, start, L"the program ended before it showed a window");
    }
    g_watch = nullptr;
    if (ClassOf(watch.window) != start.windowClass)
        Abandon(process, start,
                L"the first window shown is a " + ClassOf(watch.window) + L", not a " + start.windowClass);
    return watch.shownAt;
}

void ReadMemory(HANDLE process, StartResult& result) {
    WaitForInputIdle(process, 5000);
    PumpFor(500);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (K32GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters))) {
        result.peakWorkingSet = counters.PeakWorkingSetSize;
        result.privateBytes = counters.PrivateUsage;
    }
}

// Wine's rename holds the file open for a moment after the new name shows (a
// sharing violation then): the file is read again until it opens.
Marks ReadProbe(const std::wstring& probeFile, double begin) {
    Marks marks;
    double until = NowMs() + 10000;
    for (;;) {
        if (Exists(probeFile)) marks = ReadMarks(probeFile, begin);
        if (!marks.empty() || NowMs() >= until) return marks;
        Sleep(2);
    }
}

} // namespace

void KeepDesktop() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TarvendelBenchKeeper";
    RegisterClassW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                    nullptr);
}

void StartDetection(bool byHook) {
    g_useHook = byHook;
    if (!byHook) return;
    g_hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, &OnShow, 0, 0,
                             WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (!g_hook) Die(L"SetWinEventHook failed; try --detect poll");
}

void StopDetection() {
    if (g_hook) UnhookWinEvent(g_hook);
    g_hook = nullptr;
}

StartResult StartUntilShown(const Start& start, After after, const std::wstring& probeFile) {
    PROCESS_INFORMATION process{};
    Pump(); // nothing stale in the queue
    const double begin = Launch(start.exe, start.arguments, after == After::Probe ? probeFile : std::wstring(),
                                process);
    StartResult result;
    result.ms = WaitUntilShown(start, process, begin) - begin;
    if (after == After::Memory) {
        ReadMemory(process.hProcess, result);
    } else if (after == After::Probe) {
        result.marks = ReadProbe(probeFile, begin);
        if (result.marks.empty()) Abandon(process, start, L"the probe wrote no steps");
        result.marks.emplace_back("seen", result.ms);
    }
    EndProcess(process, 0);
    return result;
}

Marks RunToEnd(const std::wstring& exe, const std::wstring& probeFile) {
    PROCESS_INFORMATION process{};
    const double begin = Launch(exe, std::wstring(), probeFile, process);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        Die(exe + L" did not end within 30 s");
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ReadMarks(probeFile, begin);
}

} // namespace bench
