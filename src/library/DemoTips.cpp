#include "library/DemoTips.h"

#include "library/DemoHead.h"
#include "ui/Host.h"
#include "ui/SystemFunction.h"
#include "ui/Window.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <utility>

namespace {

constexpr wchar_t kProperty[] = L"Tarvendel.DemoTips";
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
    Detach();
    if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
    if (font_) DeleteObject(font_);
}

void DemoTips::Attach(HWND list, PathOf pathOf) {
    Detach();
    list_ = list;
    pathOf_ = std::move(pathOf);
    SetPropW(list_, kProperty, this);
    listProcedure_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DemoTips::ListProcedure)));
}

void DemoTips::Detach() {
    if (!list_) return;
    if (IsWindow(list_)) {
        SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProcedure_));
        RemovePropW(list_, kProperty);
    }
    list_ = nullptr;
}

LRESULT CALLBACK DemoTips::ListProcedure(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<DemoTips*>(GetPropW(list, kProperty));
    if (!self) return DefWindowProcW(list, msg, wParam, lParam);
    const WNDPROC next = self->listProcedure_;
    LRESULT result = 0;
    bool handled = false;
    if (!ui::Ended()) ui::Guarded([&] { handled = self->ListMessage(msg, wParam, lParam, result); });
    if (msg == WM_NCDESTROY) self->Detach();
    return handled ? result : CallWindowProcW(next, list, msg, wParam, lParam);
}

bool DemoTips::ListMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        MouseMessage(msg, wParam, lParam);
        return false;
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
        // Other entries come under the mouse: the tip shown is not theirs.
        entry_ = -1;
        if (tooltip_) SendMessageW(tooltip_, TTM_POP, 0, 0);
        return false;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (!tooltip_ || header->hwndFrom != tooltip_) return false;
        Notified(*header);
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

void DemoTips::MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!tooltip_ && !tried_) CreateTooltip();
    if (!tooltip_) return;
    if (msg == WM_MOUSEMOVE) {
        const int entry = EntryAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (entry != entry_) {
            // The tooltip sees one tool, the list: the tip of the last entry
            // goes, and the tooltip, still over its tool, shows the tip again
            // after its delay, asking for the text anew.
            entry_ = entry;
            SendMessageW(tooltip_, TTM_POP, 0, 0);
        }
    }
    MSG relayed{list_, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
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
    tool.hwnd = list_; // which gets the tooltip's notifications
    tool.uId = reinterpret_cast<UINT_PTR>(list_);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    FitToDpi();
}

void DemoTips::FitToDpi() {
    const int dpi = ui::DpiForWindow(list_);
    if (dpi == fontDpi_) return;
    HFONT font = TipFont(dpi);
    if (!font) return;
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // Lines break at "\r\n" only with a width set.
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(kMaxTipWidth, dpi, 96));
    if (font_) DeleteObject(font_);
    font_ = font;
    fontDpi_ = dpi;
}

int DemoTips::EntryAt(POINT point) const {
    RECT client{};
    GetClientRect(list_, &client);
    if (!PtInRect(&client, point)) return -1;
    // The lists' entries are all of one height.
    const LRESULT height = SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0);
    if (height <= 0) return -1;
    const LRESULT entry = SendMessageW(list_, LB_GETTOPINDEX, 0, 0) + point.y / height;
    return entry < SendMessageW(list_, LB_GETCOUNT, 0, 0) ? static_cast<int>(entry) : -1;
}
