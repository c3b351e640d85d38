// The autorename window (Form6) in the bench's own process: its load for
// 10,000 demos (created, listed, marked, shown and painted) beside a bare
// enumeration of the same folder ("autorename-load", ".../floor"); and an
// autorename run over a folder of marked demos beside as many bare MoveFileW
// to the same names ("rename", "rename/floor").
#pragma once

#include "figures.h"
#include "folders.h"
#include "options.h"

#include "ui/Host.h"

#include <string>

namespace bench {

// Answers every box as a player who wants the run to go on: OK, and Yes
// (skip the demo) to a clash; counts them.
class BenchHost final : public ui::Host {
public:
    int ShowMessage(HWND, const std::wstring&, UINT type) override {
        ++messages;
        return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    }
    void EndProgram(UINT) override { ++ends; }
    int messages = 0;
    int ends = 0;
};

void MeasureAutorenameLoad(const Folders& folders, const Counts& counts, Results& out);
void MeasureAutorenameRun(const Options& options, BenchHost& host, const Counts& counts, Results& out);

} // namespace bench
