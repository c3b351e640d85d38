// The start-up profile: Tarvendel's own start (MainModule::Main, the same
// core, resources and imports as Tarvendel.exe) with the time of each step
// written down, so that bench.exe can say where a start goes. Started by
// bench.exe from an app folder with Tarvendel.ini, like Tarvendel.exe; the
// QueryPerformanceCounter values go to the file named by the environment
// variable TARVENDEL_PROBE, one "name value" a line, once the window is shown.
// Built with -DFLOOR_PROBE from floor.cpp's steps instead, it profiles the
// floor the same way.
#ifndef FLOOR_PROBE
#include "startup/MainModule.h"
#include "ui/Window.h"
#endif

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

LONGLONG Now() {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}

struct Mark {
    const char* name;
    LONGLONG at;
};
std::vector<Mark> g_marks;
bool g_seen[2] = {};

void MarkOnce(int slot, const char* name) {
    if (g_seen[slot]) return;
    g_seen[slot] = true;
    g_marks.push_back({name, Now()});
}

LONGLONG g_lastChild = 0;

// Window creations only: a hook on every message (WH_CALLWNDPROC) costs
// about 0.1 ms a message under Wine and would swamp a list of 10,000.
LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        if (create->lpcs->style & WS_CHILD) {
            MarkOnce(1, "first-control");
            g_lastChild = Now();
        } else {
            MarkOnce(0, "window-created");
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void WriteMarks() {
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"TARVENDEL_PROBE", path, MAX_PATH)) return;
    std::string text;
    char line[128];
    for (const Mark& mark : g_marks) {
        std::snprintf(line, sizeof(line), "%s %lld\n", mark.name, static_cast<long long>(mark.at));
        text += line;
    }
    if (g_lastChild) {
        std::snprintf(line, sizeof(line), "last-control %lld\n", static_cast<long long>(g_lastChild));
        text += line;
    }
    // Written under a temporary name and renamed, so that the reader never
    // sees half a file.
    std::wstring temporary = std::wstring(path) + L".part";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING);
}

#ifdef FLOOR_PROBE
LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
#endif

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    g_marks.reserve(16);
    g_marks.push_back({"entry", Now()});
    SetWindowsHookExW(WH_CBT, &OnCbt, nullptr, GetCurrentThreadId());
#ifdef FLOOR_PROBE
    // floor.cpp's steps.
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TarvendelBenchFloor";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 359, 351, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
#else
    (void)instance;
    // The common controls first, on their own, for the windows Start
    // registers them for (the library and the play options window; not the
    // splash); Start's own call then costs nothing.
    const std::vector<std::wstring> words = MainModule::SplitArguments(MainModule::ArgumentsOf(GetCommandLineW()));
    if (words.empty() || words[0] == L"-c") {
        MainModule::InitControls();
        g_marks.push_back({"controls-registered", Now()});
    }
    MainModule::Main();
#endif
    g_marks.push_back({"shown", Now()});
    WriteMarks();
#ifdef FLOOR_PROBE
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
#else
    return ui::RunMessageLoop();
#endif
}
