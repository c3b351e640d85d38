// The file functions the launcher and the windows share: whether a file is
// there, and where a demo lies.
#include "startup/Files.h"

#include <windows.h>

namespace MainModule {

Flag FileExists(const std::wstring& path) {
    // Wildcards name no file: the platform refuses them.
    if (path.empty()) return False;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return False;
    constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (attributes & kNotAFile) ? False : True;
}

std::wstring FileNameOf(const std::wstring& path) {
    // The drive's colon too: "C:match.sdm" is match.sdm in C:'s current folder.
    size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

bool AnythingAt(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    // The attributes cannot be read, yet the name may be taken: a deleted
    // file that another program still holds (delete-pending: access denied),
    // or one this user may not read. The folder listing says. A name that
    // the listing refuses as well (an invalid one, one too long) is free: the
    // copy or rename onto it then fails with the system's reason, rather than
    // the search for a free name going on for ever.
    return Listed(path);
}

bool Listed(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(path.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    // The name itself or its short alias, never a match of wildcards.
    const std::wstring name = FileNameOf(path);
    for (const wchar_t* listed : {found.cFileName, found.cAlternateFileName})
        if (CompareStringOrdinal(listed, -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
    return false;
}

std::wstring DemoFolder() { return SoldatPath + L"\\Demos\\"; }

std::wstring DemoPath(const std::wstring& name) { return DemoFolder() + name + L".sdm"; }

} // namespace MainModule
