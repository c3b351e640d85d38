// The shell's folder dialog of the settings window's Browse button, driven.
#pragma once

#include "support/Harness.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <utility>

namespace test {

// Answers the dialog from timers once it is up: picks a folder, or cancels
// when none is given.
class FolderDialog {
public:
    explicit FolderDialog(std::wstring choice) {
        choice_ = std::move(choice);
        opened_ = titleShown_ = false;
        tries_ = 0;
        hook_ = SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
    }
    ~FolderDialog() { UnhookWindowsHookEx(hook_); }
    static bool Opened() { return opened_; }
    static bool TitleShown() { return titleShown_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && !opened_ && ClassOf(window) == L"#32770") {
            opened_ = true;
            SetTimer(window, 1, 300, &Step);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static BOOL CALLBACK FindTitle(HWND child, LPARAM) {
        if (TextOf(child) == L"Please select Soldat's directory") titleShown_ = true;
        return TRUE;
    }
    // The text of the tree's selected item (the folder the dialog would return).
    static std::wstring SelectedFolderName(HWND dialog) {
        HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
        if (!tree) return {};
        auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        wchar_t text[MAX_PATH] = {};
        TVITEMW info{};
        info.mask = TVIF_TEXT;
        info.hItem = item;
        info.pszText = text;
        info.cchTextMax = MAX_PATH;
        if (!item || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info))) return {};
        return text;
    }
    static void CALLBACK Step(HWND dialog, UINT, UINT_PTR id, DWORD) {
        if (id == 1) {
            KillTimer(dialog, id);
            EnumChildWindows(dialog, &FindTitle, 0);
            if (choice_.empty()) {
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            SetTimer(dialog, 2, 100, &Step);
            return;
        }
        // The tree fills in its own time: select until the choice shows, then OK.
        std::wstring leaf = choice_.substr(choice_.find_last_of(L'\\') + 1);
        if (SelectedFolderName(dialog) != leaf && ++tries_ < 50) {
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(choice_.c_str()));
            return;
        }
        KillTimer(dialog, id);
        PostMessageW(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
    static inline HHOOK hook_ = nullptr;
    static inline std::wstring choice_;
    static inline bool opened_ = false;
    static inline bool titleShown_ = false;
    static inline int tries_ = 0;
};

} // namespace test
