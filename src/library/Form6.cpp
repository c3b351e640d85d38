#include "library/Form6.h"

#include "library/Form4.h"
#include "library/ListDemos.h"
#include "startup/Files.h"
#include "startup/MainModule.h"
#include "ui/Host.h"

using namespace MainModule;

// No control box: the window is left through its buttons only.
Form6::Form6()
    : Window({L"Tarvendel.Form6", L"Vornak's Tarvendel - Autorename files", 410, 281, WS_OVERLAPPED | WS_CAPTION, 0}) {}

std::vector<ui::ControlDef> Form6::Layout() {
    // The marks are the list box's own multiple selection (a click or Space
    // toggles one entry), drawn as check boxes.
    return {
        // The button is 145 wide, not 137, so that its caption is not cut in
        // the dialog font; the 8 pixels come from the label (219, not 225,
        // still two lines) and the gap between them.
        ui::Label(&Label1, L"The autorename function allows you to change the name of every demo to its creation date.",
                  {8, 248, 219, 33}, 0, SS_CENTER, ui::kSmallText),
        ui::Button(&BRename, L"Rename the selected files", {232, 248, 145, 25}, 1, [this] { BRename_Click(); }),
        ui::ListBox(&DemoList, {8, 8, 393, 229}, 2, LBS_MULTIPLESEL | LBS_OWNERDRAWFIXED),
        ui::Button(&BCancel, L"X", {384, 248, 17, 25}, 3, [this] { BCancel_Click(); }),
    };
}

void Form6::Form_Load() {
    DpiChanged();
    FillAutorenameList();
    Tips.Attach(*this, DemoList, [this](int entry) { return DemoPath(EntryText(entry)); });
}

void Form6::DpiChanged() { SendMessageW(DemoList, LB_SETITEMHEIGHT, 0, Scale(16)); }

void Form6::ListDemos(const std::wstring& folder, const std::wstring& extension) {
    ::ListDemos(DemoList, folder, extension);
}

int Form6::EntryCount() const { return static_cast<int>(SendMessageW(DemoList, LB_GETCOUNT, 0, 0)); }

std::wstring Form6::EntryText(int index) const { return ui::ListText(DemoList, index); }

bool Form6::IsMarked(int index) const { return SendMessageW(DemoList, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0; }

void Form6::SetMarked(int index, bool marked) { SendMessageW(DemoList, LB_SETSEL, marked ? TRUE : FALSE, index); }

void Form6::FillAutorenameList() {
    LRESULT current = SendMessageW(DemoList, LB_GETCARETINDEX, 0, 0);
    if (EntryCount() == 0) current = -1;
    SendMessageW(DemoList, LB_RESETCONTENT, 0, 0);
    ListDemos(DemoFolder(), L"sdm");
    RedrawOff quiet(DemoList);
    // Every demo is marked but the intros: entries whose first word is
    // exactly "intro". An empty entry (a file named ".sdm") is marked. All
    // are marked in one message (one per entry costs a third of a second for
    // 10,000), then the intros are cleared.
    const int count = EntryCount();
    if (count > 0) SendMessageW(DemoList, LB_SETSEL, TRUE, -1);
    for (int i = 0; i < count; ++i) {
        std::wstring entry = EntryText(i);
        if (entry.substr(0, entry.find(L' ')) == L"intro") SetMarked(i, false);
    }
    SendMessageW(DemoList, LB_SETTOPINDEX, 0, 0);
    if (current >= 0 && current < count) SendMessageW(DemoList, LB_SETCARETINDEX, static_cast<WPARAM>(current), FALSE);
}

std::wstring TimeName(const SYSTEMTIME& time) {
    return std::to_wstring(time.wYear) + L"-" + std::to_wstring(time.wMonth) + L"-" + std::to_wstring(time.wDay) +
           L"_" + std::to_wstring(time.wHour) + L"-" + std::to_wstring(time.wMinute) + L"-" +
           std::to_wstring(time.wSecond);
}

namespace {

// The demo's creation time in UTC, from the run's pass over the folder, or
// the reason it cannot be had.
bool CreationTime(const FolderTimes& times, const std::wstring& path, SYSTEMTIME& time, std::wstring& reason) {
    auto found = times.byName.find(FileNameOf(path));
    if (found == times.byName.end()) {
        reason = ui::SystemReason(times.missing);
        return false;
    }
    if (!FileTimeToSystemTime(&found->second, &time)) {
        reason = ui::SystemReason(GetLastError());
        return false;
    }
    return true;
}

// Whether a rename's error means that the target name is taken: a file or
// folder has it (the rename never replaces one), or, with "access denied", a
// deleted file that another program still holds (on Windows it stays listed
// until it is let go).
bool NameTaken(DWORD error, const std::wstring& target) {
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return true;
    return error == ERROR_ACCESS_DENIED && Listed(target);
}

// Renames without ever replacing; 0 or the system's error.
DWORD Rename(const std::wstring& from, const std::wstring& to) {
    return MoveFileW(from.c_str(), to.c_str()) ? 0 : GetLastError();
}

} // namespace

// A long run shows its progress in place of the description, repaints the
// windows as it goes and takes no input: its buttons and list are disabled
// until the end-of-run message has been answered.
class Form6::RunProgress {
public:
    RunProgress(Form6& form, int total) : form_(form), total_(total), description_(ui::GetText(form.Label1)) {
        SetControlsEnabled(false);
    }
    ~RunProgress() {
        ui::SetText(form_.Label1, description_);
        SetControlsEnabled(true);
    }
    RunProgress(const RunProgress&) = delete;
    RunProgress& operator=(const RunProgress&) = delete;

    // Before each demo: the count, shown for the first and the last and at
    // most every 100 ms between them.
    void Next() {
        ++done_;
        ULONGLONG now = GetTickCount64();
        if (done_ > 1 && done_ < total_ && now < nextShow_) return;
        nextShow_ = now + 100;
        ui::SetText(form_.Label1, L"Renaming " + Grouped(done_) + L" of " + Grouped(total_) + L"...");
        // Paint only: no click or timer of ours runs in the middle of the run.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) DispatchMessageW(&message);
    }

private:
    static std::wstring Grouped(int value) {
        std::wstring digits = std::to_wstring(value);
        for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
            digits.insert(static_cast<size_t>(at), L",");
        return digits;
    }
    void SetControlsEnabled(bool enabled) {
        for (HWND control : {form_.BRename, form_.BCancel, form_.DemoList}) EnableWindow(control, enabled);
    }

    Form6& form_;
    const int total_;
    const std::wstring description_;
    int done_ = 0;
    ULONGLONG nextShow_ = 0;
};

bool Form6::RenameToCreationTime(const std::wstring& old, const FolderTimes& times) {
    const std::wstring oldPath = DemoPath(old);
    // Never a name from a zero or stale time: a demo whose time cannot be
    // read keeps its name.
    SYSTEMTIME created{};
    std::wstring reason;
    if (!CreationTime(times, oldPath, created, reason)) {
        ui::ErrorBox(L"Could not read the creation time of '" + oldPath + L"': " + reason +
                     L"\r\nThe demo keeps its name.");
        return false;
    }

    // The rename itself finds out whether the name is taken, at the moment it
    // happens: it never replaces a file or folder. The demo's own name, in
    // any letter case, counts as taken too, although the platform lets a
    // file be renamed onto it.
    std::wstring target = TimeName(created);
    for (;;) {
        const std::wstring newPath = DemoPath(target);
        const bool own = CompareStringOrdinal(old.c_str(), -1, target.c_str(), -1, TRUE) == CSTR_EQUAL;
        const DWORD error = own ? ERROR_ALREADY_EXISTS : Rename(oldPath, newPath);
        if (!error) return true;
        if (!NameTaken(error, newPath)) {
            ui::ErrorBox(L"Could not rename '" + oldPath + L"' to '" + newPath + L"': " + ui::SystemReason(error));
            return false;
        }
        if (ui::AskYesNo(L"Error while renaming file '" + oldPath + L"' to '" + newPath + L"':\r\n" +
                         L"Target file already exists. Do you want to skip this file?"))
            return false;
        target += L'_';
        ui::ReportBox(L"New target file: '" + DemoPath(target) + L"'");
    }
}

void Form6::BRename_Click() {
    int renamed = 0;
    {
        const int count = EntryCount();
        RunProgress progress(*this, static_cast<int>(SendMessageW(DemoList, LB_GETSELCOUNT, 0, 0)));
        // Every demo's creation time from one pass over the folder.
        const FolderTimes times = CreationTimes(DemoFolder(), L"sdm");
        for (int i = 0; i < count; ++i) {
            if (!IsMarked(i)) continue;
            progress.Next();
            if (RenameToCreationTime(EntryText(i), times)) ++renamed;
        }
        ui::ReportBox(L"Successfully renamed " + std::to_wstring(renamed) + L" files!");
    }
    BCancel_Click();
}

void Form6::BCancel_Click() {
    Form4::Get().SetEnabled(true);
    Hide();
}

void Form6::DrawEntry(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT row = item.rcItem;
    FillRect(dc, &row, GetSysColorBrush(COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1)) {
        if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
        return;
    }
    const int box = Scale(13);
    RECT check{row.left + Scale(2), row.top + (row.bottom - row.top - box) / 2, 0, 0};
    check.right = check.left + box;
    check.bottom = check.top + box;
    DrawFrameControl(dc, &check, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | ((item.itemState & ODS_SELECTED) ? DFCS_CHECKED : 0));

    std::wstring text = EntryText(static_cast<int>(item.itemID));
    RECT label = row;
    label.left = check.right + Scale(4);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &label,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
}

bool Form6::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (Tips.Handle(msg, wParam, lParam, result)) return true;
    if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->hwndItem == DemoList) {
            DrawEntry(*item);
            result = TRUE;
            return true;
        }
    } else if (msg == WM_MEASUREITEM) {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        item->itemHeight = static_cast<UINT>(Scale(16));
        result = TRUE;
        return true;
    }
    return false;
}
