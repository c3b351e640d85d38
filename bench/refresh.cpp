#include "refresh.h"

#include "files.h"
#include "text.h"
#include "timing.h"

#include "library/Form4.h"
#include "startup/MainModule.h"

namespace bench {

namespace {

void MeasureCase(Form4& library, const std::wstring& game, int count, int runs, Results& out) {
    MainModule::SoldatPath = game;
    const std::wstring demos = MainModule::SoldatPath + L"\\Demos";
    auto refresh = [&] {
        library.RefreshDemoList();
        RedrawWindow(library.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    refresh(); // warm-up
    Enumerate(demos);
    PumpFor(50);
    const std::wstring key = L"refresh/" + std::to_wstring(count);
    Figure &time = out.figures[key], &floor = out.figures[key + L"/floor"];
    for (int run = 0; run < runs; ++run) {
        size_t found = 0;
        floor.Add(TimeMs([&] { found = Enumerate(demos); }));
        time.Add(TimeMs(refresh));
        LRESULT listed = SendMessageW(library.DemoList, LB_GETCOUNT, 0, 0);
        if (found != static_cast<size_t>(count) || listed != count)
            Die(Format(L"refresh of %d: %d found, %d listed", count, static_cast<int>(found),
                       static_cast<int>(listed)));
        PumpFor(50);
    }
    Progress(Format(L"refresh of %d: %.1f ms, enumeration %.1f ms", count, time.Median(), floor.Median()));
}

} // namespace

void MeasureRefresh(const Folders& folders, const Counts& counts, Results& out) {
    Form4& library = Form4::Get();
    library.Show();
    for (int count : {1000, 10000}) MeasureCase(library, folders.games.at(count), count, counts.refresh, out);
    MeasureCase(library, folders.games.at(50000), 50000, counts.big, out);
}

} // namespace bench
