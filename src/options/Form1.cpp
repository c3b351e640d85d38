#include "options/Form1.h"

#include "library/Form4.h"
#include "options/Form3.h"
#include "startup/Config.h"
#include "startup/Launcher.h"
#include "startup/MainModule.h"
#include "ui/Host.h"

using namespace MainModule;

Form1::Form1()
    : OptionsForm({L"Tarvendel.Form1", L"Vornak's Tarvendel", 297, 193, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0},
                  {Config::PlayFreeCam, Config::PlayNoText, Config::PlayExtract, Config::PlaySpeed}) {}

std::vector<ui::ControlDef> Form1::Layout() {
    return {
        ui::Label(&Label1, L"AboutText", {8, 8, 281, 17}, 3, SS_CENTER, ui::kGreyText),
        ui::Label(&Label2, L"Play speed:", {8, 32, 73, 17}, 4),
        SpeedText({224, 32, 57, 19}, 5),
        SpeedSlider({8, 56, 281, 25}, 2),
        FreeCamBox(L"Free camera", {24, 96, 257, 17}, 6),
        NoTextBox(L"No text, no menus, no cursor", {24, 112, 257, 17}, 7),
        ExtractBox(L"Extract the demo file", {24, 128, 257, 17}, 8),
        ui::Button(&BPlay, L"Play demo", {8, 160, 153, 25}, 0, [this] { BPlay_Click(); }),
        ui::Button(&BSettings, L"Settings", {168, 160, 57, 25}, 9, [this] { BSettings_Click(); }),
        ui::Button(&BCancel, L"Cancel", {232, 160, 57, 25}, 1, [this] { BCancel_Click(); }),
    };
}

void Form1::Form_Load() {
    ui::SetText(Label1, TitleText);
    LoadValues();
}

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
