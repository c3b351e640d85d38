// Opens one of the program's windows on a given game folder, for looking at
// it: tools/screenshots photographs each window this way.
//   tour.exe library|options|settings|rename|autorename|splash|tip GAMEFOLDER READYFILE [DEMO]
// READYFILE is created once the window stands on screen as it will stay: for
// the splash, at full opacity, with its fade stopped before the launch; for
// the tip, the library with the mouse resting on the demo DEMO ("final round"
// unless given), once its tip shows. Elsewhere the mouse rests off every window.
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

// Puts the mouse on an entry of a list, as a user would.
void RestOn(HWND list, const wchar_t* entry) {
    LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry));
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index < 0 ? 0 : index), reinterpret_cast<LPARAM>(&item));
    POINT at{item.left + 40, (item.top + item.bottom) / 2};
    ClientToScreen(list, &at);
    SetCursorPos(at.x, at.y);
}

void Signal(const std::wstring& readyFile) {
    HANDLE file = CreateFileW(readyFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// Shows the window to photograph.
void ShowWindowOf(const std::wstring& form, const wchar_t* demo) {
    SetCursorPos(0, 0);
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
        if (form == L"tip") RestOn(library.DemoList, demo);
    }
}

// Whether the window stands as it will stay: the splash at full opacity (its
// fade then stops: the next tick would hold and launch), the tip once shown,
// any other window at once.
bool Steady(const std::wstring& form) {
    if (form == L"splash") {
        Form2* banner = Form2::Existing();
        if (!banner || !banner->FadeTimer.Enabled() || banner->FadeAlpha < 255) return false;
        banner->FadeTimer.SetEnabled(false);
        return true;
    }
    HWND tooltip = form == L"tip" ? Form4::Get().Tips.Tooltip() : nullptr;
    return form != L"tip" || (tooltip && IsWindowVisible(tooltip));
}

// The message loop; READYFILE is made a while after the window stands.
int RunUntilQuit(const std::wstring& form, const std::wstring& readyFile) {
    bool steady = false;
    UINT_PTR settle = 0;
    MSG message;
    for (;;) {
        if (!steady && Steady(form)) {
            steady = true;
            settle = SetTimer(nullptr, 0, kSettleMs, nullptr);
        }
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) return static_cast<int>(message.wParam);
        if (message.hwnd == nullptr && message.message == WM_TIMER && settle && message.wParam == settle) {
            KillTimer(nullptr, settle);
            settle = 0;
            Signal(readyFile);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 4) return 2;
    const std::wstring form = argv[1];
    MainModule::InitControls();
    MainModule::SoldatPath = argv[2];
    MainModule::TitleText = MainModule::AboutLine();
    MainModule::ExePath = MainModule::ModulePath();
    Config::IniFile = MainModule::SoldatPath + L"\\tour.ini";
    Config::DefSpeed = Config::PlaySpeed = 100;
    Config::DefNoText = Config::PlayNoText = 1;
    MainModule::DemoFile = MainModule::SoldatPath + L"\\Demos\\final round.sdm";
    MainModule::ArgumentString = MainModule::DemoFile;
    ShowWindowOf(form, argc > 4 ? argv[4] : L"final round");
    return RunUntilQuit(form, argv[3]);
}
