// The tip over the entries of a demo list (the library's and the autorename
// window's): the platform's own tooltip window, which shows what the head of
// the demo under the mouse holds (library/DemoHead.h).
//
// The list is one tool of the tooltip, whose text is asked for only when the
// tip is about to show: only then is the demo under the mouse read (and a
// demo read once is remembered while it stays unchanged). When the mouse moves on to another entry the tip is taken down,
// and the tooltip shows the next one after its own delay. The tooltip keeps
// the platform's delays and is hidden when the mouse leaves the list.
//
// The list itself is not subclassed, so that its own messages (10,000
// LB_ADDSTRING in a refresh) cost nothing more: its window hands the tips its
// messages (Handle), among them WM_SETCURSOR, which the list sends it before
// each mouse message over the list. The list handles the mouse and the keys
// as ever: a click still only selects.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ui {
class Window;
}

class DemoTips {
public:
    // The demo file of an entry of the list, by position.
    using PathOf = std::function<std::wstring(int entry)>;

    DemoTips() = default;
    ~DemoTips();
    DemoTips(const DemoTips&) = delete;
    DemoTips& operator=(const DemoTips&) = delete;

    // Tips for this list of the window from now on, at the window's DPI. The
    // tooltip is made on the first move of the mouse over the list, not
    // before: it costs the start nothing.
    void Attach(const ui::Window& window, HWND list, PathOf pathOf);
    // A message to the list's window, before the window handles it; true when
    // it was the tips' alone (the tooltip's notifications).
    bool Handle(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The tooltip window; nullptr until the mouse first moved over the list.
    HWND Tooltip() const { return tooltip_; }

private:
    // A mouse message about to reach the list (WM_MOUSEMOVE, a button's).
    void MouseMessage(UINT msg);
    void Pop();
    void Notified(NMHDR& header);
    void CreateTooltip();
    // The tooltip's width and font (the system's tooltip font) at the
    // window's DPI.
    void FitToDpi();
    // The entry at a point of the list's client area, -1 for none (outside
    // the list, or below its last entry).
    int EntryAt(POINT point) const;
    int TopEntry() const;

    const ui::Window* window_ = nullptr;
    HWND list_ = nullptr;
    PathOf pathOf_;
    HWND tooltip_ = nullptr;
    bool tried_ = false; // to make the tooltip
    HFONT font_ = nullptr;
    int dpi_ = 0; // of the width and font set
    int entry_ = -1;    // the entry under the mouse at its last move
    int top_ = 0;       // the list's first entry shown then
    std::wstring text_; // the tip's text, kept while the tooltip shows it
};
