// The rename window: gives the library's selected demo a typed name.
#pragma once

#include "ui/Window.h"

#include <string>

class Form5 : public ui::Window, public ui::SingleInstance<Form5> {
public:
    Form5();

    HWND TFileName = nullptr, BRename = nullptr, BCancel = nullptr;
    ui::Timer RenameTimer{*this, [this] { RenameTimer_Timer(); }};

    void BRename_Click();
    void BCancel_Click();
    void RenameTimer_Timer();

protected:
    std::vector<ui::ControlDef> Layout() override;
    void Form_Load() override;

private:
    void HandBack();
};

// Why a typed name cannot name a demo in the demo folder (a separator, a
// drive or stream colon, a wildcard or other character Windows refuses, a
// control character, or a device name); empty when it can.
std::wstring WhyNotADemoName(const std::wstring& fileName);
