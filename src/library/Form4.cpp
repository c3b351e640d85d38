#include "library/Form4.h"

#include "library/Form5.h"
#include "library/Form6.h"
#include "library/ListDemos.h"
#include "options/Form1.h"
#include "options/Form3.h"
#include "startup/MainModule.h"
#include "ui/Host.h"

using namespace MainModule;

ui::WindowDef Form4::Definition() const {
    return {L"Tarvendel.Form4", L"Vornak's Tarvendel", 353, 322, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0};
}

std::vector<ui::ControlDef> Form4::Layout() {
    constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
    return {
        {&DemoList, L"LISTBOX", L"", {8, 8, 337, 225}, 7,
         WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS, WS_EX_CLIENTEDGE},
        {&BPlay, L"BUTTON", L"Play selected demo", {8, 240, 113, 25}, 0, kButton},
        {&BRename, L"BUTTON", L"Rename selected", {128, 240, 105, 25}, 1, kButton},
        {&BAutorename, L"BUTTON", L"Auto-Rename", {240, 240, 105, 25}, 2, kButton},
        {&BConfig, L"BUTTON", L"Configure selected", {8, 272, 113, 25}, 3, kButton},
        {&BDelete, L"BUTTON", L"Delete selected", {128, 272, 105, 25}, 4, kButton},
        {&BSettings, L"BUTTON", L"Settings", {240, 272, 49, 25}, 5, kButton},
        {&BCancel, L"BUTTON", L"Quit", {296, 272, 49, 25}, 6, kButton},
        {&Label1, L"STATIC", L"AboutText", {8, 304, 345, 17}, 8, SS_CENTER | SS_NOPREFIX, 0, ui::kGreyText},
    };
}

void Form4::Form_Load() {
    FileTimer.SetInterval(100);
    FileTimer.SetEnabled(false);
    ui::SetText(Label1, TitleText);
    RefreshDemoList();
}

void Form4::ListDemos(const std::wstring& folder, const std::wstring& extension) {
    ::ListDemos(DemoList, folder, extension);
}

void Form4::RefreshDemoList() {
    LRESULT selected = SendMessageW(DemoList, LB_GETCURSEL, 0, 0);
    LRESULT top = SendMessageW(DemoList, LB_GETTOPINDEX, 0, 0);
    SendMessageW(DemoList, LB_RESETCONTENT, 0, 0);
    ListDemos(SoldatPath + L"\\Demos\\", L"sdm");
    // Past the end of the re-read list, the last entry takes the selection.
    LRESULT count = SendMessageW(DemoList, LB_GETCOUNT, 0, 0);
    if (selected >= count) selected = count - 1;
    SendMessageW(DemoList, LB_SETTOPINDEX, static_cast<WPARAM>(top < count ? top : 0), 0);
    SendMessageW(DemoList, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int Form4::Selected() const { return static_cast<int>(SendMessageW(DemoList, LB_GETCURSEL, 0, 0)); }

std::wstring Form4::EntryText(int index) const { return ui::ListText(DemoList, index); }

std::wstring Form4::DemoPath(const std::wstring& entry) const { return SoldatPath + L"\\Demos\\" + entry + L".sdm"; }

int Form4::SelectionOrAsk() const {
    int selected = Selected();
    if (selected < 0) ui::InfoBox(L"Please select a demo file!");
    return selected;
}

void Form4::BPlay_Click() {
    int selected = SelectionOrAsk();
    if (selected < 0) return;
    Flag started = PlayDemo(DemoPath(EntryText(selected)));
    if (ui::ProgramEnded()) return;
    ui::EndProgram(started == True ? ui::kExitOk : ui::kExitError);
}

void Form4::BConfig_Click() {
    int selected = SelectionOrAsk();
    if (selected < 0) return;
    DemoFile = DemoPath(EntryText(selected));
    Form1::Get().Show();
    FromLibrary = True;
    Hide();
}

void Form4::BRename_Click() {
    int selected = SelectionOrAsk();
    if (selected < 0) return;
    RenameName = EntryText(selected);
    Form5::Get().Show();
    SetEnabled(false);
    FileTimer.SetEnabled(true);
}

void Form4::BDelete_Click() {
    int selected = SelectionOrAsk();
    if (selected < 0) return;
    std::wstring entry = EntryText(selected);
    if (!ui::AskYesNo(L"Do you really want to delete '" + entry + L"'?")) return;
    std::wstring path = DemoPath(entry);
    if (!DeleteFileW(path.c_str())) {
        DWORD error = GetLastError();
        // Gone already is what the user wanted; anything else is said.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            ui::ErrorBox(L"Could not delete the demo '" + path + L"': " + ui::SystemReason(error));
    } else if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Reported as deleted, yet still there: another program holds it open
        // (it goes when that program lets go of it), or the folder keeps it.
        ui::ErrorBox(L"The demo '" + path + L"' is still there, although Windows reported it as deleted. "
                     L"Another program may hold it open: it goes when that program lets go of it.");
    }
    RefreshDemoList();
}

void Form4::BAutorename_Click() {
    Form6::Get().Show();
    SetEnabled(false);
    FileTimer.SetEnabled(true);
}

void Form4::BSettings_Click() {
    Form3::Get().Show();
    SetEnabled(false);
}

void Form4::BCancel_Click() { ui::EndProgram(); }

void Form4::Form_Close() { ui::EndProgram(); }

void Form4::FileTimer_Timer() {
    if (!IsEnabled()) return;
    RefreshDemoList();
    FileTimer.SetEnabled(false);
}

void Form4::Command(HWND control, WORD notification) {
    if (notification != BN_CLICKED || control == DemoList) return;
    if (control == BPlay) BPlay_Click();
    else if (control == BConfig) BConfig_Click();
    else if (control == BRename) BRename_Click();
    else if (control == BDelete) BDelete_Click();
    else if (control == BAutorename) BAutorename_Click();
    else if (control == BSettings) BSettings_Click();
    else if (control == BCancel) BCancel_Click();
}

void Form4::TimerTick(UINT_PTR id) {
    if (id == FileTimer.Id()) FileTimer_Timer();
}
