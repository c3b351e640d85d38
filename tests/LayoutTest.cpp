// The windows' layouts, apart from what the windows do: one test per window
// checks its font, frame, client area, every control's place at 96 and at 144
// DPI, the tab order, the focus it opens with and that every caption fits.
#include "library/Form4.h"
#include "library/Form5.h"
#include "library/Form6.h"
#include "options/Form1.h"
#include "options/Form3.h"
#include "startup/Config.h"
#include "startup/Form2.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

using namespace test;

namespace {

struct Control {
    HWND handle;
    const wchar_t* text; // nullptr: set at load, checked by the window's own tests
    ui::Rect96 rect;
};

struct Frame {
    const wchar_t* caption;
    int clientWidth, clientHeight; // at 96 DPI
    bool closeBox;
    bool toolWindow = false;
};

RECT RectIn(HWND parent, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The client area and every control where the layout puts them at the
// window's present DPI, and every caption within its control.
void ExpectPlaces(ui::Window& form, const Frame& frame, const std::vector<Control>& controls) {
    SCOPED_TRACE("at " + std::to_string(form.Dpi()) + " DPI");
    RECT client;
    GetClientRect(form.Hwnd(), &client);
    EXPECT_EQ(client.right, form.Scale(frame.clientWidth));
    EXPECT_EQ(client.bottom, form.Scale(frame.clientHeight));
    for (const Control& control : controls) {
        RECT rect = RectIn(form.Hwnd(), control.handle);
        const ui::Rect96& want = control.rect;
        EXPECT_EQ(rect.left, form.Scale(want.left)) << Narrow(TextOf(control.handle));
        EXPECT_EQ(rect.top, form.Scale(want.top)) << Narrow(TextOf(control.handle));
        EXPECT_EQ(rect.right - rect.left, form.Scale(want.width)) << Narrow(TextOf(control.handle));
        EXPECT_EQ(rect.bottom - rect.top, form.Scale(want.height)) << Narrow(TextOf(control.handle));
    }
    EXPECT_EQ(CaptionsThatDoNotFit(form.Hwnd(), form.Dpi()), std::vector<std::wstring>{});
}

// A shown window against its layout, `controls` in tab order; then the same
// after the window was moved to a monitor of 144 DPI.
void ExpectLayout(ui::Window& form, const Frame& frame, const std::vector<Control>& controls, HWND focus) {
    HWND hwnd = form.Hwnd();
    ASSERT_TRUE(form.IsVisible());
    // The layouts are measured against Tahoma, the dialog font; any other
    // font makes the caption checks meaningless.
    ASSERT_EQ(FontFamilyOf(controls.front().handle), L"Tahoma")
        << "the dialog font is not Tahoma: Wine's fonts are missing (tools/test copies them into the prefix)";

    EXPECT_EQ(TextOf(hwnd), frame.caption);
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    EXPECT_EQ((style & WS_SYSMENU) != 0, frame.closeBox);
    EXPECT_EQ((GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0, frame.toolWindow);

    // Tab order is creation order: the children in their z-order.
    std::vector<HWND> order, expected;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) order.push_back(child);
    for (const Control& control : controls) {
        expected.push_back(control.handle);
        if (control.text) {
            EXPECT_EQ(TextOf(control.handle), control.text);
        }
        EXPECT_TRUE(IsWindowEnabled(control.handle)) << Narrow(TextOf(control.handle));
    }
    EXPECT_EQ(order, expected);
    EXPECT_EQ(GetFocus(), focus);

    ExpectPlaces(form, frame, controls);

    RECT outer, client;
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    RECT suggested{outer.left, outer.top, outer.right + MulDiv(frame.clientWidth, 144, 96) - client.right,
                   outer.bottom + MulDiv(frame.clientHeight, 144, 96) - client.bottom};
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ASSERT_EQ(form.Dpi(), 144);
    ExpectPlaces(form, frame, controls);
}

class LayoutTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Config::DefSpeed = 100;
        WriteBytes(game->Demo(L"final round.sdm"), "demo");
    }
};

TEST_F(LayoutTest, PlayOptionsWindow) {
    MainModule::DemoFile = game->Demo(L"final round.sdm");
    Form1& form = Form1::Get();
    form.Show();
    ExpectLayout(form, {L"Vornak's Tarvendel", 297, 193, true},
                 {
                     {form.BPlay, L"Play demo", {8, 160, 153, 25}},
                     {form.BCancel, L"Cancel", {232, 160, 57, 25}},
                     {form.Speed, L"", {8, 56, 281, 25}},
                     {form.Label1, nullptr, {8, 8, 281, 17}},
                     {form.Label2, L"Play speed:", {8, 32, 73, 17}},
                     {form.SpeedT, L"100%", {224, 32, 57, 19}},
                     {form.CFreeCam, L"Free camera", {24, 96, 257, 17}},
                     {form.CNoText, L"No text, no menus, no cursor", {24, 112, 257, 17}},
                     {form.CExtractDemo, L"Extract the demo file", {24, 128, 257, 17}},
                     {form.BSettings, L"Settings", {168, 160, 57, 25}},
                 },
                 form.BPlay);
}

TEST_F(LayoutTest, SettingsWindow) {
    Form3& form = Form3::Get();
    form.Show();
    // "Soldat path:" reaches to the path box (63 wide, not 57), so that it
    // never wraps where the font runs a little wider.
    ExpectLayout(form, {L"Vornak's Tarvendel: Settings", 345, 209, false},
                 {
                     {form.Label1, L"Soldat path:", {8, 16, 63, 17}},
                     {form.TSoldatPath, nullptr, {72, 16, 233, 19}},
                     {form.Browse, L"...", {312, 16, 25, 17}},
                     {form.CFreeCam, L"Default \"Free camera\"", {24, 48, 305, 17}},
                     {form.CNoText, L"Default \"No text, no menus, no cursor\"", {24, 64, 305, 17}},
                     {form.CExtractDemo, L"Default \"Extract the demo file\"", {24, 80, 305, 17}},
                     {form.Label2, L"Default play speed:", {24, 120, 121, 17}},
                     {form.Speed, L"", {16, 144, 313, 25}},
                     {form.SpeedT, L"100%", {272, 120, 57, 19}},
                     {form.BSave, L"Save configuration", {8, 176, 217, 25}},
                     {form.BCancel, L"Cancel", {232, 176, 105, 25}},
                 },
                 form.TSoldatPath);
}

TEST_F(LayoutTest, LibraryWindow) {
    Form4& form = Form4::Get();
    form.Show();
    ExpectLayout(form, {L"Vornak's Tarvendel", 353, 322, true},
                 {
                     {form.BPlay, L"Play selected demo", {8, 240, 113, 25}},
                     {form.BRename, L"Rename selected", {128, 240, 105, 25}},
                     {form.BAutorename, L"Auto-Rename", {240, 240, 105, 25}},
                     {form.BConfig, L"Configure selected", {8, 272, 113, 25}},
                     {form.BDelete, L"Delete selected", {128, 272, 105, 25}},
                     {form.BSettings, L"Settings", {240, 272, 49, 25}},
                     {form.BCancel, L"Quit", {296, 272, 49, 25}},
                     {form.DemoList, L"", {8, 8, 337, 225}},
                     {form.Label1, nullptr, {8, 304, 345, 17}},
                 },
                 form.BPlay);
}

TEST_F(LayoutTest, RenameWindow) {
    Form4& library = Form4::Get();
    library.Show();
    SendMessageW(library.DemoList, LB_SETCURSEL, 0, 0);
    library.BRename_Click();
    Form5& form = Form5::Get();
    ExpectLayout(form, {L"Rename file:", 465, 40, false, true},
                 {
                     {form.TFileName, L"", {8, 8, 273, 25}},
                     {form.BRename, L"Rename", {288, 8, 81, 25}},
                     {form.BCancel, L"Cancel", {376, 8, 81, 25}},
                 },
                 form.TFileName);
}

TEST_F(LayoutTest, AutorenameWindow) {
    Form4& library = Form4::Get();
    library.Show();
    library.BAutorename_Click();
    Form6& form = Form6::Get();
    // "Rename the selected files" is 145 wide, not 137, so that its caption
    // is not cut; the label gives up 6 pixels (219, not 225) and the gap 2.
    ExpectLayout(form, {L"Vornak's Tarvendel - Autorename files", 410, 281, false},
                 {
                     {form.Label1,
                      L"The autorename function allows you to change the name of every demo to its creation date.",
                      {8, 248, 219, 33}},
                     {form.BRename, L"Rename the selected files", {232, 248, 145, 25}},
                     {form.DemoList, L"", {8, 8, 393, 229}},
                     {form.BCancel, L"X", {384, 248, 17, 25}},
                 },
                 form.BRename);
}

TEST_F(LayoutTest, SplashWindow) {
    // Not pumped: the fade never ticks here.
    Form2& splash = Form2::Get();
    splash.Show();
    HWND hwnd = splash.Hwnd();
    EXPECT_EQ(TextOf(hwnd), L"");
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0);
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, splash.Scale(305));
    EXPECT_EQ(client.bottom, splash.Scale(25));
}

} // namespace
