// Tarvendel: plays and manages Soldat demo recordings.
#include "startup/MainModule.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MainModule::Main();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and the arrow keys move between controls as in a dialog.
        HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
