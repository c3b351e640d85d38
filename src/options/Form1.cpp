#include "options/Form1.h"

#include "library/Form4.h"
#include "options/Form3.h"
#include "startup/Config.h"
#include "startup/MainModule.h"
#include "ui/Host.h"
#include "ui/SpeedSlider.h"

#include <commctrl.h>

using namespace MainModule;

ui::WindowDef Form1::Definition() const {
    return {L"Tarvendel.Form1", L"Vornak's Tarvendel", 297, 193, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0};
}

std::vector<ui::ControlDef> Form1::Layout() {
    constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
    constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
    return {
        {&Label1, L"STATIC", L"AboutText", {8, 8, 281, 17}, 3, SS_CENTER | SS_NOPREFIX, 0, ui::kGreyText},
        {&Label2, L"STATIC", L"Play speed:", {8, 32, 73, 17}, 4, SS_LEFTNOWORDWRAP | SS_NOPREFIX},
        {&SpeedT, L"STATIC", L"100%", {224, 32, 57, 19}, 5, ui::kSpeedTextStyle, WS_EX_CLIENTEDGE},
        {&Speed, TRACKBAR_CLASSW, L"", {8, 56, 281, 25}, 2, ui::kSpeedSliderStyle},
        {&CFreeCam, L"BUTTON", L"Free camera", {24, 96, 257, 17}, 6, kCheck},
        {&CNoText, L"BUTTON", L"No text, no menus, no cursor", {24, 112, 257, 17}, 7, kCheck},
        {&CExtractDemo, L"BUTTON", L"Extract the demo file", {24, 128, 257, 17}, 8, kCheck},
        {&BPlay, L"BUTTON", L"Play demo", {8, 160, 153, 25}, 0, kButton},
        {&BSettings, L"BUTTON", L"Settings", {168, 160, 57, 25}, 9, kButton},
        {&BCancel, L"BUTTON", L"Cancel", {232, 160, 57, 25}, 1, kButton},
    };
}

void Form1::Form_Load() {
    ui::SetText(Label1, TitleText);
    SpeedTimer.SetInterval(10);
    SpeedTimer.SetEnabled(true);
    ui::SetUpSpeedSlider(Speed, Config::PlaySpeed);
    ui::SetCheck(CFreeCam, Config::PlayFreeCam);
    ui::SetCheck(CNoText, Config::PlayNoText);
    ui::SetCheck(CExtractDemo, Config::PlayExtract);
}

void Form1::SpeedTimer_Timer() { Config::PlaySpeed = ui::FollowSpeedSlider(Speed, SpeedT); }

void Form1::CFreeCam_Click() { Config::PlayFreeCam = ui::GetCheck(CFreeCam); }
void Form1::CNoText_Click() { Config::PlayNoText = ui::GetCheck(CNoText); }
void Form1::CExtractDemo_Click() { Config::PlayExtract = ui::GetCheck(CExtractDemo); }

void Form1::BPlay_Click() {
    if (PlayDemo(DemoFile) == True) ui::EndProgram();
}

void Form1::BSettings_Click() {
    Form3::Get().Show();
    SetEnabled(false);
}

void Form1::BCancel_Click() {
    if (FromLibrary == True) {
        Hide();
        Form4::Get().Show();
    } else {
        ui::EndProgram();
    }
}

// The close box does what Cancel does: back to the library when the window
// came from there (the library is hidden meanwhile), otherwise the end.
void Form1::Form_Close() { BCancel_Click(); }

void Form1::Command(HWND control, WORD notification) {
    if (notification != BN_CLICKED) return;
    if (control == BPlay) BPlay_Click();
    else if (control == BSettings) BSettings_Click();
    else if (control == BCancel) BCancel_Click();
    else if (control == CFreeCam) CFreeCam_Click();
    else if (control == CNoText) CNoText_Click();
    else if (control == CExtractDemo) CExtractDemo_Click();
}

void Form1::TimerTick(UINT_PTR id) {
    if (id == SpeedTimer.Id()) SpeedTimer_Timer();
}
