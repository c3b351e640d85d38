// The settings window: the game's folder and the default play options,
// saved to the settings file with the offer to restart.
#pragma once

#include "ui/Window.h"

#include <string>

class Form3 : public ui::Window, public ui::SingleInstance<Form3> {
public:
    HWND Label1 = nullptr, TSoldatPath = nullptr, Browse = nullptr;
    HWND CFreeCam = nullptr, CNoText = nullptr, CExtractDemo = nullptr;
    HWND Label2 = nullptr, SpeedT = nullptr, Speed = nullptr;
    HWND BSave = nullptr, BCancel = nullptr;
    ui::Timer SpeedTimer{*this};

    void Browse_Click();
    void BSave_Click();
    void BCancel_Click();
    void CFreeCam_Click();
    void CNoText_Click();
    void CExtractDemo_Click();
    void SpeedTimer_Timer();

protected:
    ui::WindowDef Definition() const override;
    std::vector<ui::ControlDef> Layout() override;
    void Form_Load() override;
    void Command(HWND control, WORD notification) override;
    void TimerTick(UINT_PTR id) override;

private:
    // Saves the defaults and the path box into the settings file, all or
    // nothing; empty on success, otherwise what failed.
    std::wstring SaveSettings();
    bool Restart();
};
