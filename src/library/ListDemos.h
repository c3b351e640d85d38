// The folder listing shared by the library and autorename windows.
#pragma once

#include <windows.h>

#include <map>
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

// File names in the order of the file system's lookup: without regard to
// letter case.
struct FileNameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// The creation times of a folder's files, from one pass over it.
struct FolderTimes {
    std::map<std::wstring, FILETIME, FileNameLess> byName; // file name -> creation time
    // The reason to give for a name the pass did not find: the folder search's
    // error when it could not read the folder, otherwise "file not found".
    DWORD missing = ERROR_FILE_NOT_FOUND;
};

// One pass over the folder with the same search as DemoNames: the creation
// time of every file, folder included, whose name matches the extension's
// pattern, whatever its attributes.
FolderTimes CreationTimes(std::wstring folder, const std::wstring& extension);

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
