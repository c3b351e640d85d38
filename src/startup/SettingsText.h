// The settings file's text as the settings code reads it: the file's bytes,
// how they are stored, and one value found in the text the way Windows'
// profile functions find it.
#pragma once

#include <string>
#include <string_view>

namespace Config {

// How a settings file's text is stored. The platform's profile functions read
// UTF-16 (with its byte order mark) and the system's code page; a file saved
// as UTF-8, as Notepad saves it, they take for the code page, and Windows
// keeps a UTF-8 byte order mark as part of the first line.
enum class Encoding { CodePage, Utf8, Utf16 };

// The whole file; false, with the system's reason, when it cannot be read.
bool ReadAll(const std::wstring& path, std::string& bytes);

// UTF-16 and UTF-8 by their byte order marks; without a mark, UTF-8 when the
// bytes are valid UTF-8 and not all plain ASCII (which reads the same in both).
Encoding EncodingOf(std::string_view bytes);

// The text of a UTF-8 file, without its byte order mark.
std::wstring Utf8Text(std::string_view bytes);

// One value of a profile file's text, read as the platform reads one: names
// in any letter case, blanks around names and values and one pair of quotes
// around a value taken off, the first of the section's keys of that name
// wins, a semicolon after a value is part of it, "0" when missing.
std::wstring FindValue(std::wstring_view text, std::wstring_view section, std::wstring_view key);

} // namespace Config
