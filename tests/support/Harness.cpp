// The scripted host, message pumping, the real executable's processes, and
// the fixtures. Files are in FileHelpers.cpp, what is read off windows in
// WindowHelpers.cpp.
#include "support/Harness.h"

#include "startup/Config.h"
#include "startup/MainModule.h"
#include "ui/Window.h"

#include <algorithm>
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

Process::Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder, DWORD flags) {
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
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
