// The library's refresh, in the bench's own process on a shown library
// window: Form4::RefreshDemoList and the paint that follows for 1,000, 10,000
// and 50,000 demos, beside a bare FindFirstFileExW enumeration of the same
// folder (the floor); then the steps of a refresh of 10,000, one by one.
#pragma once

#include "figures.h"
#include "folders.h"
#include "options.h"

#include <vector>

namespace bench {

struct RefreshCase {
    int count;
    int runs;
    Figure refresh, floor;
};

struct RefreshFigures {
    std::vector<RefreshCase> cases;
    Figure reset, names, fill, paint; // the steps of a refresh of 10,000
};

void MeasureRefresh(const Folders& folders, const Counts& counts, RefreshFigures& out);

} // namespace bench
