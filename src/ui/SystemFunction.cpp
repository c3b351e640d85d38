// System DLLs, and only system DLLs (SystemFunction.h says why). Microsoft's
// guidance ("Dynamic-Link Library Security"): SetDefaultDllDirectories as
// early as possible, and system DLLs loaded with LOAD_LIBRARY_SEARCH_SYSTEM32.
#include "ui/SystemFunction.h"

#include <string>

namespace ui {
namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32, which Windows 8 brought and KB2533623 adds
// to Windows 7 (with SetDefaultDllDirectories); Windows' headers give it
// only to programs built for Windows 8 and later.
constexpr DWORD kSearchSystem32 = 0x00000800;

// The DLLs that Windows loads on demand into a program like this one and
// that are not among Windows 7's known DLLs (the registry's
// Session Manager\KnownDLLs: those always come from the system folder;
// shell32, ole32, user32, advapi32, setupapi and clbcatq are). From two
// sources: the themes, the window manager's frames, version resources, the
// crypto base of advapi32, the shell's property system and accessibility,
// as NSIS's setup stub (3.08) preloads them; and msimg32, which the folder
// dialog loaded under Wine (WINEDEBUG=+loaddll over the library window, the
// folder dialog and the splash's launch: the rest of what Wine loaded is a
// known DLL, Wine's own, or newer than Windows 7).
constexpr const wchar_t* kOnDemand[] = {L"uxtheme.dll", L"dwmapi.dll", L"version.dll", L"cryptbase.dll",
                                        L"propsys.dll", L"oleacc.dll", L"userenv.dll", L"apphelp.dll",
                                        L"ntmarta.dll", L"msimg32.dll"};

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// By its full path, so that no folder is searched for it; the DLLs it needs
// in turn are looked for in the system folder first.
HMODULE LoadFromSystemFolder(const wchar_t* dll) {
    const std::wstring folder = SystemFolder();
    if (folder.empty()) return nullptr;
    return LoadLibraryExW((folder + L"\\" + dll).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Whether the program's manifest names the DLL (comctl32 6.0): Windows then
// takes it from its side-by-side store, before it searches any folder; the
// system folder holds the old version 5.
bool Redirected(const wchar_t* dll) {
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof(data);
    return FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, dll, &data) != FALSE;
}

} // namespace

void RestrictDllSearch() {
    const auto setDefault = SystemFunction<BOOL(WINAPI*)(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault && setDefault(kSearchSystem32)) return;
    PreloadOnDemandDlls();
}

void PreloadOnDemandDlls() {
    SetDllDirectoryW(L"");
    for (const wchar_t* dll : kOnDemand) LoadFromSystemFolder(dll);
}

HMODULE LoadSystemLibrary(const wchar_t* dll) {
    HMODULE module = LoadLibraryExW(dll, nullptr, kSearchSystem32);
    // Windows 7 without KB2533623 refuses the flag.
    if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    return Redirected(dll) ? LoadLibraryW(dll) : LoadFromSystemFolder(dll);
}

} // namespace ui
