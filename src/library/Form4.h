// The demo library (a stand-in until it is built).
#pragma once

#include "ui/Window.h"

class Form4 : public ui::Window, public ui::SingleInstance<Form4> {
public:
    HWND Label1 = nullptr;

protected:
    ui::WindowDef Definition() const override;
    std::vector<ui::ControlDef> Layout() override;
    void Form_Close() override;
};
