// Tarvendel: plays and manages Soldat demo recordings.
#include "startup/MainModule.h"
#include "ui/Window.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MainModule::Main();
    return ui::RunMessageLoop();
}
