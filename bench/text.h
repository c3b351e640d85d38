// The bench's words: formatting, the conversions between the UTF-16 the
// system speaks and the UTF-8 the bench writes, and its progress lines and
// fatal errors on stderr (stdout carries only the table).
#pragma once

#include <string>

namespace bench {

// swprintf into a string; the text is cut at 1,023 characters.
std::wstring Format(const wchar_t* format, ...);

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& text);

// "bench: TEXT" on stderr.
void Progress(const std::wstring& text);
// Says what went wrong and ends the bench with exit code 1.
[[noreturn]] void Die(const std::wstring& text);

} // namespace bench
