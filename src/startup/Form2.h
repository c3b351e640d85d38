// The splash: a borderless banner that fades in over the desktop, holds, then
// launches the demo given on the command line and ends the program.
#pragma once

#include "ui/Window.h"

#include <cstdint>

class Form2 : public ui::Window, public ui::SingleInstance<Form2> {
public:
    ui::Timer FadeTimer{*this};
    std::int16_t FadeAlpha = 0;

    static constexpr std::int16_t kFadeStep = 15;
    static constexpr UINT kFadeInterval = 20;   // ms
    static constexpr DWORD kHold = 1800;        // ms

    void FadeTimer_Timer();
    void SetTopmost();

    ~Form2() override;

protected:
    ui::WindowDef Definition() const override;
    std::vector<ui::ControlDef> Layout() override { return {}; }
    void Form_Load() override;
    void TimerTick(UINT_PTR id) override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Paint();
    HBITMAP banner_ = nullptr;
};
