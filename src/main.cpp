// Tarvendel: plays and manages Soldat demo recordings.
#include "startup/MainModule.h"
#include "ui/Host.h"
#include "ui/Window.h"

#include <windows.h>

// The start runs guarded like every event; the program ends when its message
// loop does, with the exit code of the end (ui::EndProgram).
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ui::Guarded([] { MainModule::Main(); });
    return ui::RunMessageLoop();
}
