// The tests' files: temporary folders, bytes in and out, a game folder
// with the stand-in game, and what the stand-in recorded.
#include "support/Harness.h"

#include "startup/Config.h"
#include "startup/MainModule.h"

#include <algorithm>
#include <atomic>

namespace test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring root = std::wstring(base) + L"tarvendel-tests";
    CreateDirectoryW(root.c_str(), nullptr);
    for (;;) {
        path_ = root + L"\\t" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL | (attributes & FILE_ATTRIBUTE_DIRECTORY));
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path.c_str());
    } else {
        DeleteFileW(path.c_str());
    }
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write " << std::string(path.begin(), path.end());
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

std::string Encode(const std::wstring& text, UINT codePage) {
    if (codePage == 1200) return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    if (codePage == 1201) {
        std::string bytes = Encode(text, 1200);
        for (size_t at = 0; at + 1 < bytes.size(); at += 2) std::swap(bytes[at], bytes[at + 1]);
        return bytes;
    }
    std::string bytes(text.size() * 4, '\0');
    bytes.resize(
        static_cast<size_t>(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes;
}

std::wstring ReadUtf16(const std::wstring& path) {
    std::string bytes = ReadBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeFolder(const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); }

std::vector<std::wstring> NamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void SetFileTimes(const std::wstring& path, const SYSTEMTIME& utc) {
    FILETIME time;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &time));
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    // Wine keeps no creation time of its own and reports the last-write time.
    ASSERT_TRUE(SetFileTime(file, &time, nullptr, &time));
    CloseHandle(file);
}

std::wstring BinFolder() {
    std::wstring path = MainModule::ModulePath();
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring StandInGame() { return BinFolder() + L"\\stand-in\\Soldat.exe"; }
std::wstring TarvendelExe() { return BinFolder() + L"\\Tarvendel.exe"; }

bool DeleteWhenEnded(const std::wstring& exe, DWORD timeoutMs) {
    return PumpUntil([&] { return DeleteFileW(exe.c_str()) != FALSE; }, timeoutMs);
}

GameFolder::GameFolder(const std::wstring& folder, bool withGame) : path(folder) {
    MakeFolder(path);
    MakeFolder(path + L"\\Demos");
    if (withGame) CopyFileW(StandInGame().c_str(), (path + L"\\Soldat.exe").c_str(), FALSE);
}

std::vector<Launch> LaunchesOf(const std::wstring& gameFolder) {
    std::wstring text = ReadUtf16(gameFolder + L"\\stand-in-record.txt");
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    std::vector<Launch> launches;
    for (size_t i = 0; i + 2 < lines.size(); i += 3)
        launches.push_back({lines[i], lines[i + 1], std::stoull(lines[i + 2])});
    return launches;
}

std::vector<Launch> WaitForLaunches(const std::wstring& gameFolder, size_t count, DWORD timeoutMs) {
    PumpUntil([&] { return LaunchesOf(gameFolder).size() >= count; }, timeoutMs);
    return LaunchesOf(gameFolder);
}

void WriteSettings(const std::wstring& iniPath) {
    DeleteFileW(iniPath.c_str());
    for (const Config::Setting& setting : Config::ValuesToSave())
        EXPECT_TRUE(Config::WriteIni(iniPath, setting.section, setting.key, setting.value)) << setting.key;
}

} // namespace test
