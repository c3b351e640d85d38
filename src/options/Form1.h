// The play options window: play speed and three options for one demo, then
// Play, Settings or Cancel.
#pragma once

#include "options/OptionsForm.h"

class Form1 : public OptionsForm, public ui::SingleInstance<Form1> {
public:
    Form1();

    HWND Label1 = nullptr, Label2 = nullptr;
    HWND BPlay = nullptr, BSettings = nullptr, BCancel = nullptr;

    void BPlay_Click();
    void BSettings_Click();
    void BCancel_Click();

protected:
    std::vector<ui::ControlDef> Layout() override;
    void Form_Load() override;
    void Form_Close() override;
};
