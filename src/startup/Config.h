// The settings file Tarvendel.ini beside the executable: reading and writing
// single keys, saving every setting, and loading every setting into the
// shared state at start-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Config {

// Default play options, as saved in the settings file.
extern std::int16_t DefFreeCam, DefNoText, DefExtract, DefSpeed;
// Play options for the next launch; start-up copies the defaults into them.
extern std::int16_t PlayFreeCam, PlayNoText, PlayExtract, PlaySpeed;
// Full path of the settings file.
extern std::wstring IniFile;

inline constexpr wchar_t kIniName[] = L"Tarvendel.ini";

// One value; "0" when the file, section or key is missing, or the file cannot
// be read. At most 254 characters, blanks and one pair of quotes around the
// value removed. The same text reads the same in the system's code page, in
// UTF-16 LE or BE with its byte order mark, and in UTF-8 with or without one.
// The program's start reads every key at once (LoadSettings); ReadIni, the
// reading of one key beside WriteIni, is this module's interface and stays
// for whoever needs one key (the tests read the saved file through it).
std::wstring ReadIni(const std::wstring& file, const std::wstring& section, const std::wstring& key);
// Writes one value; true when the platform reports success.
bool WriteIni(const std::wstring& file, const std::wstring& section, const std::wstring& key,
              const std::wstring& value);

// One value to save.
struct Setting {
    const wchar_t* section;
    const wchar_t* key;
    std::wstring value;
};
// A text a window shows in place of a variable's value.
struct Shown {
    const std::wstring* variable;
    std::wstring text;
};
// Every key's value as the file holds it, in the order the keys are read
// and saved: a number in decimal, a text as it is, or as a window shows it
// (the settings window saves its path box, not SoldatPath, which changes
// only at the next start).
std::vector<Setting> ValuesToSave(const std::vector<Shown>& shown = {});
// Saves all the values into the settings file, or none of them: they are
// written into a copy of the file beside it, read back from the copy, and
// the copy then takes the file's place in one step. The copy of a UTF-8 or
// UTF-16 BE file is written in UTF-16 LE, which the platform reads and
// writes; a file marked as UTF-8 that is not is left alone. Returns
// what failed, in plain words; empty when everything was saved.
std::wstring SaveSettings(const std::wstring& file, const std::vector<Setting>& settings);

// Fills IniFile, SoldatPath, the defaults and the play values. Returns false
// when it ended the program (a file missing or unreadable, a value that is
// not a 16-bit whole number where one belongs).
bool LoadSettings();

// A decimal whole number from -32768 to 32767 with an optional sign; nothing
// for anything else.
std::optional<std::int16_t> ToInt16(const std::wstring& text);

void ResetState();

} // namespace Config
