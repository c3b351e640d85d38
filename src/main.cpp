// Tarvendel: plays and manages Soldat demo recordings.
#include "startup/MainModule.h"
#include "ui/Host.h"
#include "ui/SystemFunction.h"
#include "ui/Window.h"

#include <windows.h>

// The DLL search is restricted first, before any window or DLL load (the C
// runtime's start and the static constructors before wWinMain load none).
// The start then runs guarded like every event; the program ends when its
// message loop does, with the exit code of the end (ui::EndProgram).
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ui::RestrictDllSearch();
    ui::Guarded([] { MainModule::Main(); });
    return ui::RunMessageLoop();
}
