// The play options window: play speed and three options for one demo, then
// Play, Settings or Cancel.
#pragma once

#include "ui/Window.h"

class Form1 : public ui::Window, public ui::SingleInstance<Form1> {
public:
    HWND Label1 = nullptr, Label2 = nullptr, SpeedT = nullptr, Speed = nullptr;
    HWND CFreeCam = nullptr, CNoText = nullptr, CExtractDemo = nullptr;
    HWND BPlay = nullptr, BSettings = nullptr, BCancel = nullptr;
    ui::Timer SpeedTimer{*this};

    void BPlay_Click();
    void BSettings_Click();
    void BCancel_Click();
    void CFreeCam_Click();
    void CNoText_Click();
    void CExtractDemo_Click();
    void SpeedTimer_Timer();

protected:
    ui::WindowDef Definition() const override;
    std::vector<ui::ControlDef> Layout() override;
    void Form_Load() override;
    void Form_Close() override;
    void Command(HWND control, WORD notification) override;
    void TimerTick(UINT_PTR id) override;
};
