// What the play options and the settings window have in common: the speed
// slider with its percentage, polled every 10 ms, and the three option boxes.
// Each window edits its own four values in place: the play values for the
// next launch, or the defaults.
#pragma once

#include "ui/Window.h"

#include <cstdint>

class OptionsForm : public ui::Window {
public:
    struct Values {
        std::int16_t& freeCam;
        std::int16_t& noText;
        std::int16_t& extract;
        std::int16_t& speed;
    };

    HWND Speed = nullptr, SpeedT = nullptr;
    HWND CFreeCam = nullptr, CNoText = nullptr, CExtractDemo = nullptr;
    ui::Timer SpeedTimer{*this, [this] { SpeedTimer_Timer(); }};

    void CFreeCam_Click();
    void CNoText_Click();
    void CExtractDemo_Click();
    void SpeedTimer_Timer();

protected:
    OptionsForm(ui::WindowDef definition, Values values) : Window(std::move(definition)), values_(values) {}
    // Starts the poll and shows the values in the slider and the boxes.
    void LoadValues();

    // The controls, at their places in each window; "100%" until the poll.
    ui::ControlDef SpeedSlider(ui::Rect96 rect, int tabIndex);
    ui::ControlDef SpeedText(ui::Rect96 rect, int tabIndex);
    ui::ControlDef FreeCamBox(std::wstring caption, ui::Rect96 rect, int tabIndex);
    ui::ControlDef NoTextBox(std::wstring caption, ui::Rect96 rect, int tabIndex);
    ui::ControlDef ExtractBox(std::wstring caption, ui::Rect96 rect, int tabIndex);

private:
    Values values_;
};
