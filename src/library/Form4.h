// The demo library: lists the demos of the game's Demos folder and plays,
// configures, renames, deletes and auto-renames them.
#pragma once

#include "library/DemoTips.h"
#include "ui/Window.h"

#include <string>

class Form4 : public ui::Window, public ui::SingleInstance<Form4> {
public:
    Form4();

    HWND DemoList = nullptr;
    HWND BPlay = nullptr, BRename = nullptr, BAutorename = nullptr;
    HWND BConfig = nullptr, BDelete = nullptr, BSettings = nullptr, BCancel = nullptr;
    HWND Label1 = nullptr;
    ui::Timer FileTimer{*this, [this] { FileTimer_Timer(); }};
    // The tip over DemoList's entries: what each demo holds.
    DemoTips Tips;

    void ListDemos(const std::wstring& folder, const std::wstring& extension);
    void RefreshDemoList();

    void BPlay_Click();
    void BConfig_Click();
    void BRename_Click();
    void BDelete_Click();
    void BAutorename_Click();
    void BSettings_Click();
    void BCancel_Click();
    void FileTimer_Timer();

    // The selected position, -1 for none.
    int Selected() const;
    std::wstring EntryText(int index) const;

protected:
    std::vector<ui::ControlDef> Layout() override;
    void Form_Load() override;
    void Form_Close() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // The selected entry, or -1 after telling the user to select one.
    int SelectionOrAsk() const;
};
