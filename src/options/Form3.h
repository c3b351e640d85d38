// The settings window: the game's folder and the default play options,
// saved to the settings file with the offer to restart.
#pragma once

#include "options/OptionsForm.h"

#include <string>

class Form3 : public OptionsForm, public ui::SingleInstance<Form3> {
public:
    Form3();

    HWND Label1 = nullptr, TSoldatPath = nullptr, Browse = nullptr;
    HWND Label2 = nullptr;
    HWND BSave = nullptr, BCancel = nullptr;

    void Browse_Click();
    void BSave_Click();
    void BCancel_Click();

protected:
    std::vector<ui::ControlDef> Layout() override;
    void Form_Load() override;

private:
    // Saves the defaults and the path box into the settings file, all or
    // nothing; empty on success, otherwise what failed.
    std::wstring SaveSettings();
    bool Restart();
};
