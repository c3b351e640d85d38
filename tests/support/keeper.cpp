// Keeps one hidden window open for the whole test run, so that Wine's desktop
// process does not exit and restart between tests. Ended with the server.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"TarvendelTestKeeper";
    RegisterClassW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"keeper", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
