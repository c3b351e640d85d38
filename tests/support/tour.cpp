// Opens one of the program's windows on a given game folder, for looking at
// it: tools/screenshots photographs each window this way.
//   tour.exe library|options|settings|rename|autorename|splash GAMEFOLDER READYFILE
// READYFILE is created once the window stands on screen as it will stay: for
// the splash, at full opacity, with its fade stopped before the launch.
#include "library/Form4.h"
#include "options/Form1.h"
#include "startup/Config.h"
#include "startup/Form2.h"
#include "startup/MainModule.h"
#include "ui/Window.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

constexpr UINT kSettleMs = 300; // for the last paint before the photograph

void Signal(const std::wstring& readyFile) {
    HANDLE file = CreateFileW(readyFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 4) return 2;
    const std::wstring form = argv[1];
    const std::wstring readyFile = argv[3];
    MainModule::InitControls();
    MainModule::SoldatPath = argv[2];
    MainModule::TitleText = MainModule::AboutLine();
    MainModule::ExePath = MainModule::ModulePath();
    Config::IniFile = MainModule::SoldatPath + L"\\tour.ini";
    Config::DefSpeed = Config::PlaySpeed = 100;
    Config::DefNoText = Config::PlayNoText = 1;
    MainModule::DemoFile = MainModule::SoldatPath + L"\\Demos\\final round.sdm";
    MainModule::ArgumentString = MainModule::DemoFile;

    const bool splash = form == L"splash";
    if (form == L"options") {
        Form1::Get().Show();
    } else if (splash) {
        Form2::Get().Show();
    } else {
        Form4& library = Form4::Get();
        library.Show();
        SendMessageW(library.DemoList, LB_SETCURSEL, 1, 0);
        if (form == L"settings") library.BSettings_Click();
        if (form == L"rename") library.BRename_Click();
        if (form == L"autorename") library.BAutorename_Click();
    }

    UINT_PTR settle = splash ? 0 : SetTimer(nullptr, 0, kSettleMs, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == WM_TIMER && message.wParam == settle && settle) {
            KillTimer(nullptr, settle);
            settle = 0;
            Signal(readyFile);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        // The fade's last step is fully opaque; the next tick would hold and
        // launch, so the fade stops here and the banner stays.
        Form2* banner = splash ? Form2::Existing() : nullptr;
        if (banner && banner->FadeTimer.Enabled() && banner->FadeAlpha >= 255) {
            banner->FadeTimer.SetEnabled(false);
            settle = SetTimer(nullptr, 0, kSettleMs, nullptr);
        }
    }
    return static_cast<int>(message.wParam);
}
