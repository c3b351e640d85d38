#include "startup/Config.h"

#include "startup/MainModule.h"
#include "ui/Host.h"

#include <windows.h>

namespace Config {

std::int16_t DefFreeCam = 0, DefNoText = 0, DefExtract = 0, DefSpeed = 0;
std::int16_t PlayFreeCam = 0, PlayNoText = 0, PlayExtract = 0, PlaySpeed = 0;
std::wstring IniFile;

void ResetState() {
    DefFreeCam = DefNoText = DefExtract = DefSpeed = 0;
    PlayFreeCam = PlayNoText = PlayExtract = PlaySpeed = 0;
    IniFile.clear();
}

std::wstring ReadIni(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
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
// the file holds text in the system's code page (unless it is a UTF-16 one),
// and reading takes blanks and a pair of quotes off a value's ends.
std::wstring WhyNotStorable(const Setting& setting, bool unicodeFile) {
    const std::wstring& value = setting.value;
    std::wstring where = L"the value of " + std::wstring(setting.key) + L" in [" + setting.section + L"]";
    if (!unicodeFile && !value.empty()) {
        BOOL lost = FALSE;
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, value.c_str(), static_cast<int>(value.size()), nullptr, 0,
                            nullptr, &lost);
        if (lost)
            return where + L" ('" + value +
                   L"') holds characters that the settings file, which keeps its text "
                   L"in the system's code page, cannot hold";
    }
    if (!value.empty() &&
        (value.front() == L' ' || value.back() == L' ' || value.front() == L'\t' || value.back() == L'\t'))
        return where + L" ('" + value + L"') begins or ends with a blank, which reading the file takes off";
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == L'"' || value.front() == L'\''))
        return where + L" (" + value + L") is in quotes, which reading the file takes off";
    if (value.size() > 254) return where + L" is longer than the 254 characters a value can have";
    return {};
}

// Whether the file is a UTF-16 one (it starts with its byte order mark).
bool IsUnicodeFile(const std::wstring& file) {
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    unsigned char mark[2] = {};
    DWORD read = 0;
    bool unicode = ReadFile(handle, mark, 2, &read, nullptr) && read == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
    CloseHandle(handle);
    return unicode;
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
    const bool unicode = exists && IsUnicodeFile(file);
    for (const Setting& setting : settings) {
        if (std::wstring why = WhyNotStorable(setting, unicode); !why.empty()) return why;
    }

    // The copy starts as the file's own bytes, so that other sections, keys
    // and comments stay as they are.
    const std::wstring copy = file + L".saving";
    if (exists && !CopyFileW(file.c_str(), copy.c_str(), FALSE))
        return L"the file could not be read: " + ui::SystemReason(GetLastError());
    if (!exists) DeleteFileW(copy.c_str());
    std::wstring failure = WriteInto(copy, settings);
    if (failure.empty() && !MoveFileExW(copy.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = L"the file could not be replaced: " + ui::SystemReason(GetLastError());
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
