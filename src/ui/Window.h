// What every window stands on: one registered class per form, controls built
// from a table of 96-DPI rectangles and scaled to the monitor's DPI, one font
// for all controls, window timers, and a window procedure that hands events
// to the form's handlers and lets no exception through.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

struct Rect96 {
    int left, top, width, height;
};

enum ControlFlags : unsigned {
    kGreyText = 1u,   // a label drawn in the system's grey-text colour
    kSmallText = 2u,  // a long label in a slightly smaller font, so that it fits its lines
};

struct ControlDef {
    HWND* handle;             // the form's member that receives the control
    const wchar_t* className;
    std::wstring text;
    Rect96 rect;              // client pixels at 96 DPI
    int tabIndex;             // controls are created (and tabbed) in this order
    DWORD style;              // added to WS_CHILD | WS_VISIBLE
    DWORD exStyle = 0;
    unsigned flags = 0;
};

struct WindowDef {
    const wchar_t* className;
    std::wstring caption;
    int clientWidth, clientHeight;   // at 96 DPI
    DWORD style;
    DWORD exStyle;
};

class Window;

// A window timer in the manner of a classic form timer: it fires every
// Interval milliseconds while it is enabled and the interval is not 0.
class Timer {
public:
    explicit Timer(Window& owner);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void SetInterval(UINT milliseconds);
    void SetEnabled(bool enabled);
    UINT Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }
    UINT_PTR Id() const { return id_; }
    // Arms or disarms the platform timer to match Interval and Enabled.
    void Apply();

private:
    Window& owner_;
    UINT_PTR id_;
    UINT interval_ = 0;
    bool enabled_ = true;
};

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Creates the window and runs its Load step the first time; afterwards
    // only makes it visible again.
    void Show();
    void Hide();
    // Whether the window is shown; a window that was never created is not.
    bool IsVisible() const;
    bool IsLoaded() const { return hwnd_ != nullptr; }
    void SetEnabled(bool enabled);
    bool IsEnabled() const;
    HWND Hwnd() const { return hwnd_; }
    int Dpi() const { return dpi_; }
    int Scale(int pixels96) const { return MulDiv(pixels96, dpi_, 96); }

protected:
    virtual WindowDef Definition() const = 0;
    virtual std::vector<ControlDef> Layout() = 0;
    virtual void Form_Load() {}
    virtual void Command(HWND /*control*/, WORD /*notification*/) {}
    virtual void TimerTick(UINT_PTR /*id*/) {}
    // The title-bar close box or Alt+F4; by default the window stays.
    virtual void Form_Close() {}
    // Messages a form wants beyond the above; return true when handled.
    virtual bool HandleMessage(UINT /*msg*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }
    virtual int ShowCommand() const { return SW_SHOW; }
    virtual void DpiChanged() {}

private:
    friend class Timer;
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void Create();
    void ApplyLayout();
    void FocusFirstControl();

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
