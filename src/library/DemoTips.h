// The tip over the entries of a demo list (the library's and the autorename
// window's): the platform's own tooltip window, which shows what the head of
// the demo under the mouse holds (library/DemoHead.h).
//
// The list is one tool of the tooltip, whose text is asked for only when the
// tip is about to show: only then is the demo under the mouse read, and only
// its head. When the mouse moves on to another entry the tip is taken down,
// and the tooltip shows the next one after its own delay. The tooltip keeps
// the platform's delays and is hidden when the mouse leaves the list. The
// list's own handling of the mouse and keys is untouched: a click still only
// selects.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class DemoTips {
public:
    // The demo file of an entry of the list, by position.
    using PathOf = std::function<std::wstring(int entry)>;

    DemoTips() = default;
    ~DemoTips();
    DemoTips(const DemoTips&) = delete;
    DemoTips& operator=(const DemoTips&) = delete;

    // Watches the list's mouse from now on. The tooltip is made on the first
    // move of the mouse over the list, not before: it costs the start nothing.
    void Attach(HWND list, PathOf pathOf);
    // The tooltip window; nullptr until the mouse first moved over the list.
    HWND Tooltip() const { return tooltip_; }

private:
    static LRESULT CALLBACK ListProcedure(HWND list, UINT msg, WPARAM wParam, LPARAM lParam);
    // A message to the list before the list has it; true when it is ours.
    bool ListMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Notified(NMHDR& header);
    void CreateTooltip();
    // The tooltip's font (the system's tooltip font) and width at the list's DPI.
    void FitToDpi();
    // The entry at a point of the list's client area, -1 for none.
    int EntryAt(POINT point) const;
    void Detach();

    HWND list_ = nullptr;
    WNDPROC listProcedure_ = nullptr;
    PathOf pathOf_;
    HWND tooltip_ = nullptr;
    bool tried_ = false; // to make the tooltip
    HFONT font_ = nullptr;
    int fontDpi_ = 0;
    int entry_ = -1;    // the entry under the mouse at its last move
    std::wstring text_; // the tip's text, kept while the tooltip shows it
};
