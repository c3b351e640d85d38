// The folder listing shared by the library and autorename windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The search pattern for an extension: "*.*" for none, the extension itself
// when it starts with "*.", otherwise "*." followed by it.
std::wstring DemoPattern(const std::wstring& extension);

// Whether a long file name matches a pattern of "*" and "?", ignoring case.
bool NameMatches(const std::wstring& name, const std::wstring& pattern);

// The names, without their last four characters, of the ordinary files of a
// folder that match the extension's pattern, in the order the folder search
// gives them. Hidden and system files and folders are left out, and so are
// files that matched only through their short 8.3 alias.
std::vector<std::wstring> DemoNames(std::wstring folder, const std::wstring& extension);

// Appends DemoNames to a list box (it does not clear it first) with redraw off.
void ListDemos(HWND listBox, const std::wstring& folder, const std::wstring& extension);

// Turns a window's redrawing off for as long as it lives, then repaints it.
class RedrawOff {
public:
    explicit RedrawOff(HWND window);
    ~RedrawOff();
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    HWND window_;
};
