// The demo launcher: a demo's place in the game's demo folder, the copy, and
// the start of the game, directly or through the shell.
#include "startup/Launcher.h"

#include "startup/Config.h"
#include "startup/Files.h"
#include "startup/SettingsText.h"
#include "ui/Host.h"
#include "ui/SystemFunction.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace MainModule {

namespace {

bool SizeOf(const std::wstring& path, ULONGLONG& size) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

class File {
public:
    // For reading; other programs may read it and delete it, and write it
    // unless `share` leaves that out.
    explicit File(const std::wstring& path, DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr)) {}
    ~File() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return handle_; }

private:
    HANDLE handle_;
};

std::wstring FullPath(const std::wstring& path) {
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    return full;
}

// The current folder, of any length.
std::wstring CurrentFolder() {
    for (DWORD size = MAX_PATH;;) {
        std::wstring folder(size, L'\0');
        DWORD length = GetCurrentDirectoryW(size, folder.data());
        if (length == 0) return {};
        if (length < size) {
            folder.resize(length);
            return folder;
        }
        size = length; // the size it needs, its terminating null included
    }
}

// ERROR_ELEVATION_REQUIRED, which mingw-w64's headers lack.
constexpr DWORD kElevationRequired = 740;

// Starts the game as CreateProcessW does: 0, or the system's error.
DWORD StartProcess(const std::wstring& gameExe, std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(gameExe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ERROR_SUCCESS;
}

// Takes the read-only attribute, which the copy took over from its source,
// off a copy of the program's own; its other attributes stay.
void MakeWritable(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return;
    attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    // Should this fail, the demo plays all the same, and a later delete in
    // the library says why it cannot.
    SetFileAttributesW(path.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
}

enum class Compare { Same, Different, Failed };

// Why a comparison failed: the file that could not be read, and the system's error.
struct ReadFailure {
    std::wstring path;
    DWORD error = 0;
};

Compare Failed(ReadFailure& failure, const std::wstring& path) {
    failure = {path, GetLastError()};
    return Compare::Failed;
}

// Whether two open files hold the same bytes, to the last one.
Compare SameBytes(const File& first, const std::wstring& firstPath, const File& second, const std::wstring& secondPath,
                  ReadFailure& failure) {
    constexpr size_t kBlock = size_t{64} * 1024;
    std::vector<char> bufferA(kBlock), bufferB(kBlock);
    for (;;) {
        DWORD readA = 0, readB = 0;
        if (!ReadFile(first.Handle(), bufferA.data(), static_cast<DWORD>(bufferA.size()), &readA, nullptr))
            return Failed(failure, firstPath);
        if (!ReadFile(second.Handle(), bufferB.data(), static_cast<DWORD>(bufferB.size()), &readB, nullptr))
            return Failed(failure, secondPath);
        if (readA != readB || !std::equal(bufferA.begin(), bufferA.begin() + readA, bufferB.begin()))
            return Compare::Different;
        if (readA == 0) return Compare::Same;
    }
}

// Whether two paths name the same file, as the library's Play gives a demo
// already in its place.
bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(FullPath(a).c_str(), -1, FullPath(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Whether the file at a demo's place holds the demo's bytes. A file that
// another program is still writing (another start of this program copying
// the same demo, whose copy may already have its full length) is not judged
// before it is finished: it cannot be opened without letting others write
// while someone writes it (a sharing violation), and the open is tried
// again until the deadline. Still written then, it counts as another demo,
// so the demo goes to the next free name: never the wrong demo played.
Compare SameDemo(const std::wstring& demoPath, ULONGLONG demoSize, const std::wstring& target,
                 Config::Deadline deadline, ReadFailure& failure) {
    std::optional<File> finished;
    const bool open = Config::Patiently(deadline, [&] {
        finished.emplace(target, FILE_SHARE_READ | FILE_SHARE_DELETE);
        return finished->Open();
    });
    if (!open) return GetLastError() == ERROR_SHARING_VIOLATION ? Compare::Different : Failed(failure, target);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(finished->Handle(), &size)) return Failed(failure, target);
    if (static_cast<ULONGLONG>(size.QuadPart) != demoSize) return Compare::Different;
    File demo(demoPath);
    if (!demo.Open()) return Failed(failure, demoPath);
    return SameBytes(demo, demoPath, *finished, target, failure);
}

// The game's words after its own path: "-demo", the demo's name and the
// four play values.
std::wstring GameArguments(const std::wstring& demoName) {
    return L"-demo " + demoName + L" " + std::to_wstring(Config::PlayFreeCam) + L" " +
           std::to_wstring(Config::PlaySpeed) + L" " + std::to_wstring(Config::PlayNoText) + L" " +
           std::to_wstring(Config::PlayExtract);
}

// A path or name in single quotes, as the messages show them.
std::wstring InSingleQuotes(const std::wstring& text) { return L"'" + text + L"'"; }

// The window that Windows' question about running the game as administrator
// belongs to. The question comes to the front only when that window is the
// active one; given another, it flashes in the taskbar instead, and
// Microsoft's advice (its notes on the CorrectShellExecuteHWND fix) is to
// pass the active window. The splash is shown without activation, so a start
// from it activates it first. Should Windows refuse this program the
// foreground (the user has turned to another program meanwhile), the
// question flashes all the same.
HWND QuestionOwner() {
    if (HWND active = GetActiveWindow()) return active;
    HWND owner = ui::OwnerWindow();
    if (owner) SetForegroundWindow(owner);
    return owner;
}

} // namespace

std::wstring GameCommandLine(const std::wstring& gameExe, const std::wstring& demoName) {
    // The path is quoted only when it holds a blank, so that the game sees its
    // own path as one word; otherwise the line is exactly the classic one.
    std::wstring exe = gameExe.find(L' ') != std::wstring::npos ? L"\"" + gameExe + L"\"" : gameExe;
    return exe + L" " + GameArguments(demoName);
}

DWORD StartThroughShell(const std::wstring& gameExe, const std::wstring& demoName) {
    // The shell and COM are loaded for this rare start only, as for the
    // folder dialog: linked, they would slow every start of the program.
    using ui::SystemFunction;
    const auto shellExecute = SystemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    if (!shellExecute) return GetLastError();
    const auto coInitializeEx = SystemFunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    const auto coUninitialize = SystemFunction<decltype(&CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    // Shell extensions may take part in the start; some need COM's
    // single-threaded apartment.
    HRESULT com = coInitializeEx && coUninitialize
                      ? coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
                      : E_FAIL;
    const std::wstring arguments = GameArguments(demoName);
    // The working folder that the usual start lets the game inherit, named
    // outright: a start through the shell, an elevated one above all, is not
    // bound to inherit it.
    const std::wstring folder = CurrentFolder();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // Started before the call returns (the program ends right after it); a
    // failure is reported by the caller, not in a box of the shell's. No zone
    // check, which the usual start does not make either: a Soldat.exe
    // unpacked from a downloaded zip carries the Internet zone's mark, and
    // the shell would ask "Open File - Security Warning" before Windows' own
    // question about running it as administrator.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOZONECHECKS;
    info.hwnd = QuestionOwner();
    info.lpFile = gameExe.c_str();
    info.lpParameters = arguments.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    const DWORD error = shellExecute(&info) ? ERROR_SUCCESS : GetLastError();
    if (SUCCEEDED(com)) coUninitialize();
    return error;
}

DemoPlace FindDemoPlace(const std::wstring& demoPath, const std::wstring& from) {
    DemoPlace place;
    if (FileExists(demoPath) != True) {
        place.failure = InSingleQuotes(demoPath) + L" does not exist.";
        return place;
    }
    ULONGLONG demoSize = 0;
    if (!SizeOf(demoPath, demoSize)) {
        place.failure = L"Could not read the length of the demo " + InSingleQuotes(demoPath) + L": " +
                        ui::SystemReason(GetLastError());
        return place;
    }

    // The name without its extension; a name of fewer than four characters
    // has no extension to drop and is used whole.
    std::wstring fileName = FileNameOf(demoPath);
    place.name = fileName.size() >= 4 ? fileName.substr(0, fileName.size() - 4) : fileName;
    if (!from.empty()) place.name = from;

    // A free name, or the same demo already there. Anything at a name (hidden
    // files, folders too) takes it; only a visible file with the same bytes
    // counts as the same demo. All the files being written that the search
    // meets are waited for within one brief hold.
    const Config::Deadline deadline = Config::HoldDeadline();
    for (;; place.name += L'_') {
        place.target = DemoPath(place.name);
        if (!AnythingAt(place.target)) return place;
        if (FileExists(place.target) != True) continue;
        ReadFailure failure;
        const Compare result = SamePath(demoPath, place.target)
                                   ? Compare::Same
                                   : SameDemo(demoPath, demoSize, place.target, deadline, failure);
        if (result == Compare::Failed) {
            place.failure = L"Could not compare the demo " + InSingleQuotes(demoPath) + L" with " +
                            InSingleQuotes(place.target) + L": reading " + InSingleQuotes(failure.path) + L" failed: " +
                            ui::SystemReason(failure.error);
            return place;
        }
        if (result == Compare::Same) {
            place.copyNeeded = false;
            return place;
        }
    }
}

namespace {

// Copies the demo to its place when it is not there yet; false when the
// copy failed, which has then been reported. Never over a file: the name
// was free when it was chosen, and a file that has come there since belongs
// to someone else. The copy fails on it (TRUE: fail if it exists) and
// leaves it as it is; the search goes on from that name, where another
// start of this program (the same demo opened twice at once) may be
// copying the same demo: that copy is then played. Only a copy of our own
// that failed half-way is removed.
bool CopyToPlace(const std::wstring& demoPath, DemoPlace& place) {
    // Names taken one after another between search and copy, each time
    // anew: that many tries, and the copy's failure is reported.
    constexpr int kTries = 8;
    for (int tries = 1; place.copyNeeded; ++tries) {
        if (CopyFileW(demoPath.c_str(), place.target.c_str(), TRUE)) {
            // The copy is the program's own: one of a demo from a zip or a CD
            // must not stay read-only, or the library could not delete it.
            MakeWritable(place.target);
            return true;
        }
        const DWORD error = GetLastError();
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        if (!taken || tries == kTries) {
            if (!taken) DeleteFileW(place.target.c_str());
            ui::Fail(L"Could not copy the demo " + InSingleQuotes(demoPath) + L" to " + InSingleQuotes(place.target) +
                     L": " + ui::SystemReason(error));
            return false;
        }
        place = FindDemoPlace(demoPath, place.name);
        if (!place.failure.empty()) {
            ui::Fail(place.failure);
            return false;
        }
    }
    return true;
}

} // namespace

Flag StartDemo(const std::wstring& demoPath, const DemoPlace& chosen) {
    DemoPlace place = chosen;
    if (!CopyToPlace(demoPath, place)) return False;

    const std::wstring gameExe = SoldatPath + L"\\Soldat.exe";
    if (FileExists(gameExe) != True) {
        ui::ErrorBox(L"Can not find Soldat.exe! Please check your settings.");
        return False;
    }

    DWORD error = StartProcess(gameExe, GameCommandLine(gameExe, place.name));
    // A game that must run as administrator (by its manifest, or by "Run
    // this program as an administrator" in its properties) cannot be started
    // so; the shell can, once the user has said yes to Windows' question.
    if (error == kElevationRequired) error = StartThroughShell(gameExe, place.name);
    if (error != ERROR_SUCCESS) {
        ui::Fail(L"Could not start the game " + InSingleQuotes(gameExe) + L": " + ui::SystemReason(error));
        return False;
    }
    return True;
}

std::wstring DemoPathOf(std::wstring argument) {
    // File associations pass "%1" in quotes, shells add blanks around it; a
    // Windows file name holds no quote and neither begins nor ends with a blank.
    argument.erase(std::remove(argument.begin(), argument.end(), L'"'), argument.end());
    size_t first = argument.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    return argument.substr(first, argument.find_last_not_of(L" \t") - first + 1);
}

Flag PlayDemo(const std::wstring& argument) {
    const std::wstring demoPath = DemoPathOf(argument);
    DemoPlace place = FindDemoPlace(demoPath);
    if (!place.failure.empty()) {
        ui::Fail(place.failure);
        return False;
    }
    return StartDemo(demoPath, place);
}

} // namespace MainModule
