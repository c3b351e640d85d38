#include "library/Form5.h"
#include "ui/Host.h"

ui::WindowDef Form5::Definition() const {
    return {L"Tarvendel.Form5", L"Vornak's Tarvendel", 300, 60, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0};
}

std::vector<ui::ControlDef> Form5::Layout() {
    return {{&Label1, L"STATIC", L"Form5: the rename window is not built yet.", {8, 20, 284, 17}, 0, SS_CENTER}};
}

void Form5::Form_Close() { ui::EndProgram(); }
