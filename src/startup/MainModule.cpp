// Start-up and the state the windows share.
#include "startup/MainModule.h"

#include "Version.h"

#include "library/Form4.h"
#include "options/Form1.h"
#include "startup/Config.h"
#include "startup/Form2.h"
#include "ui/SystemFunction.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace MainModule {

Flag FromLibrary = False;
std::wstring TitleText;
std::wstring SoldatPath;
std::wstring DemoFile;
std::wstring RenameName;
std::vector<std::wstring> CmdArgs;
std::int16_t ArgCount = 0;
std::wstring ArgumentString;
std::wstring ExePath;

const wchar_t kVersion[] = L"" TARVENDEL_RELEASE;

void ResetState() {
    FromLibrary = False;
    TitleText.clear();
    SoldatPath.clear();
    DemoFile.clear();
    RenameName.clear();
    CmdArgs.clear();
    ArgCount = 0;
    ArgumentString.clear();
    ExePath.clear();
}

std::wstring AboutLine() { return std::wstring(L"Tarvendel v") + kVersion + L" - by Vornak - " + kWebAddress; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

Flag InitControls() {
    // The trackbar's class is asked for too: the speed sliders must not rely
    // on some other part of the system having registered it. comctl32 is
    // loaded here, not linked: the splash has no common control and starts
    // without it, which every double-clicked demo gains (docs/performance.md).
    const auto init = ui::SystemFunction<decltype(&InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_USEREX_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    return init && init(&controls) ? True : False;
}

std::wstring ArgumentsOf(const std::wstring& commandLine) {
    size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        size_t close = commandLine.find(L'"', 1);
        at = close == std::wstring::npos ? commandLine.size() : close + 1;
    }
    while (at < commandLine.size() && commandLine[at] != L' ' && commandLine[at] != L'\t') ++at;
    while (at < commandLine.size() && (commandLine[at] == L' ' || commandLine[at] == L'\t')) ++at;
    return commandLine.substr(at);
}

std::vector<std::wstring> SplitArguments(const std::wstring& arguments) {
    std::vector<std::wstring> words;
    if (arguments.empty()) return words;
    size_t start = 0;
    for (;;) {
        size_t blank = arguments.find(L' ', start);
        if (blank == std::wstring::npos) {
            words.push_back(arguments.substr(start));
            return words;
        }
        words.push_back(arguments.substr(start, blank - start));
        start = blank + 1;
    }
}

void Main() { Start(ArgumentsOf(GetCommandLineW()), ModulePath()); }

void Start(const std::wstring& argumentString, const std::wstring& exePath) {
    ArgumentString = argumentString;
    ExePath = exePath;
    CmdArgs = SplitArguments(argumentString);
    ArgCount = static_cast<std::int16_t>(std::min<size_t>(CmdArgs.size(), 32767));

    TitleText = AboutLine();

    if (!Config::LoadSettings()) return;

    // The common controls for the windows that have them; not for the splash.
    // InitControls' flag is its interface, as FileExists' and PlayDemo's are,
    // and stays; start-up has never acted on it: should the registration
    // fail, the windows still open, without the controls that are missing.
    if (ArgCount == 0) {
        InitControls();
        Form4::Get().Show();
    } else if (CmdArgs[0] == L"-c") {
        InitControls();
        DemoFile = argumentString.size() > 3 ? argumentString.substr(3) : std::wstring();
        Form1::Get().Show();
    } else {
        Form2::Get().Show();
    }
}

} // namespace MainModule
