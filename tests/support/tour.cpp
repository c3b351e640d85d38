// Opens one of the program's windows on a given game folder, for looking at
// it: tools/screenshots photographs each window this way.
//   tour.exe library|options|settings|rename|autorename|splash GAMEFOLDER
#include "library/Form4.h"
#include "options/Form1.h"
#include "startup/Config.h"
#include "startup/Form2.h"
#include "startup/MainModule.h"
#include "ui/Window.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 2;
    const std::wstring form = argv[1];
    MainModule::InitControls();
    MainModule::SoldatPath = argv[2];
    MainModule::TitleText = std::wstring(L"Tarvendel v") + MainModule::kVersion + L" - by Vornak - " +
                            MainModule::kWebAddress;
    MainModule::ExePath = MainModule::ModulePath();
    Config::IniFile = MainModule::SoldatPath + L"\\tour.ini";
    Config::DefSpeed = Config::PlaySpeed = 100;
    Config::DefNoText = Config::PlayNoText = 1;
    MainModule::DemoFile = MainModule::SoldatPath + L"\\Demos\\final round.sdm";
    MainModule::ArgumentString = MainModule::DemoFile;

    if (form == L"options") {
        Form1::Get().Show();
    } else if (form == L"splash") {
        Form2::Get().Show();
    } else {
        Form4& library = Form4::Get();
        library.Show();
        SendMessageW(library.DemoList, LB_SETCURSEL, 1, 0);
        if (form == L"settings") library.BSettings_Click();
        if (form == L"rename") library.BRename_Click();
        if (form == L"autorename") library.BAutorename_Click();
    }
    return ui::RunMessageLoop();
}
