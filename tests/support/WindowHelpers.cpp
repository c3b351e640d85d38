// What the tests read off windows: classes, texts, list entries, captions
// that do not fit, fonts, and message boxes.
#include "support/Harness.h"

#include "ui/Window.h"

#include <cwchar>

#include <vector>

namespace test {

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring TextOf(HWND hwnd) { return ui::GetText(hwnd); }

std::vector<std::wstring> ListEntries(HWND listBox) {
    std::vector<std::wstring> entries;
    int count = static_cast<int>(SendMessageW(listBox, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) entries.push_back(ui::ListText(listBox, i));
    return entries;
}

namespace {
BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}
} // namespace

std::vector<std::wstring> CaptionsThatDoNotFit(HWND window, int dpi) {
    std::vector<HWND> children;
    EnumChildWindows(window, &CollectChild, reinterpret_cast<LPARAM>(&children));
    std::vector<std::wstring> tooWide;
    for (HWND child : children) {
        std::wstring className = ClassOf(child), text = TextOf(child);
        if (text.empty()) continue;
        LONG style = GetWindowLongW(child, GWL_STYLE);
        int room; // what the control's frame and box leave for the text
        if (_wcsicmp(className.c_str(), L"Button") == 0) {
            LONG type = style & BS_TYPEMASK;
            bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                       type == BS_AUTORADIOBUTTON;
            room = box ? MulDiv(18, dpi, 96) : MulDiv(6, dpi, 96);
        } else if (_wcsicmp(className.c_str(), L"Static") == 0) {
            room = (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? MulDiv(4, dpi, 96) : 0;
        } else {
            continue;
        }
        RECT rect;
        GetClientRect(child, &rect);
        HDC dc = GetDC(child);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        // A label of several lines wraps its words: its lines must fit its height.
        bool wraps = _wcsicmp(className.c_str(), L"Static") == 0 && rect.bottom >= 2 * extent.cy &&
                     (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
        RECT wrapped{0, 0, rect.right - room, 0};
        if (wraps)
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &wrapped,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        if (wraps ? wrapped.bottom > rect.bottom : extent.cx + room > rect.right) tooWide.push_back(text);
    }
    return tooWide;
}

std::wstring FontFamilyOf(HWND control) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    std::wstring family;
    if (UINT size = GetOutlineTextMetricsW(dc, 0, nullptr)) {
        std::vector<char> buffer(size);
        auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (GetOutlineTextMetricsW(dc, size, metrics))
            family = reinterpret_cast<const wchar_t*>(buffer.data() +
                                                      reinterpret_cast<size_t>(metrics->otmpFamilyName));
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return family;
}

std::wstring MessageBoxText(HWND box) {
    // The text of a standard message box is its static control 0xFFFF.
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? ui::GetText(text) : std::wstring();
}

void PressButton(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

} // namespace test
