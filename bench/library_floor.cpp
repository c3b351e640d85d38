// The library floor of the start-up figures: the library's own window and
// its controls, with Tarvendel's manifest and fonts, and none of its logic.
// It does what Tarvendel does before the library first shows, less the
// program's own steps: it registers the common controls as the program does,
// then shows the library window without its load (no settings file, no
// folder read, no list), and waits. Whatever Tarvendel's library takes beyond
// this program's time to its first window is the program's own; what this
// takes beyond floor.exe is the price of the window and its themed controls.
#include "library/Form4.h"
#include "startup/MainModule.h"
#include "ui/Window.h"

#include <windows.h>

namespace {

// The library window with its load left out.
class EmptyLibrary final : public Form4 {
protected:
    void Form_Load() override {}
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MainModule::InitControls();
    auto* library = new EmptyLibrary();
    library->Show();
    return ui::RunMessageLoop();
}
