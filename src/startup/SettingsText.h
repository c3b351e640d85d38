// The settings file's text as the settings code reads it: the file's bytes,
// read while waiting out a brief hold on the file, how they are stored, and
// one value found in the text the way Windows' profile functions find it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace Config {

// A moment in the system's tick count (GetTickCount64).
using Deadline = unsigned long long;

// About a second from now: how long a start or a save waits, in all, for a
// program that holds the settings file or its copy for a moment (a virus
// scanner, a backup or sync tool) to let go of it.
Deadline HoldDeadline();

// Runs step until it succeeds. A failure with "access denied" or a sharing
// violation, as such a hold gives, is tried again every 50 ms until the
// deadline has passed; false, with that failure's error, when it never
// succeeded. A deadline of 0 gives one try.
bool Patiently(Deadline deadline, const std::function<bool()>& step);

// How a settings file's text is stored: in the system's code page, or in one
// of the forms Notepad saves. Windows' profile functions read only the code
// page and UTF-16 LE with its byte order mark; they take UTF-8 for the code
// page and UTF-16 BE for nothing, and fail in a folder deeper than MAX_PATH.
// So the program reads every form itself, as they read the first two.
enum class Encoding { CodePage, Utf8, Utf16, Utf16BigEndian };

// The whole file; false, with the system's reason, when it cannot be read
// by the deadline. Other programs may have it open for reading and writing.
bool ReadAll(const std::wstring& path, std::string& bytes, Deadline deadline);

// UTF-16 LE, UTF-16 BE and UTF-8 by their byte order marks; without a mark,
// UTF-8 when the bytes are valid UTF-8 and not all plain ASCII (which reads
// the same in both).
Encoding EncodingOf(std::string_view bytes);

// Whether the bytes, without a UTF-8 byte order mark, are all valid UTF-8.
bool IsUtf8(std::string_view bytes);

// The file's text, without its byte order mark. Bytes that are not UTF-8 in
// a file marked as UTF-8 become U+FFFD.
std::wstring TextOf(std::string_view bytes, Encoding encoding);

// One value of a profile file's text, read as the platform reads one: names
// in any letter case, blanks around names and values and one pair of quotes
// around a value taken off, the first of the section's keys of that name
// wins, a semicolon after a value is part of it, "0" when missing. A line
// that starts with "[" opens a section whose name ends at the first "]", or
// at the line's end; only the first section of a name is read.
std::wstring FindValue(std::wstring_view text, std::wstring_view section, std::wstring_view key);

} // namespace Config
