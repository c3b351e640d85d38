#include "options/Form3.h"
#include "ui/Host.h"

ui::WindowDef Form3::Definition() const {
    return {L"Tarvendel.Form3", L"Vornak's Tarvendel", 300, 60, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0};
}

std::vector<ui::ControlDef> Form3::Layout() {
    return {{&Label1, L"STATIC", L"Form3: the settings window is not built yet.", {8, 20, 284, 17}, 0, SS_CENTER}};
}

void Form3::Form_Close() { ui::EndProgram(); }
