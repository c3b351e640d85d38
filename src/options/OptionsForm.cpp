#include "options/OptionsForm.h"

#include <commctrl.h>

#include <string>

namespace {
constexpr std::int16_t kSlowest = 1, kFastest = 200; // percent
} // namespace

void OptionsForm::LoadValues() {
    SpeedTimer.SetInterval(10);
    SpeedTimer.SetEnabled(true);
    // Range 1 to 200, arrow step 1, page step 5; a value the slider cannot
    // show is brought into range, and the poll then writes it back.
    SendMessageW(Speed, TBM_SETRANGEMIN, FALSE, kSlowest);
    SendMessageW(Speed, TBM_SETRANGEMAX, FALSE, kFastest);
    SendMessageW(Speed, TBM_SETTICFREQ, 10, 0);
    SendMessageW(Speed, TBM_SETLINESIZE, 0, 1);
    SendMessageW(Speed, TBM_SETPAGESIZE, 0, 5);
    const std::int16_t speed = values_.speed;
    SendMessageW(Speed, TBM_SETPOS, TRUE, speed < kSlowest ? kSlowest : speed > kFastest ? kFastest : speed);
    ui::SetCheck(CFreeCam, values_.freeCam);
    ui::SetCheck(CNoText, values_.noText);
    ui::SetCheck(CExtractDemo, values_.extract);
}

void OptionsForm::SpeedTimer_Timer() {
    auto value = static_cast<std::int16_t>(SendMessageW(Speed, TBM_GETPOS, 0, 0));
    values_.speed = value;
    ui::SetText(SpeedT, std::to_wstring(value) + L"%");
}

void OptionsForm::CFreeCam_Click() { values_.freeCam = ui::GetCheck(CFreeCam); }
void OptionsForm::CNoText_Click() { values_.noText = ui::GetCheck(CNoText); }
void OptionsForm::CExtractDemo_Click() { values_.extract = ui::GetCheck(CExtractDemo); }

ui::ControlDef OptionsForm::SpeedSlider(ui::Rect96 rect, int tabIndex) {
    return {&Speed, TRACKBAR_CLASSW, L"", rect, tabIndex, WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM};
}

ui::ControlDef OptionsForm::SpeedText(ui::Rect96 rect, int tabIndex) {
    // Display only: no caret, no tab stop.
    return {&SpeedT, L"STATIC", L"100%", rect, tabIndex, SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, WS_EX_CLIENTEDGE};
}

ui::ControlDef OptionsForm::FreeCamBox(std::wstring caption, ui::Rect96 rect, int tabIndex) {
    return ui::CheckBox(&CFreeCam, std::move(caption), rect, tabIndex, [this] { CFreeCam_Click(); });
}

ui::ControlDef OptionsForm::NoTextBox(std::wstring caption, ui::Rect96 rect, int tabIndex) {
    return ui::CheckBox(&CNoText, std::move(caption), rect, tabIndex, [this] { CNoText_Click(); });
}

ui::ControlDef OptionsForm::ExtractBox(std::wstring caption, ui::Rect96 rect, int tabIndex) {
    return ui::CheckBox(&CExtractDemo, std::move(caption), rect, tabIndex, [this] { CExtractDemo_Click(); });
}
