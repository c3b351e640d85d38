#include "library/Form5.h"

#include "library/Form4.h"
#include "startup/Files.h"
#include "startup/MainModule.h"
#include "ui/Host.h"

#include <algorithm>
#include <cwctype>

using namespace MainModule;

// A tool window without a control box: no close button, no taskbar button.
Form5::Form5() : Window({L"Tarvendel.Form5", L"Rename file:", 465, 40, WS_OVERLAPPED | WS_CAPTION, WS_EX_TOOLWINDOW}) {}

std::vector<ui::ControlDef> Form5::Layout() {
    return {
        ui::TextBox(&TFileName, {8, 8, 273, 25}, 0),
        ui::Button(&BRename, L"Rename", {288, 8, 81, 25}, 1, [this] { BRename_Click(); }),
        ui::Button(&BCancel, L"Cancel", {376, 8, 81, 25}, 2, [this] { BCancel_Click(); }),
    };
}

void Form5::Form_Load() {
    SendMessageW(TFileName, EM_SETLIMITTEXT, 0, 0); // no length limit
    RenameTimer.SetInterval(20);
    RenameTimer.SetEnabled(true);
}

void Form5::RenameTimer_Timer() { ui::SetText(Hwnd(), L"Rename file: " + RenameName + L".sdm"); }

std::wstring WhyNotADemoName(const std::wstring& fileName) {
    for (wchar_t c : fileName) {
        if (c < 32) return L"it holds a control character";
        if (std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos)
            return std::wstring(L"it holds the character ") + c + L", which Windows does not allow in a file name";
    }
    // Device names stay devices whatever extension follows them.
    std::wstring base = fileName.substr(0, fileName.find(L'.'));
    std::wstring upper(base.size(), L'\0');
    std::transform(base.begin(), base.end(), upper.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    bool device = std::find_if(std::begin(kDevices), std::end(kDevices),
                               [&](const wchar_t* d) { return upper == d; }) != std::end(kDevices);
    // COM1 to COM9 and LPT1 to LPT9, and with the superscript digits 1, 2 and 3,
    // which Windows reads as the same devices.
    const std::wstring digits = L"123456789\u00B9\u00B2\u00B3";
    if (upper.size() == 4 && (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0) &&
        digits.find(upper[3]) != std::wstring::npos)
        device = true;
    if (device) return L"Windows keeps the name " + base + L" for a device";
    return {};
}

void Form5::BRename_Click() {
    const std::wstring folder = DemoFolder();
    std::wstring typed = ui::GetText(TFileName);
    std::replace(typed.begin(), typed.end(), L' ', L'_');
    const std::wstring newName = typed + L".sdm";
    const std::wstring oldPath = DemoPath(RenameName);
    const std::wstring newPath = folder + newName;

    // Only a plain file name may come through: never a path out of the demo
    // folder, a stream or a device.
    if (std::wstring why = WhyNotADemoName(newName); !why.empty()) {
        ui::ErrorBox(L"'" + newName + L"' cannot be a demo's name: " + why + L".\r\nThe demo keeps its name.");
    } else if (FileExists(oldPath) != True) {
        ui::ErrorBox(L"Error while renaming file: '" + folder + RenameName + L"' does not exist.");
    } else if (AnythingAt(newPath)) {
        ui::ErrorBox(L"Error while renaming file: '" + newPath + L"' already exists.");
    } else if (!MoveFileW(oldPath.c_str(), newPath.c_str())) {
        ui::ErrorBox(L"Could not rename '" + oldPath + L"' to '" + newPath + L"': " + ui::SystemReason(GetLastError()));
    }
    HandBack();
}

void Form5::BCancel_Click() {
    RenameName.clear();
    HandBack();
}

void Form5::HandBack() {
    Form4::Get().SetEnabled(true);
    Hide();
}
