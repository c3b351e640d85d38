// Starting a program and noticing its first window: what the start-up and
// memory figures stand on. A start is timed from just before
// CreateProcessW to the moment a visible top-level window of the new process
// is seen, by polling EnumWindows every millisecond or, with --detect hook,
// through an out-of-context WinEvent hook on EVENT_OBJECT_SHOW (which Wine 8
// does not deliver for other processes).
#pragma once

#include <windows.h>

#include <string>

namespace bench {

struct Start {
    std::wstring key; // what the figures call it
    std::wstring exe;
    std::wstring arguments;
    std::wstring windowClass; // the window it must show
};

struct StartResult {
    double ms = 0; // from just before CreateProcessW to the window seen shown
    SIZE_T peakWorkingSet = 0;
};

// What happens between the window's being seen and the program's end.
enum class After { Nothing, Memory };

// The pause after each ended program, before the next start.
constexpr DWORD kSettleMs = 250;

// A hidden window for the whole run: Wine's desktop process ends with the
// last window and the next program would pay for starting it again.
void KeepDesktop();
// How shown windows are noticed from now on; ends the bench if the hook
// cannot be set.
void StartDetection(bool byHook);
void StopDetection();

// Starts the program and returns the time from just before CreateProcessW to
// its first visible top-level window, which must be of start.windowClass;
// ends the program afterwards. With Memory, lets it settle first and reads
// its peak working set. Ends the bench if the program fails.
StartResult StartUntilShown(const Start& start, After after = After::Nothing);

} // namespace bench
