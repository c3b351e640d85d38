// The library's refresh, in the bench's own process on a shown library
// window: Form4::RefreshDemoList and the paint that follows for 1,000, 10,000
// and 50,000 demos ("refresh/N"), beside a bare FindFirstFileExW enumeration
// of the same folder ("refresh/N/floor").
#pragma once

#include "figures.h"
#include "folders.h"
#include "options.h"

namespace bench {

void MeasureRefresh(const Folders& folders, const Counts& counts, Results& out);

} // namespace bench
