// The autorename window: renames the marked demos to their creation date and
// time (UTC), asking about each name that is taken, and reports the count.
#pragma once

#include "library/DemoTips.h"
#include "library/ListDemos.h"
#include "ui/Window.h"

#include <string>

class Form6 : public ui::Window, public ui::SingleInstance<Form6> {
public:
    Form6();

    HWND DemoList = nullptr, BRename = nullptr, BCancel = nullptr, Label1 = nullptr;
    // The tip over DemoList's entries: what each demo holds.
    DemoTips Tips;

    void ListDemos(const std::wstring& folder, const std::wstring& extension);
    void FillAutorenameList();
    void BRename_Click();
    void BCancel_Click();

    int EntryCount() const;
    std::wstring EntryText(int index) const;
    bool IsMarked(int index) const;
    void SetMarked(int index, bool marked);

protected:
    std::vector<ui::ControlDef> Layout() override;
    void Form_Load() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DpiChanged() override;

private:
    class RunProgress;
    // Renames one demo to its creation time (from the run's pass over the
    // folder), asking about taken names; true when it got its new name.
    bool RenameToCreationTime(const std::wstring& old, const FolderTimes& times);
    void DrawEntry(const DRAWITEMSTRUCT& item);
};

// The name of a demo made from its creation time: 2009-4-14_21-32-5 for
// 14 April 2009, 21:32:05 (no leading zeros, milliseconds dropped).
std::wstring TimeName(const SYSTEMTIME& time);
