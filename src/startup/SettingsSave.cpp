// Saving the settings: every value into a copy of the file, read back, and
// the copy in the file's place, or nothing changed at all.
#include "startup/Config.h"

#include "startup/SettingsText.h"
#include "ui/Host.h"

#include <windows.h>

namespace Config {

namespace {

// Why a value cannot be kept as it is, checked before anything is written:
// a file in the system's code page holds only what that code page holds,
// and reading takes blanks and a pair of quotes off a value's ends.
std::wstring WhyNotStorable(const Setting& setting, bool inCodePage) {
    const std::wstring& value = setting.value;
    std::wstring where = L"the value of " + std::wstring(setting.key) + L" in [" + setting.section + L"]";
    if (inCodePage && !value.empty()) {
        // The UTF-8 code page (a choice in Windows' region settings) takes no
        // flags but this one and reports a character it cannot hold by failing.
        const UINT codePage = GetACP();
        const bool utf8 = codePage == CP_UTF8;
        BOOL lost = FALSE;
        const int size = WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                                             value.c_str(), static_cast<int>(value.size()), nullptr, 0, nullptr,
                                             utf8 ? nullptr : &lost);
        const DWORD error = size > 0 ? ERROR_SUCCESS : GetLastError();
        if (lost || error == ERROR_NO_UNICODE_TRANSLATION)
            return where + L" ('" + value +
                   L"') holds characters that the settings file, which keeps its text "
                   L"in the system's code page, cannot hold";
        if (error != ERROR_SUCCESS)
            return where + L" could not be checked against the system's code page: " + ui::SystemReason(error);
    }
    if (!value.empty() &&
        (value.front() == L' ' || value.back() == L' ' || value.front() == L'\t' || value.back() == L'\t'))
        return where + L" ('" + value + L"') begins or ends with a blank, which reading the file takes off";
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == L'"' || value.front() == L'\''))
        return where + L" (" + value + L") is in quotes, which reading the file takes off";
    if (value.size() > 254) return where + L" is longer than the 254 characters a value can have";
    return {};
}

// Writes a new file; false, with the system's reason, when it cannot.
bool WriteAll(const std::wstring& path, std::string_view bytes) {
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    const DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(error);
    return ok;
}

// Removes a copy left behind by a save that was cut off: it is this
// program's own, read-only or not. Anything else of that name (a folder)
// stays, and the save says so.
std::wstring RemoveLeftover(const std::wstring& copy, Deadline deadline) {
    const DWORD leftover = GetFileAttributesW(copy.c_str());
    if (leftover == INVALID_FILE_ATTRIBUTES) return {};
    if (leftover & FILE_ATTRIBUTE_DIRECTORY)
        return L"its copy '" + copy + L"' could not be written: a folder of that name is in the way";
    const bool removed = Patiently(deadline, [&] {
        SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileW(copy.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    });
    if (removed) return {};
    return L"its copy '" + copy + L"' left by an earlier save could not be removed: " +
           ui::SystemReason(GetLastError());
}

// The profile functions fail on a path of MAX_PATH characters or more (and
// Wine's report success without writing): a copy in a folder that deep is
// given to them by its short name, where its volume keeps short names.
std::wstring ProfilePath(const std::wstring& path) {
    if (path.size() < MAX_PATH) return path;
    std::wstring shortPath(path.size() + 1, L'\0');
    const DWORD size = GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    if (size == 0 || size >= shortPath.size()) return path;
    shortPath.resize(size);
    return shortPath;
}

// Writes and reads back every value in the copy; empty when all came back.
std::wstring WriteInto(const std::wstring& copy, const std::vector<Setting>& settings, Deadline deadline) {
    const std::wstring target = ProfilePath(copy);
    for (const Setting& setting : settings) {
        if (!Patiently(deadline, [&] { return WriteIni(target, setting.section, setting.key, setting.value); }))
            return L"writing the value of " + std::wstring(setting.key) + L" failed: " +
                   ui::SystemReason(GetLastError());
    }
    // The platform reports success even where text did not survive, so each
    // value is read back, as the next start will read it.
    std::string bytes;
    if (!ReadAll(copy, bytes, deadline))
        return L"its copy '" + copy + L"' could not be read back: " + ui::SystemReason(GetLastError());
    const std::wstring text = TextOf(bytes, EncodingOf(bytes));
    for (const Setting& setting : settings) {
        std::wstring stored = FindValue(text, setting.section, setting.key);
        if (stored != setting.value)
            return L"the value of " + std::wstring(setting.key) + L" in [" + setting.section + L"] read back as '" +
                   stored + L"' instead of '" + setting.value + L"'";
    }
    return {};
}

// Writes the copy's data to the disk before it takes the file's place: the
// move does not, and after a power cut the file could come back empty.
std::wstring Flush(const std::wstring& copy, Deadline deadline) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    const bool opened = Patiently(deadline, [&] {
        handle = CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
        return handle != INVALID_HANDLE_VALUE;
    });
    const bool flushed = opened && FlushFileBuffers(handle);
    const DWORD error = GetLastError();
    if (opened) CloseHandle(handle);
    if (flushed) return {};
    return L"its copy '" + copy + L"' could not be written to the disk: " + ui::SystemReason(error);
}

// Puts the copy in the file's place.
std::wstring Replace(const std::wstring& copy, const std::wstring& file, Deadline deadline) {
    const bool moved = Patiently(deadline, [&] {
        return MoveFileExW(copy.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    });
    if (moved) return {};
    return L"the file could not be replaced: " + ui::SystemReason(GetLastError());
}

// The bytes the copy starts from: the file's own, so that other sections,
// keys and comments stay as they are, in a form that holds every value.
// Empty when the values can be saved; otherwise why not.
std::wstring CopyBytes(const std::wstring& file, bool exists, const std::vector<Setting>& settings, std::string& bytes,
                       Deadline deadline) {
    if (exists && !ReadAll(file, bytes, deadline))
        return L"the file could not be read: " + ui::SystemReason(GetLastError());
    const Encoding encoding = EncodingOf(bytes);
    // Read leniently, such bytes would be saved as U+FFFD, in lines the
    // player never touched too.
    if (encoding == Encoding::Utf8 && !IsUtf8(bytes))
        return L"the file is marked as UTF-8 but holds bytes that are not UTF-8, which saving would change: " +
               ui::SystemReason(ERROR_NO_UNICODE_TRANSLATION);
    for (const Setting& setting : settings) {
        if (std::wstring why = WhyNotStorable(setting, encoding == Encoding::CodePage); !why.empty()) return why;
    }
    // The platform would write a UTF-8 file's values in the code page, and
    // reads no UTF-16 BE: the copy of either is UTF-16 LE, which holds every
    // character and which the platform reads and writes as it is.
    if (encoding == Encoding::Utf8 || encoding == Encoding::Utf16BigEndian) {
        const std::wstring text = L"\xFEFF" + TextOf(bytes, encoding);
        bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    }
    return {};
}

// Writes the copy: the bytes, the values, the file's hidden and system
// attributes, and its data through to the disk.
std::wstring WriteCopy(const std::wstring& copy, const std::string& bytes, const std::vector<Setting>& settings,
                       DWORD attributes, Deadline deadline) {
    std::wstring failure = RemoveLeftover(copy, deadline);
    if (!failure.empty()) return failure;
    if (!Patiently(deadline, [&] { return WriteAll(copy, bytes); }))
        return L"its copy '" + copy + L"' could not be written: " + ui::SystemReason(GetLastError());
    failure = WriteInto(copy, settings, deadline);
    // Set only now: a file that is already hidden or system may refuse the
    // profile functions' writes.
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (failure.empty() && kept &&
        !Patiently(deadline, [&] { return SetFileAttributesW(copy.c_str(), kept | FILE_ATTRIBUTE_ARCHIVE) != FALSE; }))
        failure = L"its copy '" + copy + L"' could not be made hidden or system as the file is: " +
                  ui::SystemReason(GetLastError());
    if (failure.empty()) failure = Flush(copy, deadline);
    return failure;
}

} // namespace

std::wstring SaveSettings(const std::wstring& file, const std::vector<Setting>& settings) {
    // Every step waits out a program that holds the file or its copy for a
    // moment, about a second in all.
    const Deadline deadline = HoldDeadline();
    // A read-only file is left alone, as Windows itself would leave it.
    const DWORD attributes = GetFileAttributesW(file.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
        return L"the file is read-only: " + ui::SystemReason(ERROR_ACCESS_DENIED);
    std::string bytes;
    std::wstring failure = CopyBytes(file, exists, settings, bytes, deadline);
    if (!failure.empty()) return failure;

    const std::wstring copy = file + L".saving";
    failure = WriteCopy(copy, bytes, settings, exists ? attributes : 0, deadline);
    if (failure.empty()) failure = Replace(copy, file, deadline);
    if (!failure.empty()) DeleteFileW(copy.c_str());
    return failure;
}

} // namespace Config
