#include "launch.h"

#include "text.h"
#include "timing.h"

#include <psapi.h>

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

// CreateProcessW; returns the time just before it.
double Launch(const std::wstring& exe, const std::wstring& arguments, PROCESS_INFORMATION& process) {
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    const double begin = NowMs();
    BOOL created = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process);
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
    Die(start.key + L": " + why);
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
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (K32GetProcessMemoryInfo(process, &counters, sizeof(counters)))
        result.peakWorkingSet = counters.PeakWorkingSetSize;
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

StartResult StartUntilShown(const Start& start, After after) {
    PROCESS_INFORMATION process{};
    Pump(); // nothing stale in the queue
    const double begin = Launch(start.exe, start.arguments, process);
    StartResult result;
    result.ms = WaitUntilShown(start, process, begin) - begin;
    if (after == After::Memory) ReadMemory(process.hProcess, result);
    EndProcess(process, 0);
    return result;
}

} // namespace bench
