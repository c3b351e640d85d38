// The writer of docs/performance.md: the figures as the Markdown block
// between the lines <!-- bench:begin --> and <!-- bench:end -->, and that
// block put into a document.
#pragma once

#include "autorename.h"
#include "memory.h"
#include "options.h"
#include "refresh.h"
#include "startup.h"

#include <string>

namespace bench {

// Everything one run measured; what was not measured is empty.
struct Results {
    StartFigures starts;
    MemoryFigures memory;
    ProfileFigures profile;
    RefreshFigures refresh;
    AutorenameFigures autorename;
};

std::wstring WriteReport(const Options& options, const Results& results);

// Replaces the document's block between the markers by this one, or appends
// it (to a new "# Performance" document if there is none). Ends the bench if
// the document cannot be written.
void UpdateDocument(const std::wstring& path, const std::wstring& block);

} // namespace bench
