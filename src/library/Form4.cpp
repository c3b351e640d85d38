#include "library/Form4.h"
#include "ui/Host.h"

ui::WindowDef Form4::Definition() const {
    return {L"Tarvendel.Form4", L"Vornak's Tarvendel", 300, 60, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0};
}

std::vector<ui::ControlDef> Form4::Layout() {
    return {{&Label1, L"STATIC", L"Form4: the demo library is not built yet.", {8, 20, 284, 17}, 0, SS_CENTER}};
}

void Form4::Form_Close() { ui::EndProgram(); }
