// Time as the bench measures it: milliseconds from QueryPerformanceCounter.
// And waiting: the windows the bench shows itself (the library, the
// autorename window) live in its own thread, so that every wait between two
// runs lets their messages through.
#pragma once

#include <windows.h>

namespace bench {

double NowMs();
// A QueryPerformanceCounter value (another process's, say) in milliseconds.
double CountsToMs(long long counts);

template <class Fn>
double TimeMs(Fn&& fn) {
    double start = NowMs();
    fn();
    return NowMs() - start;
}

// Handles the messages waiting in the bench's queue.
void Pump();
// Handles messages for this long.
void PumpFor(DWORD ms);

} // namespace bench
