#include "support/Harness.h"

#include "startup/Config.h"
#include "startup/MainModule.h"
#include "ui/Window.h"

#include <cwchar>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace test {

// ---- ScriptedHost --------------------------------------------------------

int ScriptedHost::ShowMessage(HWND owner, const std::wstring& text, UINT type) {
    messages.push_back({owner, text, type});
    if (onMessage) onMessage(messages.back());
    UINT buttons = type & MB_TYPEMASK;
    if (buttons == MB_OK) return IDOK;
    if (answers.empty()) {
        ADD_FAILURE() << "unanswered question: " << std::string(text.begin(), text.end());
        return buttons == MB_YESNO ? IDNO : IDCANCEL;
    }
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedHost::EndProgram(UINT code) {
    ended = true;
    exitCode = code;
    ++endCount;
}

// ---- Files ---------------------------------------------------------------

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

// ---- Messages and time ---------------------------------------------------

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) return true;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)),
                                  QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

ULONGLONG NowTicks() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// ---- Processes -----------------------------------------------------------

Process::Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder) {
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info_))
        info_ = {};
}

Process::~Process() {
    if (info_.hProcess) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) Kill();
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

void Process::Kill() {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
}

bool Process::Wait(DWORD timeoutMs, DWORD* exitCode) {
    if (!info_.hProcess) return false;
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

namespace {
struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}
} // namespace

std::vector<HWND> Process::Windows() const {
    WindowSearch search{info_.dwProcessId, {}};
    EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Process::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
    HWND result = nullptr;
    PumpUntil(
        [&] {
            for (HWND hwnd : Windows()) {
                if (!className || ClassOf(hwnd) == className) {
                    result = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return result;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring TextOf(HWND hwnd) { return ui::GetText(hwnd); }

std::vector<std::wstring> ListEntries(HWND listBox) {
    std::vector<std::wstring> entries;
    int count = static_cast<int>(SendMessageW(listBox, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) entries.push_back(ui::ListText(listBox, i));
    return entries;
}

namespace {
BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}
} // namespace

std::vector<std::wstring> CaptionsThatDoNotFit(HWND window, int dpi) {
    std::vector<HWND> children;
    EnumChildWindows(window, &CollectChild, reinterpret_cast<LPARAM>(&children));
    std::vector<std::wstring> tooWide;
    for (HWND child : children) {
        std::wstring className = ClassOf(child), text = TextOf(child);
        if (text.empty()) continue;
        LONG style = GetWindowLongW(child, GWL_STYLE);
        int room; // what the control's frame and box leave for the text
        if (_wcsicmp(className.c_str(), L"Button") == 0) {
            LONG type = style & BS_TYPEMASK;
            bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                       type == BS_AUTORADIOBUTTON;
            room = box ? MulDiv(18, dpi, 96) : MulDiv(6, dpi, 96);
        } else if (_wcsicmp(className.c_str(), L"Static") == 0) {
            room = (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? MulDiv(4, dpi, 96) : 0;
        } else {
            continue;
        }
        RECT rect;
        GetClientRect(child, &rect);
        HDC dc = GetDC(child);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        // A label of several lines wraps its words: its lines must fit its height.
        bool wraps = _wcsicmp(className.c_str(), L"Static") == 0 && rect.bottom >= 2 * extent.cy &&
                     (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
        RECT wrapped{0, 0, rect.right - room, 0};
        if (wraps)
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &wrapped,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        if (wraps ? wrapped.bottom > rect.bottom : extent.cx + room > rect.right) tooWide.push_back(text);
    }
    return tooWide;
}

std::wstring FontFamilyOf(HWND control) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    std::wstring family;
    if (UINT size = GetOutlineTextMetricsW(dc, 0, nullptr)) {
        std::vector<char> buffer(size);
        auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (GetOutlineTextMetricsW(dc, size, metrics))
            family = reinterpret_cast<const wchar_t*>(buffer.data() +
                                                      reinterpret_cast<size_t>(metrics->otmpFamilyName));
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return family;
}

std::wstring MessageBoxText(HWND box) {
    // The text of a standard message box is its static control 0xFFFF.
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? ui::GetText(text) : std::wstring();
}

void PressButton(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

// ---- Fixture -------------------------------------------------------------

void AppTest::SetUp() {
    MainModule::ResetState();
    Config::ResetState();
    ui::SetHost(&host);
}

void GameTest::SetUp() {
    AppTest::SetUp();
    game = std::make_unique<GameFolder>(temp / L"Soldat");
    MainModule::SoldatPath = game->path;
    MainModule::TitleText = MainModule::AboutLine();
    Config::PlaySpeed = 100;
}

void AppTest::ResetHost() {
    host = ScriptedHost{};
    ui::SetHost(&host);
}

void AppTest::TearDown() {
    // Every message shown, to explain a failure.
    if (HasFailure())
        for (const Message& message : host.messages) std::printf("message box: %ls\n", message.text.c_str());
    ui::ResetAllWindows();
    ui::SetHost(nullptr);
    MainModule::ResetState();
    Config::ResetState();
}

} // namespace test
