// The rename window (a stand-in until it is built).
#pragma once

#include "ui/Window.h"

class Form5 : public ui::Window, public ui::SingleInstance<Form5> {
public:
    HWND Label1 = nullptr;

protected:
    ui::WindowDef Definition() const override;
    std::vector<ui::ControlDef> Layout() override;
    void Form_Close() override;
};
