#include "library/DemoTips.h"

#include "library/DemoHead.h"
#include "ui/SystemFunction.h"
#include "ui/Window.h"

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace {

constexpr int kMaxTipWidth = 400; // at 96 DPI; a longer line wraps between words

// The system's tooltip font at a DPI: the non-client metrics' status font,
// which the tooltip takes by itself, but only at the system's DPI.
HFONT TipFont(int dpi) {
    using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = ui::SystemFunction<ForDpiFn>(L"user32.dll", "SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!forDpi || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi))) {
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
        metrics.lfStatusFont.lfHeight = MulDiv(metrics.lfStatusFont.lfHeight, dpi, ui::DpiForWindow(nullptr));
    }
    return CreateFontIndirectW(&metrics.lfStatusFont);
}

} // namespace

DemoTips::~DemoTips() {
    if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
    if (font_) DeleteObject(font_);
}

void DemoTips::Attach(const ui::Window& window, HWND list, PathOf pathOf) {
    window_ = &window;
    list_ = list;
    pathOf_ = std::move(pathOf);
}

bool DemoTips::Handle(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!list_) return false;
    if (msg == WM_SETCURSOR && reinterpret_cast<HWND>(wParam) == list_) {
        MouseMessage(HIWORD(lParam));
    } else if (msg == WM_CTLCOLORLISTBOX && reinterpret_cast<HWND>(lParam) == list_) {
        // The list paints itself: scrolled by the wheel or the keys, other
        // entries lie under the mouse, and the tip shown is none of theirs.
        if (TopEntry() != top_) {
            Pop();
            top_ = TopEntry();
        }
    } else if (msg == WM_NOTIFY && tooltip_ && reinterpret_cast<NMHDR*>(lParam)->hwndFrom == tooltip_) {
        Notified(*reinterpret_cast<NMHDR*>(lParam));
        result = 0;
        return true;
    }
    return false;
}

void DemoTips::MouseMessage(UINT msg) {
    if (msg != WM_MOUSEMOVE && msg != WM_LBUTTONDOWN && msg != WM_LBUTTONUP && msg != WM_RBUTTONDOWN &&
        msg != WM_RBUTTONUP && msg != WM_MBUTTONDOWN && msg != WM_MBUTTONUP)
        return;
    // A window that takes no input shows no tips either.
    if (!IsWindowEnabled(list_) || !IsWindowEnabled(GetAncestor(list_, GA_ROOT))) return;
    if (!tooltip_ && !tried_) CreateTooltip();
    if (!tooltip_) return;
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(list_, &at);
    const int entry = EntryAt(at);
    // The tooltip sees one tool, the list: on another entry the last tip
    // goes, and the tooltip, still over its tool, shows a tip again after its
    // delay, asking for the text anew.
    if (msg == WM_MOUSEMOVE && entry != entry_) Pop();
    entry_ = entry;
    top_ = TopEntry();
    MSG relayed{list_, msg, 0, MAKELPARAM(at.x, at.y), static_cast<DWORD>(GetMessageTime()), {}};
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void DemoTips::Pop() {
    entry_ = -1;
    if (tooltip_) SendMessageW(tooltip_, TTM_POP, 0, 0);
}

void DemoTips::Notified(NMHDR& header) {
    if (header.code == TTN_GETDISPINFOW) {
        // The entry under the mouse now, which the tip is about to show; no
        // entry (below the last one) gives no text, and then no tip.
        POINT cursor{};
        GetCursorPos(&cursor);
        ScreenToClient(list_, &cursor);
        const int entry = EntryAt(cursor);
        text_ = entry >= 0 && pathOf_ ? DemoTip(pathOf_(entry)) : std::wstring();
        FitToDpi();
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        info.hinst = nullptr;
        info.lpszText = text_.data();
    }
}

void DemoTips::CreateTooltip() {
    tried_ = true;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(list_, GA_ROOT),
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return; // no tips then; the list works as ever
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetAncestor(list_, GA_ROOT); // which gets the tooltip's notifications
    tool.uId = reinterpret_cast<UINT_PTR>(list_);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    FitToDpi();
}

void DemoTips::FitToDpi() {
    const int dpi = window_->Dpi();
    if (dpi == dpi_) return;
    dpi_ = dpi;
    // Lines break at "\r\n" only with a width set: set whether or not a font
    // of this DPI can be made.
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(kMaxTipWidth, dpi, 96));
    HFONT font = TipFont(dpi);
    if (!font) return;
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (font_) DeleteObject(font_);
    font_ = font;
}

int DemoTips::EntryAt(POINT point) const {
    // The high word says the point lies on no entry: outside the list, or in
    // the empty part below its last entry (the low word then names the
    // nearest entry, which is not under the mouse).
    const auto found = static_cast<DWORD>(SendMessageW(
        list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y))));
    if (HIWORD(found) != 0) return -1;
    // The low word holds only the entry's 16 lowest bits; the entries shown,
    // from the first one shown on, are far fewer than 65,536.
    const int top = TopEntry();
    return top + ((LOWORD(found) - top) & 0xFFFF);
}

int DemoTips::TopEntry() const { return static_cast<int>(SendMessageW(list_, LB_GETTOPINDEX, 0, 0)); }
