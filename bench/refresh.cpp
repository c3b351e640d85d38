#include "refresh.h"

#include "files.h"
#include "text.h"
#include "timing.h"

#include "library/Form4.h"
#include "library/ListDemos.h"
#include "startup/MainModule.h"

namespace bench {

namespace {

void PaintNow(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

void MeasureCase(Form4& library, const std::wstring& game, RefreshCase& c) {
    MainModule::SoldatPath = game;
    const std::wstring demos = MainModule::SoldatPath + L"\\Demos";
    auto refresh = [&] {
        library.RefreshDemoList();
        PaintNow(library.Hwnd());
    };
    if (!library.Hwnd()) library.Show();
    refresh(); // warm-up
    Enumerate(demos);
    PumpFor(50);
    for (int run = 0; run < c.runs; ++run) {
        size_t found = 0;
        c.floor.Add(TimeMs([&] { found = Enumerate(demos); }));
        c.refresh.Add(TimeMs(refresh));
        LRESULT listed = SendMessageW(library.DemoList, LB_GETCOUNT, 0, 0);
        if (found != static_cast<size_t>(c.count) || listed != c.count)
            Die(Format(L"refresh of %d: %d found, %d listed", c.count, static_cast<int>(found),
                       static_cast<int>(listed)));
        PumpFor(50);
    }
    Progress(Format(L"refresh of %d: %.1f ms, enumeration %.1f ms", c.count, c.refresh.Median(), c.floor.Median()));
}

// Where a refresh of 10,000 spends its time: the same steps, one by one.
void MeasureSteps(Form4& library, const std::wstring& game, const Counts& counts, RefreshFigures& out) {
    MainModule::SoldatPath = game;
    const std::wstring folder = MainModule::SoldatPath + L"\\Demos\\";
    library.RefreshDemoList();
    PumpFor(50);
    for (int run = 0; run < counts.refresh; ++run) {
        HWND list = library.DemoList;
        out.reset.Add(TimeMs([&] { SendMessageW(list, LB_RESETCONTENT, 0, 0); }));
        std::vector<std::wstring> names;
        out.names.Add(TimeMs([&] { names = DemoNames(folder, L"sdm"); }));
        out.fill.Add(TimeMs([&] {
            RedrawOff quiet(list);
            size_t bytes = 0;
            for (const std::wstring& name : names) bytes += (name.size() + 1) * sizeof(wchar_t);
            SendMessageW(list, LB_INITSTORAGE, names.size(), static_cast<LPARAM>(bytes));
            for (const std::wstring& name : names)
                SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        }));
        out.paint.Add(TimeMs([&] { PaintNow(library.Hwnd()); }));
        PumpFor(50);
    }
}

} // namespace

void MeasureRefresh(const Folders& folders, const Counts& counts, RefreshFigures& out) {
    out.cases = {{1000, counts.refresh, {}, {}}, {10000, counts.refresh, {}, {}}, {50000, counts.big, {}, {}}};
    Form4& library = Form4::Get();
    for (RefreshCase& c : out.cases) MeasureCase(library, folders.games.at(c.count), c);
    MeasureSteps(library, folders.games.at(10000), counts, out);
}

} // namespace bench
