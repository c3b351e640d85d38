#include "ui/SpeedSlider.h"

#include "ui/Window.h"

#include <string>

namespace ui {

void SetUpSpeedSlider(HWND slider, std::int16_t value) {
    SendMessageW(slider, TBM_SETRANGEMIN, FALSE, 1);
    SendMessageW(slider, TBM_SETRANGEMAX, FALSE, 200);
    SendMessageW(slider, TBM_SETTICFREQ, 10, 0);
    SendMessageW(slider, TBM_SETLINESIZE, 0, 1);
    SendMessageW(slider, TBM_SETPAGESIZE, 0, 5);
    SendMessageW(slider, TBM_SETPOS, TRUE, value < 1 ? 1 : value > 200 ? 200 : value);
}

std::int16_t FollowSpeedSlider(HWND slider, HWND percentText) {
    auto value = static_cast<std::int16_t>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    SetText(percentText, std::to_wstring(value) + L"%");
    return value;
}

} // namespace ui
