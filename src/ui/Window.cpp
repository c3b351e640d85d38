#include "ui/Window.h"

#include "ui/Host.h"
#include "ui/SystemFunction.h"

#include <algorithm>
#include <set>
#include <utility>

namespace ui {
namespace {

constexpr int kFirstControlId = 100; // clear of IDOK and IDCANCEL: Enter and Escape do nothing

template <class Fn>
Fn UserProc(const char* name) {
    return SystemFunction<Fn>(L"user32.dll", name);
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// The classic 8-point dialog font ("MS Shell Dlg 2", Tahoma) at the window's
// DPI: the layouts are drawn for its metrics, and with the larger message
// font of newer systems some captions would not fit their buttons. The size
// is in half points and scaled from points, as dialogs scale it: 8 pt is
// 11 pixels at 96 DPI and 16 (not 11 x 1.5 rounded up to 17) at 144.
HFONT CreateDialogFont(int dpi, int halfPoints = 16) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(halfPoints, dpi, 144);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    wcscpy_s(font.lfFaceName, L"MS Shell Dlg 2");
    HFONT created = CreateFontIndirectW(&font);
    return created ? created : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

SIZE OuterSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
    RECT rect{0, 0, clientWidth, clientHeight};
    static const auto adjust = UserProc<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    if (!adjust || !adjust(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

std::vector<void (*)()>& Resets() {
    static std::vector<void (*)()> resets;
    return resets;
}

} // namespace

int DpiForWindow(HWND hwnd) {
    static const auto forWindow = UserProc<GetDpiForWindowFn>("GetDpiForWindow");
    if (forWindow && hwnd) {
        UINT dpi = forWindow(hwnd);
        if (dpi != 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

// ---- Timer ---------------------------------------------------------------

Timer::Timer(Window& owner, Handler onTimer) : owner_(owner), onTimer_(std::move(onTimer)), id_(owner.nextTimerId_++) {
    owner_.timers_.push_back(this);
}

void Timer::SetInterval(UINT milliseconds) {
    interval_ = milliseconds;
    Apply();
}

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Apply();
}

void Timer::Apply() {
    HWND hwnd = owner_.hwnd_;
    if (!hwnd) return;
    if (enabled_ && interval_ != 0) SetTimer(hwnd, id_, interval_, nullptr);
    else KillTimer(hwnd, id_);
}

// ---- Window --------------------------------------------------------------

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (font_) DeleteObject(font_);
    if (smallFont_) DeleteObject(smallFont_);
}

void Window::Show() {
    if (!hwnd_) {
        Create();
        if (!hwnd_) return;
    }
    ShowWindow(hwnd_, SW_SHOW);
}

void Window::Hide() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

bool Window::IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void Window::SetEnabled(bool enabled) {
    if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Window::IsEnabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

namespace {

bool RegisterFormClass(const wchar_t* className, WNDPROC procedure) {
    static std::set<std::wstring> registered;
    if (registered.contains(className)) return true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc)) return false;
    registered.insert(className);
    return true;
}

// Centred on the primary monitor's work area.
void Centre(HWND hwnd, SIZE size) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    int x = work.left + ((work.right - work.left) - size.cx) / 2;
    int y = work.top + ((work.bottom - work.top) - size.cy) / 2;
    SetWindowPos(hwnd, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void Window::Create() {
    const WindowDef& def = definition_;
    if (!RegisterFormClass(def.className, &Window::Procedure)) {
        Fail(L"Could not register the window class " + std::wstring(def.className) + L": " +
             SystemReason(GetLastError()));
        return;
    }
    HWND hwnd = CreateWindowExW(def.exStyle | WS_EX_CONTROLPARENT, def.className, def.caption.c_str(), def.style, 0, 0,
                                0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd) {
        hwnd_ = nullptr;
        Fail(L"Could not create the window \"" + def.caption + L"\": " + SystemReason(GetLastError()));
        return;
    }
    hwnd_ = hwnd;
    dpi_ = DpiForWindow(hwnd_);
    Centre(hwnd_, OuterSize(Scale(def.clientWidth), Scale(def.clientHeight), def.style, def.exStyle, dpi_));
    if (!CreateControls()) {
        Fail(L"Could not create a control of the window \"" + def.caption + L"\": " + SystemReason(GetLastError()));
        return;
    }
    ApplyLayout();
    for (Timer* timer : timers_) timer->Apply();
    Form_Load();
    FocusFirstControl();
}

bool Window::CreateControls() {
    controls_ = Layout();
    std::stable_sort(controls_.begin(), controls_.end(),
                     [](const ControlDef& a, const ControlDef& b) { return a.tabIndex < b.tabIndex; });
    int id = kFirstControlId;
    for (ControlDef& control : controls_) {
        *control.handle = CreateWindowExW(control.exStyle, control.className, control.text.c_str(),
                                          WS_CHILD | WS_VISIBLE | control.style, 0, 0, 0, 0, hwnd_,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)),
                                          GetModuleHandleW(nullptr), nullptr);
        if (!*control.handle) return false;
    }
    return true;
}

void Window::ApplyLayout() {
    HFONT font = CreateDialogFont(dpi_);
    HFONT smallFont = CreateDialogFont(dpi_, 15); // 7.5 pt
    for (const ControlDef& control : controls_) {
        const Rect96& r = control.rect;
        SetWindowPos(*control.handle, nullptr, Scale(r.left), Scale(r.top), Scale(r.width), Scale(r.height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        HFONT chosen = (control.flags & kSmallText) ? smallFont : font;
        SendMessageW(*control.handle, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
    }
    if (font_) DeleteObject(font_);
    if (smallFont_) DeleteObject(smallFont_);
    font_ = font;
    smallFont_ = smallFont;
}

void Window::FocusFirstControl() {
    for (const ControlDef& control : controls_) {
        if (GetWindowLongW(*control.handle, GWL_STYLE) & WS_TABSTOP) {
            lastFocus_ = *control.handle;
            return;
        }
    }
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<Window*>(create->lpCreateParams)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // Once the program has ended, no event of any window runs.
    if (!self || Ended()) return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    Guarded([&] { result = self->Dispatch(msg, wParam, lParam); });
    return result;
}

LRESULT Window::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandleMessage(msg, wParam, lParam, result)) return result;

    switch (msg) {
    case WM_COMMAND:
        if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) Clicked(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_TIMER:
        for (Timer* timer : timers_)
            if (timer->id_ == static_cast<UINT_PTR>(wParam) && timer->onTimer_) timer->onTimer_();
        return 0;
    case WM_CLOSE:
        Form_Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        } else if (lastFocus_ && IsWindow(lastFocus_)) {
            SetFocus(lastFocus_);
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        if (LRESULT brush = LabelColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) return brush;
        break;
    case WM_DPICHANGED:
        MovedToDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void Window::Clicked(HWND control) {
    for (const ControlDef& def : controls_) {
        if (*def.handle == control && def.onClick) {
            def.onClick();
            return;
        }
    }
}

// The grey text of the labels that ask for it; 0 for the others.
LRESULT Window::LabelColours(HWND control, HDC dc) {
    for (const ControlDef& def : controls_) {
        if (*def.handle == control && (def.flags & kGreyText)) {
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
    }
    return 0;
}

void Window::MovedToDpi(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyLayout();
    DpiChanged();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

ControlDef Button(HWND* handle, std::wstring caption, Rect96 rect, int tabIndex, Handler onClick) {
    return {handle, L"BUTTON", std::move(caption), rect, tabIndex, BS_PUSHBUTTON | WS_TABSTOP,
            0,      0,         std::move(onClick)};
}

ControlDef CheckBox(HWND* handle, std::wstring caption, Rect96 rect, int tabIndex, Handler onClick) {
    return {handle, L"BUTTON", std::move(caption), rect, tabIndex, BS_AUTOCHECKBOX | WS_TABSTOP,
            0,      0,         std::move(onClick)};
}

ControlDef Label(HWND* handle, std::wstring caption, Rect96 rect, int tabIndex, DWORD style, unsigned flags) {
    return {handle, L"STATIC", std::move(caption), rect, tabIndex, style | SS_NOPREFIX, 0, flags};
}

ControlDef TextBox(HWND* handle, Rect96 rect, int tabIndex) {
    return {handle, L"EDIT", L"", rect, tabIndex, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
}

ControlDef ListBox(HWND* handle, Rect96 rect, int tabIndex, DWORD style) {
    constexpr DWORD kList = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
    return {handle, L"LISTBOX", L"", rect, tabIndex, kList | style, WS_EX_CLIENTEDGE};
}

// ---- Instances -----------------------------------------------------------

void RegisterReset(void (*reset)()) {
    auto& resets = Resets();
    if (std::find(resets.begin(), resets.end(), reset) == resets.end()) resets.push_back(reset);
}

void ResetAllWindows() {
    for (auto reset : Resets()) reset();
}

// ---- Control helpers -----------------------------------------------------

std::wstring GetText(HWND control) {
    int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void SetText(HWND control, const std::wstring& text) {
    if (GetText(control) != text) SetWindowTextW(control, text.c_str());
}

std::wstring ListText(HWND listBox, int index) {
    LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

std::int16_t GetCheck(HWND checkBox) { return SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; }

void SetCheck(HWND checkBox, std::int16_t value) {
    SendMessageW(checkBox, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

} // namespace ui
