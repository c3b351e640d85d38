// Starts a program with an exact command line, the way Explorer starts the
// command of a file type's verb: CreateProcessW with no application name and
// the command string as it stands. The command line comes from the
// environment (TARVENDEL_COMMAND; optional working folder TARVENDEL_FOLDER),
// because `wine prog args` re-quotes arguments that hold blanks.
//
//   pkgrun wait SECONDS           waits for the end; exits with the program's exit code
//   pkgrun window CLASS SECONDS   waits for a visible top-level window of that class
//                                 belonging to the program, prints its title, ends it
//   pkgrun show CLASS SECONDS     the same, but leaves the program running
//   pkgrun end NAME.exe           ends every process of that name and waits for each
//
// Exit codes of its own: 120 bad usage, 121 could not start, 124 time-out
// (the program is ended), 125 the program ended before its window showed.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
    DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) return {};
    std::wstring value(needed, L'\0');
    DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
    value.resize(length < needed ? length : 0);
    return value;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

struct Search {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    if (lstrcmpW(name, search->className) != 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

int Usage() {
    std::fputs("usage: pkgrun wait SECONDS | pkgrun window|show CLASS SECONDS "
               "(command line in TARVENDEL_COMMAND) | pkgrun end NAME.exe\n",
               stderr);
    return 120;
}

// Ends every process of that executable name and waits until each has ended.
int EndAll(const wchar_t* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 121;
    int ended = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, name) != 0) continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (!process) continue;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
        ++ended;
    }
    CloseHandle(snapshot);
    std::printf("ended %d process(es) of %s\n", ended, Utf8(name).c_str());
    return 0;
}

// Starts the command line; false when it could not be started.
bool Start(PROCESS_INFORMATION& process) {
    std::wstring commandLine = Environment(L"TARVENDEL_COMMAND");
    std::wstring folder = Environment(L"TARVENDEL_FOLDER");
    std::printf("starting: %s\n", Utf8(commandLine).c_str());
    std::fflush(stdout);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        std::printf("could not start it: error %lu\n", GetLastError());
        return false;
    }
    CloseHandle(process.hThread);
    return true;
}

// Waits for the program's end: its exit code, or 124 after ending it.
int WaitForEnd(HANDLE process, DWORD seconds) {
    if (WaitForSingleObject(process, seconds * 1000) != WAIT_OBJECT_0) {
        std::printf("still running after %lu s: ended\n", seconds);
        TerminateProcess(process, 1);
        return 124;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    std::printf("ended with exit code %lu\n", code);
    return static_cast<int>(code);
}

// Waits for a visible window of the class and prints its title: 0, or 124
// after the time, 125 when the program ended first. The program is ended
// unless it showed its window and is to stay.
int WaitForWindow(const PROCESS_INFORMATION& process, const wchar_t* className, DWORD seconds, bool stay) {
    Search search{process.dwProcessId, className, nullptr};
    const ULONGLONG deadline = GetTickCount64() + seconds * 1000ULL;
    for (;;) {
        EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            std::printf("ended with exit code %lu before a %s window showed\n", code, Utf8(className).c_str());
            return 125;
        }
        if (GetTickCount64() > deadline) break;
    }
    int result = 0;
    if (search.found) {
        wchar_t title[512] = {};
        GetWindowTextW(search.found, title, 512);
        std::printf("window %s: %s\n", Utf8(className).c_str(), Utf8(title).c_str());
    } else {
        std::printf("no visible %s window after %lu s\n", Utf8(className).c_str(), seconds);
        result = 124;
    }
    if (!stay || result != 0) {
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 5000);
    }
    return result;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return Usage();
    const std::wstring mode = argv[1];
    if (mode == L"end") return EndAll(argv[2]);
    const bool windowMode = mode == L"window" || mode == L"show";
    if (mode != L"wait" && !(windowMode && argc >= 4)) return Usage();
    const DWORD seconds = static_cast<DWORD>(_wtoi(argv[mode == L"wait" ? 2 : 3]));
    if (Environment(L"TARVENDEL_COMMAND").empty()) return Usage();

    PROCESS_INFORMATION process{};
    if (!Start(process)) return 121;
    const int result = windowMode ? WaitForWindow(process, argv[2], seconds, mode == L"show")
                                  : WaitForEnd(process.hProcess, seconds);
    CloseHandle(process.hProcess);
    return result;
}
