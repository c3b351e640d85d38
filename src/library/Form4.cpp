#include "library/Form4.h"

#include "library/Form5.h"
#include "library/Form6.h"
#include "library/ListDemos.h"
#include "options/Form1.h"
#include "options/Form3.h"
#include "startup/Files.h"
#include "startup/Launcher.h"
#include "startup/MainModule.h"
#include "ui/Host.h"

#include <algorithm>

using namespace MainModule;

namespace {

// Whether a deleted demo's name is still listed after a second look. Where a
// delete waits for every program that has the file open (Windows before 10
// 1903, FAT drives, network shares), a search indexer or a virus scanner that
// opened it a moment before keeps the name listed for some milliseconds: a
// name gone within about 200 ms needs no word. Meanwhile the window repaints
// and answers what other programs send it; a click waits until the look is
// over, so that no command of the library runs in the middle of this one.
bool StillListed(const std::wstring& path) {
    constexpr ULONGLONG kLook = 200; // ms
    const ULONGLONG deadline = GetTickCount64() + kLook;
    for (;;) {
        if (!Listed(path)) return false;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                  QS_PAINT | QS_SENDMESSAGE);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE))
            DispatchMessageW(&message);
    }
}

} // namespace

Form4::Form4()
    : Window({L"Tarvendel.Form4", L"Vornak's Tarvendel", 353, 322, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0}) {}

std::vector<ui::ControlDef> Form4::Layout() {
    return {
        ui::ListBox(&DemoList, {8, 8, 337, 225}, 7),
        ui::Button(&BPlay, L"Play selected demo", {8, 240, 113, 25}, 0, [this] { BPlay_Click(); }),
        ui::Button(&BRename, L"Rename selected", {128, 240, 105, 25}, 1, [this] { BRename_Click(); }),
        ui::Button(&BAutorename, L"Auto-Rename", {240, 240, 105, 25}, 2, [this] { BAutorename_Click(); }),
        ui::Button(&BConfig, L"Configure selected", {8, 272, 113, 25}, 3, [this] { BConfig_Click(); }),
        ui::Button(&BDelete, L"Delete selected", {128, 272, 105, 25}, 4, [this] { BDelete_Click(); }),
        ui::Button(&BSettings, L"Settings", {240, 272, 49, 25}, 5, [this] { BSettings_Click(); }),
        ui::Button(&BCancel, L"Quit", {296, 272, 49, 25}, 6, [this] { BCancel_Click(); }),
        ui::Label(&Label1, L"AboutText", {8, 304, 345, 17}, 8, SS_CENTER, ui::kGreyText),
    };
}

void Form4::Form_Load() {
    FileTimer.SetInterval(100);
    FileTimer.SetEnabled(false);
    ui::SetText(Label1, TitleText);
    RefreshDemoList();
    Tips.Attach(*this, DemoList, [this](int entry) { return DemoPath(EntryText(entry)); });
}

bool Form4::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return Tips.Handle(msg, wParam, lParam, result);
}

void Form4::ListDemos(const std::wstring& folder, const std::wstring& extension) {
    ::ListDemos(DemoList, folder, extension);
}

void Form4::RefreshDemoList() {
    LRESULT selected = SendMessageW(DemoList, LB_GETCURSEL, 0, 0);
    LRESULT top = SendMessageW(DemoList, LB_GETTOPINDEX, 0, 0);
    SendMessageW(DemoList, LB_RESETCONTENT, 0, 0);
    ListDemos(DemoFolder(), L"sdm");
    // Past the end of the re-read list, the last entry takes the selection.
    LRESULT count = SendMessageW(DemoList, LB_GETCOUNT, 0, 0);
    if (selected >= count) selected = count - 1;
    SendMessageW(DemoList, LB_SETTOPINDEX, static_cast<WPARAM>(top < count ? top : 0), 0);
    SendMessageW(DemoList, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int Form4::Selected() const { return static_cast<int>(SendMessageW(DemoList, LB_GETCURSEL, 0, 0)); }

std::wstring Form4::EntryText(int index) const { return ui::ListText(DemoList, index); }

int Form4::SelectionOrAsk() const {
    int selected = Selected();
    if (selected < 0) ui::InfoBox(L"Please select a demo file!");
    return selected;
}

void Form4::BPlay_Click() {
    int selected = SelectionOrAsk();
    if (selected < 0) return;
    // Ended whatever the launch did; a missing demo has ended the program
    // already, with its own exit code.
    Flag started = PlayDemo(DemoPath(EntryText(selected)));
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
    } else if (StillListed(path)) {
        // Deleted, yet still in the folder: another program keeps it open. Where
        // the file waits for that program as delete-pending (Windows before 10
        // 1903, FAT drives, network shares) it can no longer be opened or
        // read; elsewhere it may stay whole until then.
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            ui::ErrorBox(L"The demo '" + path +
                         L"' is deleted as soon as the program that has it open lets go of it. "
                         L"Until then it stays in the list.");
        else
            ui::ErrorBox(L"The demo '" + path +
                         L"' is still there, although Windows reported it as deleted. "
                         L"Another program may have it open: it stays in the list until that program lets go of it.");
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
