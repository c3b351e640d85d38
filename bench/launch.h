// Starting a program and noticing its first window: what the start-up,
// memory and profile figures stand on. A start is timed from just before
// CreateProcessW to the moment a visible top-level window of the new process
// is seen, by polling EnumWindows every millisecond or, with --detect hook,
// through an out-of-context WinEvent hook on EVENT_OBJECT_SHOW (which Wine 8
// does not deliver for other processes).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace bench {

struct Start {
    std::wstring label;
    std::wstring exe;
    std::wstring arguments;
    std::wstring windowClass; // the window it must show
};

// A probe's steps: name, and milliseconds after the start.
using Marks = std::vector<std::pair<std::string, double>>;

struct StartResult {
    double ms = 0; // from just before CreateProcessW to the window seen shown
    SIZE_T peakWorkingSet = 0;
    SIZE_T privateBytes = 0;
    Marks marks; // a probe's steps
};

// What happens between the window's being seen and the program's end.
enum class After { Nothing, Memory, Probe };

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
// its memory counters; with Probe, waits for the probe's file (named by
// TARVENDEL_PROBE) and reads its steps. Ends the bench if the program fails.
StartResult StartUntilShown(const Start& start, After after = After::Nothing,
                            const std::wstring& probeFile = std::wstring());

// Starts a program that writes its steps into TARVENDEL_PROBE and ends by
// itself; returns its steps.
Marks RunToEnd(const std::wstring& exe, const std::wstring& probeFile);

} // namespace bench
