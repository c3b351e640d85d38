#include "library/ListDemos.h"

#include <cwctype>
#include <utility>

std::wstring DemoPattern(const std::wstring& extension) {
    if (extension.find_first_not_of(L' ') == std::wstring::npos) return L"*.*";
    if (extension.compare(0, 2, L"*.") == 0) return extension;
    return L"*." + extension;
}

namespace {

wchar_t Fold(wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); }

} // namespace

bool NameMatches(const std::wstring& name, const std::wstring& pattern) {
    if (pattern == L"*.*" || pattern == L"*") return true;
    // Greedy wildcard match with backtracking to the last "*".
    size_t n = 0, p = 0, starP = std::wstring::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::wstring::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

namespace {

// Calls found(data) for each name the folder search returns for the pattern,
// in its order. Returns 0, or the search's error when it could not start.
template <class Found>
DWORD SearchFolder(const std::wstring& folder, const std::wstring& pattern, Found found) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileExW((folder + pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return GetLastError();
    do found(data);
    while (FindNextFileW(search, &data));
    FindClose(search);
    return 0;
}

std::wstring WithSeparator(std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}

} // namespace

std::vector<std::wstring> DemoNames(std::wstring folder, const std::wstring& extension) {
    std::vector<std::wstring> names;
    const std::wstring pattern = DemoPattern(extension);
    constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    SearchFolder(WithSeparator(std::move(folder)), pattern, [&](const WIN32_FIND_DATAW& found) {
        if (found.dwFileAttributes & kNotOrdinary) return;
        std::wstring name = found.cFileName;
        if (!NameMatches(name, pattern)) return;
        name.resize(name.size() >= 4 ? name.size() - 4 : 0);
        names.push_back(std::move(name));
    });
    return names;
}

bool FileNameLess::operator()(const std::wstring& a, const std::wstring& b) const {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

FolderTimes CreationTimes(std::wstring folder, const std::wstring& extension) {
    FolderTimes times;
    const DWORD error = SearchFolder(WithSeparator(std::move(folder)), DemoPattern(extension),
                                     [&](const WIN32_FIND_DATAW& found) {
                                         times.byName.emplace(found.cFileName, found.ftCreationTime);
                                     });
    if (error && error != ERROR_FILE_NOT_FOUND) times.missing = error;
    return times;
}

void ListDemos(HWND listBox, const std::wstring& folder, const std::wstring& extension) {
    std::vector<std::wstring> names = DemoNames(folder, extension);
    RedrawOff quiet(listBox);
    size_t bytes = 0;
    for (const std::wstring& name : names) bytes += (name.size() + 1) * sizeof(wchar_t);
    SendMessageW(listBox, LB_INITSTORAGE, names.size(), static_cast<LPARAM>(bytes));
    for (const std::wstring& name : names)
        SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

RedrawOff::RedrawOff(HWND window) : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }

RedrawOff::~RedrawOff() {
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
}
