// What Tarvendel's DLLs cost to load: a program that imports only kernel32
// (and the C runtime) loads them one after another with LoadLibraryW, in the
// order Tarvendel.exe's imports bring them in, and writes down the time each
// one took, with all it pulls in and its start. It carries Tarvendel's
// manifest, so that comctl32.dll is the version 6 Tarvendel gets. The
// QueryPerformanceCounter values go to the file named by TARVENDEL_PROBE.
//   dllcost.exe [DLL...]   (default: user32 gdi32 comctl32 ole32 shell32)
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LARGE_INTEGER count;
    std::string text;
    char line[256];
    QueryPerformanceCounter(&count);
    std::snprintf(line, sizeof(line), "entry %lld\n", static_cast<long long>(count.QuadPart));
    text += line;

    const wchar_t* defaults[] = {L"user32.dll", L"gdi32.dll", L"comctl32.dll", L"ole32.dll", L"shell32.dll"};
    int argc = 0;
    // No shell32 here (CommandLineToArgvW): names are split at blanks by hand.
    std::wstring arguments = GetCommandLineW();
    size_t at = arguments[0] == L'"' ? arguments.find(L'"', 1) + 1 : arguments.find(L' ');
    arguments = at == std::wstring::npos || at >= arguments.size() ? std::wstring() : arguments.substr(at);
    std::wstring names[32];
    for (size_t i = 0; i < arguments.size() && argc < 32;) {
        while (i < arguments.size() && arguments[i] == L' ') ++i;
        size_t end = arguments.find(L' ', i);
        if (end == std::wstring::npos) end = arguments.size();
        if (end > i) names[argc++] = arguments.substr(i, end - i);
        i = end;
    }
    if (argc == 0)
        for (const wchar_t* name : defaults) names[argc++] = name;

    for (int i = 0; i < argc; ++i) {
        HMODULE module = LoadLibraryW(names[i].c_str());
        QueryPerformanceCounter(&count);
        std::snprintf(line, sizeof(line), "%ls %lld\n", module ? names[i].c_str() : L"(failed)",
                      static_cast<long long>(count.QuadPart));
        text += line;
    }

    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"TARVENDEL_PROBE", path, MAX_PATH)) return 1;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
