// The play-speed slider and its percentage box, shared by the play options
// and settings windows: range 1 to 200, arrow step 1, page step 5, and a
// 10 ms poll that copies the slider's value into a speed and the box.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

namespace ui {

inline constexpr DWORD kSpeedSliderStyle = WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM;
inline constexpr DWORD kSpeedTextStyle = SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX;

// Sets the range and steps, then the value (brought into 1..200).
void SetUpSpeedSlider(HWND slider, std::int16_t value);
// Reads the slider, shows its value as "N%" and returns it.
std::int16_t FollowSpeedSlider(HWND slider, HWND percentText);

} // namespace ui
