// The text of a demo's tip (DemoTip, the product's own function) for
// headless demos of 1, 10, 40 and 100 MB, made as the game writes them:
// mostly tick records and small messages. The file is in the system's cache
// (read once before), and each run changes its last-write time, so that the
// tip reads it anew ("tip/N"); then the second tip over the unchanged demo,
// which reads nothing ("tip/N/again").
#pragma once

#include "figures.h"
#include "options.h"

namespace bench {

// The demo sizes, in MB.
inline constexpr int kTipSizes[] = {1, 10, 40, 100};

void MeasureTips(const Options& options, const Counts& counts, Results& out);

} // namespace bench
