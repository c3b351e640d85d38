#include "startup/Config.h"

#include "startup/Files.h"
#include "startup/MainModule.h"
#include "startup/SettingsText.h"
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
    std::string bytes;
    if (!ReadAll(file, bytes, 0)) return L"0";
    return FindValue(TextOf(bytes, EncodingOf(bytes)), section, key);
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

bool ReadNumber(std::wstring_view settings, const wchar_t* key, std::int16_t& target) {
    std::wstring text = FindValue(settings, L"Defaults", key);
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

bool LoadSettings() {
    std::wstring folder = MainModule::ExePath;
    size_t separator = folder.find_last_of(L"\\/");
    folder = separator == std::wstring::npos ? std::wstring() : folder.substr(0, separator);
    IniFile = folder + L"\\" + kIniName;

    if (MainModule::FileExists(IniFile) != MainModule::True) {
        ui::Fail(L"'" + IniFile + L"' does not exist.\r\nPlease reinstall Tarvendel.");
        return false;
    }

    // Read once, by the program's own reader: Windows' would read a file in
    // a deep folder as if it were empty, every value "0".
    std::string bytes;
    if (!ReadAll(IniFile, bytes, HoldDeadline())) {
        ui::Fail(L"The settings file '" + IniFile + L"' could not be read: " + ui::SystemReason(GetLastError()) +
                 L"\r\nTarvendel cannot start without its settings.");
        return false;
    }
    const std::wstring text = TextOf(bytes, EncodingOf(bytes));
    if (!ReadNumber(text, L"FreeCam", DefFreeCam)) return false;
    if (!ReadNumber(text, L"NoText", DefNoText)) return false;
    if (!ReadNumber(text, L"Extract", DefExtract)) return false;
    if (!ReadNumber(text, L"Speed", DefSpeed)) return false;
    MainModule::SoldatPath = FindValue(text, L"Soldat", L"Path");

    PlayFreeCam = DefFreeCam;
    PlayNoText = DefNoText;
    PlayExtract = DefExtract;
    PlaySpeed = DefSpeed;
    return true;
}

} // namespace Config
