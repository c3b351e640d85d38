#include "library/Form6.h"
#include "ui/Host.h"

ui::WindowDef Form6::Definition() const {
    return {L"Tarvendel.Form6", L"Vornak's Tarvendel", 300, 60, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0};
}

std::vector<ui::ControlDef> Form6::Layout() {
    return {{&Label1, L"STATIC", L"Form6: the autorename window is not built yet.", {8, 20, 284, 17}, 0, SS_CENTER}};
}

void Form6::Form_Close() { ui::EndProgram(); }
