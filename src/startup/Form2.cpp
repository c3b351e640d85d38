#include "startup/Form2.h"

#include "startup/Launcher.h"
#include "startup/MainModule.h"
#include "ui/Host.h"

namespace {
constexpr int kBannerWidth = 305;
constexpr int kBannerHeight = 25;
constexpr int kBannerResource = 2;
} // namespace

Form2::~Form2() {
    if (banner_) DeleteObject(banner_);
}

Form2::Form2() : Window({L"Tarvendel.Form2", L"", kBannerWidth, kBannerHeight, WS_POPUP, WS_EX_TOOLWINDOW}) {}

void Form2::Form_Load() {
    banner_ = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kBannerResource), IMAGE_BITMAP, 0, 0, 0));
    // Layered from here on: nothing is drawn until the first opacity is set.
    SetWindowLongW(Hwnd(), GWL_EXSTYLE, GetWindowLongW(Hwnd(), GWL_EXSTYLE) | WS_EX_LAYERED);
    FadeTimer.SetInterval(kFadeInterval);
    SetTopmost();
}

void Form2::SetTopmost() {
    SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Form2::FadeTimer_Timer() {
    FadeAlpha = static_cast<std::int16_t>(FadeAlpha + kFadeStep);
    if (FadeAlpha > 255) {
        SetLayeredWindowAttributes(Hwnd(), 0, 255, LWA_ALPHA);
        FadeTimer.SetEnabled(false);
        UpdateWindow(Hwnd());
        Sleep(kHold);
        // A missing demo has been reported and has ended the program already:
        // its exit code stands.
        MainModule::Flag started = MainModule::PlayDemo(MainModule::ArgumentString);
        Hide();
        ui::EndProgram(started == MainModule::True ? ui::kExitOk : ui::kExitError);
        return;
    }
    SetLayeredWindowAttributes(Hwnd(), 0, static_cast<BYTE>(FadeAlpha), LWA_ALPHA);
}

void Form2::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Hwnd(), &ps);
    RECT client;
    GetClientRect(Hwnd(), &client);
    if (banner_) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, banner_);
        SetStretchBltMode(dc, COLORONCOLOR); // keeps the pixel letters crisp when scaled
        StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, kBannerWidth, kBannerHeight, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    } else {
        HBRUSH ground = CreateSolidBrush(RGB(48, 60, 74));
        FillRect(dc, &client, ground);
        DeleteObject(ground);
    }
    // The one-pixel frame around the banner, in the default line colour.
    int width = Scale(1);
    HBRUSH line = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT edges[] = {{0, 0, client.right, width},
                    {0, client.bottom - width, client.right, client.bottom},
                    {0, 0, width, client.bottom},
                    {client.right - width, 0, client.right, client.bottom}};
    for (const RECT& edge : edges) FillRect(dc, &edge, line);
    EndPaint(Hwnd(), &ps);
}

bool Form2::HandleMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    default:
        return false;
    }
}
