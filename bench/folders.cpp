#include "folders.h"

#include "files.h"
#include "text.h"
#include "timing.h"

#include "InitialSettings.h"
#include "startup/Config.h"

#include <windows.h>

namespace bench {

const std::string kDemoBytes = "SDM bench demo: not a recording, only a file of a demo's name.\n";

std::wstring DemoName(int i) {
    static const wchar_t* const maps[] = {L"ctf_Ash",    L"ctf_Laos",   L"inf_Moonshine", L"ctf_Run",
                                          L"htf_Desert", L"ctf_Voland", L"inf_Rise",      L"ctf_Kampf"};
    static const wchar_t* const sides[] = {L"Red Ravens", L"Kess",   L"Vornak", L"Blue Moon",
                                           L"clan war",   L"public", L"mix"};
    if (i % 97 == 13) return L"intro " + std::to_wstring(i);
    return Format(L"%ls %05d %ls vs %ls", maps[i % 8], i, sides[i % 7], sides[(i / 7) % 7]);
}

FILETIME DemoTime(int i) {
    static const ULONGLONG base = [] {
        SYSTEMTIME start{2020, 1, 0, 1, 8, 0, 0, 0};
        FILETIME time;
        SystemTimeToFileTime(&start, &time);
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    }();
    const ULONGLONG at = base + static_cast<ULONGLONG>(i) * 10000000ULL * 61; // a minute and a second apart
    return FILETIME{static_cast<DWORD>(at), static_cast<DWORD>(at >> 32)};
}

std::wstring MakeGameFolder(const std::wstring& path, int count, const wchar_t* prefix) {
    CreateDirectoryW(path.c_str(), nullptr);
    const std::wstring demos = path + L"\\Demos";
    CreateDirectoryW(demos.c_str(), nullptr);
    if (!prefix && count > 0 && Enumerate(demos) == static_cast<size_t>(count)) return path;
    for (int i = 0; i < count; ++i) {
        const FILETIME time = DemoTime(i);
        const std::wstring name = prefix ? Format(L"%ls %05d", prefix, i) : DemoName(i);
        if (!WriteFileBytes(demos + L"\\" + name + L".sdm", kDemoBytes, prefix ? &time : nullptr))
            Die(L"cannot write a demo into " + demos + L": error " + std::to_wstring(GetLastError()));
    }
    return path;
}

namespace {

// The settings file the setup installs, with the game's folder written in as
// the setup writes it.
void WriteSettings(const std::wstring& appFolder, const std::wstring& gameFolder) {
    const std::wstring file = appFolder + L"\\Tarvendel.ini";
    if (!WriteFileBytes(file, InitialSettings()) || !Config::WriteIni(file, L"Soldat", L"Path", gameFolder))
        Die(L"cannot write the settings in " + appFolder);
}

// An app folder as the setup leaves it: the executable and its settings file.
std::wstring MakeAppFolder(const std::wstring& path, const std::wstring& exe, const std::wstring& gameFolder) {
    CreateDirectoryW(path.c_str(), nullptr);
    std::wstring copy = path + L"\\Tarvendel.exe";
    if (!CopyFileW(exe.c_str(), copy.c_str(), FALSE)) Die(L"cannot copy " + exe + L" into " + path);
    WriteSettings(path, gameFolder);
    return copy;
}

} // namespace

Folders MakeFolders(const Options& options) {
    Folders folders;
    for (int count : {0, 1000, 10000, 50000}) {
        double ms = TimeMs(
            [&] { folders.games[count] = MakeGameFolder(options.work + L"\\game-" + std::to_wstring(count), count); });
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
    return folders;
}

} // namespace bench
