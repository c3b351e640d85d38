#include "startup/Config.h"

#include "startup/MainModule.h"
#include "ui/Host.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

namespace Config {

std::int16_t DefFreeCam = 0, DefNoText = 0, DefExtract = 0, DefSpeed = 0;
std::int16_t PlayFreeCam = 0, PlayNoText = 0, PlayExtract = 0, PlaySpeed = 0;
std::wstring IniFile;

void ResetState() {
    DefFreeCam = DefNoText = DefExtract = DefSpeed = 0;
    PlayFreeCam = PlayNoText = PlayExtract = PlaySpeed = 0;
    IniFile.clear();
}

namespace {

// How a settings file's text is stored. The platform's profile functions read
// UTF-16 (with its byte order mark) and the system's code page; a file saved
// as UTF-8, as Notepad saves it, they take for the code page, and Windows
// keeps a UTF-8 byte order mark as part of the first line.
enum class Encoding { CodePage, Utf8, Utf16 };

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The whole file; false, with the system's reason, when it cannot be read.
bool ReadAll(const std::wstring& path, std::string& bytes) {
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

// UTF-16 and UTF-8 by their byte order marks; without a mark, UTF-8 when the
// bytes are valid UTF-8 and not all plain ASCII (which reads the same in both).
Encoding EncodingOf(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return Encoding::Utf16;
    if (bytes.starts_with(kUtf8Mark)) return Encoding::Utf8;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (!ascii && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0) > 0)
        return Encoding::Utf8;
    return Encoding::CodePage;
}

// The text of a UTF-8 file, without its byte order mark.
std::wstring Utf8Text(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        text.data(), static_cast<int>(text.size()))));
    return text;
}

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

// One value of a profile file's text, read as the platform reads one: names
// in any letter case, blanks around names and values and one pair of quotes
// around a value taken off, the first of the section's keys of that name
// wins, a semicolon after a value is part of it, "0" when missing.
std::wstring FindValue(std::wstring_view text, std::wstring_view section, std::wstring_view key) {
    bool inSection = false;
    while (!text.empty()) {
        const size_t end = text.find_first_of(L"\r\n");
        const std::wstring_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        const size_t close = line.rfind(L']');
        if (line.starts_with(L'[') && close != std::wstring_view::npos) {
            // Only the first section of that name is read.
            if (inSection) break;
            inSection = SameName(line.substr(1, close - 1), section);
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

} // namespace

std::wstring ReadIni(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
    std::string bytes;
    if (ReadAll(file, bytes) && EncodingOf(bytes) == Encoding::Utf8) return FindValue(Utf8Text(bytes), section, key);
    wchar_t buffer[255] = {};
    DWORD count = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"0", buffer, 255, file.c_str());
    return std::wstring(buffer, count);
}

bool WriteIni(const std::wstring& file, const std::wstring& section, const std::wstring& key,
              const std::wstring& value) {
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

std::optional<std::int16_t> ToInt16(const std::wstring& text) {
    size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) negative = text[at++] == L'-';
    if (at == text.size()) return std::nullopt;
    // The size of the number, without its sign: at most 32767, or 32768
    // for a negative one.
    const long limit = negative ? 32768 : 32767;
    long magnitude = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < L'0' || text[at] > L'9') return std::nullopt;
        magnitude = magnitude * 10 + (text[at] - L'0');
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<std::int16_t>(negative ? -magnitude : magnitude);
}

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

// Writes and reads back every value in the copy; empty when all came back.
std::wstring WriteInto(const std::wstring& copy, const std::vector<Setting>& settings) {
    for (const Setting& setting : settings) {
        if (!WriteIni(copy, setting.section, setting.key, setting.value))
            return L"writing the value of " + std::wstring(setting.key) + L" failed: " +
                   ui::SystemReason(GetLastError());
    }
    // The platform reports success even where text did not survive, so each
    // value is read back.
    for (const Setting& setting : settings) {
        std::wstring stored = ReadIni(copy, setting.section, setting.key);
        if (stored != setting.value)
            return L"the value of " + std::wstring(setting.key) + L" in [" + setting.section + L"] read back as '" +
                   stored + L"' instead of '" + setting.value + L"'";
    }
    return {};
}

// Writes the copy's data to the disk before it takes the file's place: the
// move does not, and after a power cut the file could come back empty.
std::wstring Flush(const std::wstring& copy) {
    HANDLE handle = CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    const bool flushed = handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
    const DWORD error = GetLastError();
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    if (flushed) return {};
    return L"its copy '" + copy + L"' could not be written to the disk: " + ui::SystemReason(error);
}

// Puts the copy in the file's place. An antivirus or backup program that
// opens a new file for a moment makes the move fail with "access denied" or
// a sharing violation, so those are tried again for up to a second.
std::wstring Replace(const std::wstring& copy, const std::wstring& file) {
    const ULONGLONG deadline = GetTickCount64() + 1000;
    while (!MoveFileExW(copy.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || GetTickCount64() >= deadline)
            return L"the file could not be replaced: " + ui::SystemReason(error);
        Sleep(50);
    }
    return {};
}

bool ReadNumber(const wchar_t* key, std::int16_t& target) {
    std::wstring text = ReadIni(IniFile, L"Defaults", key);
    std::optional<std::int16_t> value = ToInt16(text);
    if (!value) {
        ui::Fail(L"The settings file '" + IniFile + L"' holds the value '" + text + L"' for the key '" + key +
                 L"' in the section [Defaults]. It must be a whole number from -32768 to 32767.\r\n"
                 L"Please correct the settings file or save the settings again.");
        return false;
    }
    target = *value;
    return true;
}

} // namespace

std::wstring SaveSettings(const std::wstring& file, const std::vector<Setting>& settings) {
    // A read-only file is left alone, as Windows itself would leave it.
    DWORD attributes = GetFileAttributesW(file.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
        return L"the file is read-only: " + ui::SystemReason(ERROR_ACCESS_DENIED);
    // The copy starts as the file's own text, so that other sections, keys
    // and comments stay as they are.
    std::string bytes;
    if (exists && !ReadAll(file, bytes)) return L"the file could not be read: " + ui::SystemReason(GetLastError());
    const Encoding encoding = EncodingOf(bytes);
    for (const Setting& setting : settings) {
        if (std::wstring why = WhyNotStorable(setting, encoding == Encoding::CodePage); !why.empty()) return why;
    }
    // The platform would write a UTF-8 file's values in the code page: its
    // copy is UTF-16, which holds every character and which the platform
    // reads and writes as it is.
    if (encoding == Encoding::Utf8) {
        const std::wstring text = L"\xFEFF" + Utf8Text(bytes);
        bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    }

    // A copy left behind by a save that was cut off is this program's own:
    // it goes, read-only or not. Anything else of that name (a folder) stays,
    // and writing the copy then fails and says so.
    const std::wstring copy = file + L".saving";
    const DWORD leftover = GetFileAttributesW(copy.c_str());
    if (leftover != INVALID_FILE_ATTRIBUTES && !(leftover & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(copy.c_str());
    }
    std::wstring failure;
    if (!WriteAll(copy, bytes))
        failure = L"its copy '" + copy + L"' could not be written: " + ui::SystemReason(GetLastError());
    if (failure.empty()) failure = WriteInto(copy, settings);
    if (failure.empty()) failure = Flush(copy);
    if (failure.empty()) failure = Replace(copy, file);
    if (!failure.empty()) DeleteFileW(copy.c_str());
    return failure;
}

bool LoadSettings() {
    std::wstring folder = MainModule::ExePath;
    size_t separator = folder.find_last_of(L"\\/");
    folder = separator == std::wstring::npos ? std::wstring() : folder.substr(0, separator);
    IniFile = folder + L"\\" + kIniName;

    if (MainModule::FileExists(IniFile) != MainModule::True) {
        ui::Fail(L"'" + IniFile + L"' does not exist.\r\nPlease reinstall Tarvendel.");
        return false;
    }

    if (!ReadNumber(L"FreeCam", DefFreeCam)) return false;
    if (!ReadNumber(L"NoText", DefNoText)) return false;
    if (!ReadNumber(L"Extract", DefExtract)) return false;
    if (!ReadNumber(L"Speed", DefSpeed)) return false;
    MainModule::SoldatPath = ReadIni(IniFile, L"Soldat", L"Path");

    PlayFreeCam = DefFreeCam;
    PlayNoText = DefNoText;
    PlayExtract = DefExtract;
    PlaySpeed = DefSpeed;
    return true;
}

} // namespace Config
