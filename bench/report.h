// The writer of docs/performance.md: the figures of one or more runs of the
// bench (one per architecture, side by side) as the Markdown block between
// the lines <!-- bench:begin --> and <!-- bench:end -->, and that block put
// into a document.
#pragma once

#include "figures.h"
#include "options.h"

#include <string>
#include <vector>

namespace bench {

// The runs in the order of their columns.
std::wstring WriteReport(const Options& options, const std::vector<Results>& runs);

// Replaces the document's block between the markers by this one, or appends
// it (to a new "# Performance" document if there is none). Ends the bench if
// the document cannot be written.
void UpdateDocument(const std::wstring& path, const std::wstring& block);

} // namespace bench
