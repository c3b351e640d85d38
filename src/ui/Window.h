// What every window stands on: one registered class per form, controls built
// from a table of 96-DPI rectangles and scaled to the monitor's DPI, one font
// for all controls, window timers, and a window procedure that hands each
// click and tick to the handler its control or timer names, and lets no
// exception through.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ui {

struct Rect96 {
    int left, top, width, height;
};

enum ControlFlags : unsigned {
    kGreyText = 1u,  // a label drawn in the system's grey-text colour
    kSmallText = 2u, // a long label in a slightly smaller font, so that it fits its lines
};

using Handler = std::function<void()>;

struct ControlDef {
    HWND* handle; // the form's member that receives the control
    const wchar_t* className;
    std::wstring text;
    Rect96 rect;  // client pixels at 96 DPI
    int tabIndex; // controls are created (and tabbed) in this order
    DWORD style;  // added to WS_CHILD | WS_VISIBLE
    DWORD exStyle = 0;
    unsigned flags = 0;
    Handler onClick = {}; // a button's or check box's Click
};

// The kinds of controls the windows are made of.
ControlDef Button(HWND* handle, std::wstring caption, Rect96 rect, int tabIndex, Handler onClick);
ControlDef CheckBox(HWND* handle, std::wstring caption, Rect96 rect, int tabIndex, Handler onClick);
// A one-line label (SS_LEFTNOWORDWRAP) unless a style is given.
ControlDef Label(HWND* handle, std::wstring caption, Rect96 rect, int tabIndex, DWORD style = SS_LEFTNOWORDWRAP,
                 unsigned flags = 0);
// A one-line text box that scrolls its text.
ControlDef TextBox(HWND* handle, Rect96 rect, int tabIndex);
// A list box with a scroll bar, in the order its entries are added; more
// styles (LBS_MULTIPLESEL...) may be given.
ControlDef ListBox(HWND* handle, Rect96 rect, int tabIndex, DWORD style = 0);

struct WindowDef {
    const wchar_t* className;
    std::wstring caption;
    int clientWidth, clientHeight; // at 96 DPI
    DWORD style;
    DWORD exStyle;
};

class Window;

// A window timer in the manner of a classic form timer: it runs its handler
// every interval (in milliseconds) while it is enabled and the interval is not 0.
class Timer {
public:
    Timer(Window& owner, Handler onTimer);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void SetInterval(UINT milliseconds);
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    // Arms or disarms the platform timer to match the interval and Enabled.
    void Apply();

private:
    friend class Window;
    Window& owner_;
    Handler onTimer_;
    UINT_PTR id_;
    UINT interval_ = 0;
    bool enabled_ = true;
};

class Window {
public:
    explicit Window(WindowDef definition) : definition_(std::move(definition)) {}
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Creates the window and runs its Load step the first time; afterwards
    // only makes it visible again.
    void Show();
    void Hide();
    // Whether the window is shown; a window that was never created is not.
    bool IsVisible() const;
    void SetEnabled(bool enabled);
    bool IsEnabled() const;
    HWND Hwnd() const { return hwnd_; }
    int Dpi() const { return dpi_; }
    int Scale(int pixels96) const { return MulDiv(pixels96, dpi_, 96); }

protected:
    virtual std::vector<ControlDef> Layout() = 0;
    virtual void Form_Load() {}
    // The title-bar close box or Alt+F4; by default the window stays.
    virtual void Form_Close() {}
    // Messages a form wants beyond the above; return true when handled.
    virtual bool HandleMessage(UINT /*msg*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }
    virtual void DpiChanged() {}

private:
    friend class Timer;
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void Clicked(HWND control);
    LRESULT LabelColours(HWND control, HDC dc);
    void MovedToDpi(int dpi, const RECT& suggested);
    void Create();
    bool CreateControls();
    void ApplyLayout();
    void FocusFirstControl();

    const WindowDef definition_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    HFONT smallFont_ = nullptr;
    int dpi_ = 96;
    std::vector<ControlDef> controls_;
    std::vector<Timer*> timers_;
    HWND lastFocus_ = nullptr;
    UINT_PTR nextTimerId_ = 1;
};

// One shared instance per form, created on first use; the tests drop them all
// between cases.
void RegisterReset(void (*reset)());
void ResetAllWindows();

template <class Form>
class SingleInstance {
public:
    static Form& Get() {
        if (!instance_) {
            instance_ = new Form();
            RegisterReset(&Reset);
        }
        return *instance_;
    }
    // The instance if it exists; asking creates nothing.
    static Form* Existing() { return instance_; }
    static void Reset() {
        delete instance_;
        instance_ = nullptr;
    }

private:
    static inline Form* instance_ = nullptr;
};

// Small control helpers.
std::wstring GetText(HWND control);
// Sets a control's text unless it already reads so: the timers set the same
// text over and over, and an unchanged text is not redrawn.
void SetText(HWND control, const std::wstring& text);
// The text of a list box entry; empty for a position the list does not have.
std::wstring ListText(HWND listBox, int index);
// A check box's state, 0 (clear) or 1 (ticked); any other value shows ticked.
std::int16_t GetCheck(HWND checkBox);
void SetCheck(HWND checkBox, std::int16_t value);

// The program's message loop, until WM_QUIT: Tab and the arrow keys move
// between controls as in a dialog.
int RunMessageLoop();

// The DPI of a window, falling back to the system's where the per-window
// query is missing (before Windows 10).
int DpiForWindow(HWND hwnd);

} // namespace ui
