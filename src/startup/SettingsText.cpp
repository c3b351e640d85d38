// The settings file's text: its bytes, their encoding, and one value in it;
// the wait for a program that holds the file for a moment.
#include "startup/SettingsText.h"

#include <windows.h>

#include <algorithm>

namespace Config {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Without blanks and tabs around it.
std::wstring_view Trim(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

bool SameName(std::wstring_view name, std::wstring_view wanted) {
    name = Trim(name);
    wanted = Trim(wanted);
    return CompareStringOrdinal(name.data(), static_cast<int>(name.size()), wanted.data(),
                                static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL;
}

// Text in a code page, converted as Windows converts it: a byte that is not
// a character there becomes U+FFFD.
std::wstring Converted(UINT codePage, std::string_view bytes) {
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        text.data(), static_cast<int>(text.size()))));
    return text;
}

// UTF-16 in either byte order; an odd last byte is no character.
std::wstring Utf16Text(std::string_view bytes, bool bigEndian) {
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t at = 0; at < text.size(); ++at) {
        const auto first = static_cast<unsigned char>(bytes[2 * at]);
        const auto second = static_cast<unsigned char>(bytes[2 * at + 1]);
        text[at] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return text;
}

// One try at reading the whole file.
bool ReadOnce(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    char buffer[4096];
    DWORD read = 0;
    BOOL ok = FALSE;
    while ((ok = ReadFile(handle, buffer, sizeof(buffer), &read, nullptr)) && read > 0) bytes.append(buffer, read);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(error);
    return ok != FALSE;
}

} // namespace

Deadline HoldDeadline() { return GetTickCount64() + 1000; }

bool Patiently(Deadline deadline, const std::function<bool()>& step) {
    while (!step()) {
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || GetTickCount64() >= deadline) {
            SetLastError(error);
            return false;
        }
        Sleep(50);
    }
    return true;
}

bool ReadAll(const std::wstring& path, std::string& bytes, Deadline deadline) {
    return Patiently(deadline, [&] { return ReadOnce(path, bytes); });
}

Encoding EncodingOf(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return Encoding::Utf16;
    if (bytes.starts_with("\xFE\xFF")) return Encoding::Utf16BigEndian;
    if (bytes.starts_with(kUtf8Mark)) return Encoding::Utf8;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    return !ascii && IsUtf8(bytes) ? Encoding::Utf8 : Encoding::CodePage;
}

bool IsUtf8(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
    return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

std::wstring TextOf(std::string_view bytes, Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf16:
    case Encoding::Utf16BigEndian:
        return Utf16Text(bytes.substr(2), encoding == Encoding::Utf16BigEndian);
    case Encoding::Utf8:
        if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
        return Converted(CP_UTF8, bytes);
    case Encoding::CodePage:
        break;
    }
    return Converted(CP_ACP, bytes);
}

std::wstring FindValue(std::wstring_view text, std::wstring_view section, std::wstring_view key) {
    bool inSection = false;
    while (!text.empty()) {
        const size_t end = text.find_first_of(L"\r\n");
        const std::wstring_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        if (line.starts_with(L'[')) {
            // Only the first section of that name is read.
            if (inSection) break;
            const size_t close = line.find(L']');
            inSection = SameName(line.substr(1, close == std::wstring_view::npos ? close : close - 1), section);
            continue;
        }
        const size_t equals = line.find(L'=');
        if (!inSection || equals == std::wstring_view::npos || !SameName(line.substr(0, equals), key)) continue;
        std::wstring_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == value.back() && (value.front() == L'"' || value.front() == L'\''))
            value = value.substr(1, value.size() - 2);
        return std::wstring(value.substr(0, 254));
    }
    return L"0";
}

} // namespace Config
