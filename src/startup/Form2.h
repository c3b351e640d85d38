// The splash: a borderless banner that fades in over the desktop, holds, then
// launches the demo given on the command line and ends the program.
#pragma once

#include "ui/Window.h"

#include <cstdint>

class Form2 : public ui::Window, public ui::SingleInstance<Form2> {
public:
    Form2();

    ui::Timer FadeTimer{*this, [this] { FadeTimer_Timer(); }};
    std::int16_t FadeAlpha = 0;

    static constexpr std::int16_t kFadeStep = 15;
    static constexpr UINT kFadeInterval = 20; // ms
    static constexpr DWORD kHold = 1800;      // ms

    void FadeTimer_Timer();
    // Puts the banner on top of the always-on-top windows and shows it,
    // without moving, sizing or activating it.
    void SetTopmost();

    ~Form2() override;

protected:
    std::vector<ui::ControlDef> Layout() override { return {}; }
    void Form_Load() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Paint();
    HBITMAP banner_ = nullptr;
};
