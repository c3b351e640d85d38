#include "options/Form3.h"

#include "library/Form4.h"
#include "options/Form1.h"
#include "startup/Config.h"
#include "startup/Files.h"
#include "startup/MainModule.h"
#include "ui/Host.h"
#include "ui/SystemFunction.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

using namespace Config;

// No control box: the window is left through its buttons only.
Form3::Form3()
    : OptionsForm({L"Tarvendel.Form3", L"Vornak's Tarvendel: Settings", 345, 209, WS_OVERLAPPED | WS_CAPTION, 0},
                  {DefFreeCam, DefNoText, DefExtract, DefSpeed}) {}

std::vector<ui::ControlDef> Form3::Layout() {
    return {
        // 63 wide, up to the path box, so that its caption never wraps
        // where the font runs a little wider.
        ui::Label(&Label1, L"Soldat path:", {8, 16, 63, 17}, 0),
        ui::TextBox(&TSoldatPath, {72, 16, 233, 19}, 1),
        ui::Button(&Browse, L"...", {312, 16, 25, 17}, 2, [this] { Browse_Click(); }),
        FreeCamBox(L"Default \"Free camera\"", {24, 48, 305, 17}, 3),
        NoTextBox(L"Default \"No text, no menus, no cursor\"", {24, 64, 305, 17}, 4),
        ExtractBox(L"Default \"Extract the demo file\"", {24, 80, 305, 17}, 5),
        ui::Label(&Label2, L"Default play speed:", {24, 120, 121, 17}, 6),
        SpeedSlider({16, 144, 313, 25}, 7),
        SpeedText({272, 120, 57, 19}, 8),
        ui::Button(&BSave, L"Save configuration", {8, 176, 217, 25}, 9, [this] { BSave_Click(); }),
        ui::Button(&BCancel, L"Cancel", {232, 176, 105, 25}, 10, [this] { BCancel_Click(); }),
    };
}

void Form3::Form_Load() {
    SendMessageW(TSoldatPath, EM_SETLIMITTEXT, 0, 0); // no length limit
    ui::SetText(TSoldatPath, MainModule::SoldatPath);
    LoadValues();
}

namespace {

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data) {
    // Open the dialog at the folder the path box names, when it names one.
    if (msg == BFFM_INITIALIZED && data) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

} // namespace

void Form3::Browse_Click() {
    // The shell and COM are loaded for this button only: linked, they and
    // the DLLs they bring would slow every start of the program (every
    // double-clicked demo) for a dialog few starts ever open.
    using ui::SystemFunction;
    const auto coInitializeEx = SystemFunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    const auto coUninitialize = SystemFunction<decltype(&CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    const auto coTaskMemFree = SystemFunction<decltype(&CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    const auto browseForFolder = SystemFunction<decltype(&SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
    const auto pathFromIdList = SystemFunction<decltype(&SHGetPathFromIDListEx)>(L"shell32.dll",
                                                                                 "SHGetPathFromIDListEx");
    if (!coInitializeEx || !coUninitialize || !coTaskMemFree || !browseForFolder || !pathFromIdList) {
        ui::ErrorBox(L"Could not open the folder dialog: " + ui::SystemReason(GetLastError()));
        return;
    }
    HRESULT com = coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::wstring current = ui::GetText(TSoldatPath);
    BROWSEINFOW info{};
    // Owned by this window, so that it stays in front and Save cannot be
    // pressed while a folder is being chosen.
    info.hwndOwner = Hwnd();
    info.lpszTitle = L"Please select Soldat's directory";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = &BrowseCallback;
    info.lParam = MainModule::AnythingAt(current) ? reinterpret_cast<LPARAM>(current.c_str()) : 0;
    PIDLIST_ABSOLUTE chosen = browseForFolder(&info);
    if (chosen) {
        std::wstring path(32768, L'\0');
        if (pathFromIdList(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
            path.resize(wcslen(path.c_str()));
            ui::SetText(TSoldatPath, path);
        }
        coTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) coUninitialize();
}

std::wstring Form3::SaveSettings() {
    // The defaults as the boxes and the slider left them; the path box's
    // text, not SoldatPath, which changes only at the next start.
    return Config::SaveSettings(IniFile, ValuesToSave({{&MainModule::SoldatPath, ui::GetText(TSoldatPath)}}));
}

bool Form3::Restart() {
    // The executable by its full path, so that blanks in its folder or dots
    // in its name cannot start anything else; its own folder as working folder.
    const std::wstring& exe = MainModule::ExePath;
    std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        ui::ErrorBox(L"Could not restart Tarvendel ('" + exe + L"'): " + ui::SystemReason(GetLastError()));
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void Form3::BSave_Click() {
    std::wstring failure = SaveSettings();
    if (!failure.empty()) {
        if (failure.back() == L'.') failure.pop_back();
        ui::ErrorBox(L"Could not save the settings to '" + IniFile + L"': " + failure +
                     L".\r\nThe settings were not changed.");
        return;
    }
    if (ui::AskYesNo(L"Successfully saved your settings! You need to restart Tarvendel.\r\n"
                     L"Do you want to restart Tarvendel now?")) {
        Hide();
        if (Restart()) {
            ui::EndProgram();
            return;
        }
    }
    BCancel_Click();
}

void Form3::BCancel_Click() {
    Form1* options = Form1::Existing();
    Form4* library = Form4::Existing();
    bool optionsShown = options && options->IsVisible();
    bool libraryShown = library && library->IsVisible();
    if (!optionsShown && !libraryShown) {
        ui::EndProgram();
        return;
    }
    if (optionsShown) options->SetEnabled(true);
    if (libraryShown) library->SetEnabled(true);
    Hide();
}
