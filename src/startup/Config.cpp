// The settings file: its keys, reading and writing single keys, and loading
// every setting into the shared state at start-up.
#include "startup/Config.h"

#include "startup/Files.h"
#include "startup/MainModule.h"
#include "startup/SettingsText.h"
#include "ui/Host.h"

#include <windows.h>

#include <limits>

namespace Config {

std::int16_t DefFreeCam = 0, DefNoText = 0, DefExtract = 0, DefSpeed = 0;
std::int16_t PlayFreeCam = 0, PlayNoText = 0, PlayExtract = 0, PlaySpeed = 0;
std::wstring IniFile;

namespace {

// One key of the settings file and where its value lives: a 16-bit number,
// with the play value that start-up copies it into, or a text as it is. A
// number may be anything from -32768 to 32767: what the options mean (a box's
// 0 or 1, a speed of 1 to 200) is not enforced, and goes to the game as the
// file has it.
struct SettingDef {
    const wchar_t* section;
    const wchar_t* key;
    std::int16_t* number; // nullptr for a text
    std::int16_t* play;   // the play value that starts as a copy of the number; nullptr for a text
    std::wstring* text;   // nullptr for a number
};

// Every key of the settings file, in the order start-up reads them and the
// settings window saves them. Start-up stops at the first value that is not
// a whole number where one belongs.
constexpr SettingDef kSettings[] = {
    {L"Defaults", L"FreeCam", &DefFreeCam, &PlayFreeCam, nullptr},
    {L"Defaults", L"NoText", &DefNoText, &PlayNoText, nullptr},
    {L"Defaults", L"Extract", &DefExtract, &PlayExtract, nullptr},
    {L"Defaults", L"Speed", &DefSpeed, &PlaySpeed, nullptr},
    {L"Soldat", L"Path", nullptr, nullptr, &MainModule::SoldatPath},
};

} // namespace

std::vector<Setting> ValuesToSave(const std::vector<Shown>& shown) {
    std::vector<Setting> values;
    for (const SettingDef& setting : kSettings) {
        std::wstring value = setting.text ? *setting.text : std::to_wstring(*setting.number);
        for (const Shown& each : shown)
            if (setting.text && each.variable == setting.text) value = each.text;
        values.push_back({setting.section, setting.key, std::move(value)});
    }
    return values;
}

void ResetState() {
    for (const SettingDef& setting : kSettings)
        if (setting.number) *setting.number = *setting.play = 0;
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

// One key's value into its variable; false when it ended the program.
bool ReadSetting(std::wstring_view settings, const SettingDef& setting) {
    std::wstring text = FindValue(settings, setting.section, setting.key);
    if (setting.text) {
        *setting.text = std::move(text);
        return true;
    }
    std::optional<std::int16_t> value = ToInt16(text);
    if (!value) {
        ui::Fail(L"The settings file '" + IniFile + L"' holds the value '" + text + L"' for the key '" + setting.key +
                 L"' in the section [" + setting.section + L"]. It must be a whole number from " +
                 std::to_wstring(std::numeric_limits<std::int16_t>::min()) + L" to " +
                 std::to_wstring(std::numeric_limits<std::int16_t>::max()) +
                 L".\r\nPlease correct the settings file or save the settings again.");
        return false;
    }
    *setting.number = *value;
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
    for (const SettingDef& setting : kSettings)
        if (!ReadSetting(text, setting)) return false;
    for (const SettingDef& setting : kSettings)
        if (setting.play) *setting.play = *setting.number;
    return true;
}

} // namespace Config
