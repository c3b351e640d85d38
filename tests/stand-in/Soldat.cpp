// Stand-in for the game: appends one record per start to
// "stand-in-record.txt" beside itself (UTF-16): the whole command line, the
// current folder and the start time in 100 ns units, one per line.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[32768];
    DWORD length = GetModuleFileNameW(nullptr, self, 32768);
    std::wstring folder(self, length);
    folder.resize(folder.find_last_of(L'\\'));

    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;

    wchar_t cwd[32768];
    DWORD cwdLength = GetCurrentDirectoryW(32768, cwd);

    std::wstring record = std::wstring(GetCommandLineW()) + L"\n" + std::wstring(cwd, cwdLength) + L"\n" +
                          std::to_wstring(ticks) + L"\n";
    std::wstring path = folder + L"\\stand-in-record.txt";
    // Starts close together may overlap: a record is appended by one start
    // at a time, the others wait their turn rather than lose theirs.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(10);
    }
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    return 0;
}
