// The autorename window (Form6) in the bench's own process: its load for
// 10,000 demos (created, listed, marked, shown and painted) beside a bare
// enumeration of the same folder, and the steps of that load one by one; and
// an autorename run over 10,000 marked demos beside as many bare MoveFileW.
#pragma once

#include "figures.h"
#include "folders.h"
#include "options.h"

#include "ui/Host.h"

#include <string>
#include <vector>

namespace bench {

// Answers every box as a player who wants the run to go on: OK, and Yes
// (skip the demo) to a clash; keeps what they said.
class BenchHost final : public ui::Host {
public:
    int ShowMessage(HWND, const std::wstring& text, UINT type) override {
        messages.push_back(text);
        return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    }
    void EndProgram(UINT) override { ++ends; }
    std::vector<std::wstring> messages;
    int ends = 0;
};

struct AutorenameFigures {
    Figure load, loadFloor, run, runFloor;
    Figure create, reset, list, read, mark, paint; // the steps of the load
};

// The demos of the run.
constexpr int kRunDemos = 10000;

void MeasureAutorenameLoad(const Folders& folders, const Counts& counts, AutorenameFigures& out);
void MeasureAutorenameRun(const Options& options, BenchHost& host, const Counts& counts, AutorenameFigures& out);

} // namespace bench
