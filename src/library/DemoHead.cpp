#include "library/DemoHead.h"

#include "ui/Host.h"

#include <cstdint>
#include <cwchar>
#include <iterator>

namespace {

constexpr std::string_view kMagic = "SOLDEM";
constexpr size_t kMapAt = 8, kMapBytes = 161, kDateAt = 172, kTicksAt = 176;
constexpr LONGLONG kFirstDate = 1009843200; // 2002-01-01 00:00:00
constexpr LONGLONG kDay = 86400;            // seconds
constexpr int kTicksPerSecond = 60;
constexpr ULONGLONG kSecondsFrom1601To1970 = 11644473600ULL;
constexpr ULONGLONG kFileTimeUnitsPerSecond = 10000000ULL;

std::int32_t Int32At(std::string_view head, size_t at) {
    std::uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(head[at + i])) << (8 * i);
    return static_cast<std::int32_t>(value);
}

bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// The map's name, or empty when the field holds none that can be shown: no
// NUL to end it, bytes that are no text in the code page, or control
// characters.
std::wstring MapName(std::string_view head) {
    const std::string_view field = head.substr(kMapAt, kMapBytes);
    const size_t end = field.find('\0');
    if (end == std::string_view::npos || end == 0) return {};
    const int bytes = static_cast<int>(end);
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, field.data(), bytes, nullptr, 0);
    if (length <= 0) return {};
    std::wstring name(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, field.data(), bytes, name.data(), length) != length)
        return {};
    for (wchar_t c : name)
        if (IsControl(c)) return {};
    return name;
}

// The date and time as they stand (no time zone applies), in the user's
// short date and time formats.
std::wstring RecordedLine(std::int32_t seconds, LONGLONG now) {
    if (seconds < kFirstDate || seconds > now + kDay) return {};
    ULARGE_INTEGER units;
    units.QuadPart = (static_cast<ULONGLONG>(seconds) + kSecondsFrom1601To1970) * kFileTimeUnitsPerSecond;
    const FILETIME time{units.LowPart, units.HighPart};
    SYSTEMTIME fields;
    wchar_t date[80], clock[80];
    if (!FileTimeToSystemTime(&time, &fields) ||
        !GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &fields, nullptr, date, 80, nullptr) ||
        !GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &fields, nullptr, clock, 80))
        return {};
    return L"Recorded: " + std::wstring(date) + L" " + clock;
}

std::wstring TwoDigits(int value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }

// m:ss, or h:mm:ss from an hour on; a length of 0 was never written.
std::wstring LengthLine(std::int32_t ticks) {
    if (ticks < 0) return {};
    if (ticks == 0) return L"Length unknown";
    const int seconds = ticks / kTicksPerSecond;
    if (seconds < 3600) return L"Length: " + std::to_wstring(seconds / 60) + L":" + TwoDigits(seconds % 60);
    return L"Length: " + std::to_wstring(seconds / 3600) + L":" + TwoDigits(seconds / 60 % 60) + L":" +
           TwoDigits(seconds % 60);
}

// Bytes below 1 KB, then three significant digits of KB, MB, GB, with the
// user's decimal separator.
std::wstring SizeText(ULONGLONG bytes) {
    if (bytes < 1024) return std::to_wstring(bytes) + (bytes == 1 ? L" byte" : L" bytes");
    static const wchar_t* const kUnits[] = {L"KB", L"MB", L"GB", L"TB"};
    double value = static_cast<double>(bytes) / 1024;
    size_t unit = 0;
    for (; value >= 1000 && unit + 1 < std::size(kUnits); ++unit) value /= 1024;
    wchar_t number[32];
    std::swprintf(number, std::size(number), L"%.*f", value < 10 ? 2 : value < 100 ? 1 : 0, value);
    std::wstring text = number;
    wchar_t separator[8];
    const size_t dot = text.find(L'.');
    if (dot != std::wstring::npos &&
        GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, static_cast<int>(std::size(separator))))
        text.replace(dot, 1, separator);
    return text + L" " + kUnits[unit];
}

std::wstring ReadFailure(DWORD error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return L"In use by another program: its details cannot be read.";
    case ERROR_ACCESS_DENIED:
        return L"Access denied: its details cannot be read.";
    case ERROR_DIRECTORY:
        return L"A folder, not a demo.";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return L"No longer in the demo folder.";
    default:
        return L"Its details cannot be read: " + ui::SystemReason(error);
    }
}

LONGLONG SecondsNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG units = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<LONGLONG>(units / kFileTimeUnitsPerSecond - kSecondsFrom1601To1970);
}

} // namespace

std::wstring DemoTipText(std::string_view head, ULONGLONG size, DWORD error, LONGLONG now) {
    if (error != 0) return ReadFailure(error);
    std::wstring text;
    const auto add = [&text](const std::wstring& line) {
        if (line.empty()) return;
        if (!text.empty()) text += L"\r\n";
        text += line;
    };
    if (head.size() >= kDemoHeadSize && head.substr(0, kMagic.size()) == kMagic) {
        const std::wstring map = MapName(head);
        if (!map.empty()) add(L"Map: " + map);
        add(RecordedLine(Int32At(head, kDateAt), now));
        add(LengthLine(Int32At(head, kTicksAt)));
    }
    const bool details = !text.empty();
    add(L"Size: " + SizeText(size));
    if (!details) add(L"No demo details");
    return text;
}

std::wstring DemoTip(const std::wstring& path) {
    // Shared every way: the game may still be writing the demo, and may
    // rename or delete it meanwhile.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) error = ERROR_DIRECTORY;
        return DemoTipText({}, 0, error, SecondsNow());
    }
    char head[kDemoHeadSize];
    DWORD read = 0;
    LARGE_INTEGER size{};
    const bool done = GetFileSizeEx(file, &size) && ReadFile(file, head, sizeof(head), &read, nullptr);
    const DWORD error = done ? 0 : GetLastError();
    CloseHandle(file);
    return DemoTipText(std::string_view(head, read), static_cast<ULONGLONG>(size.QuadPart), error, SecondsNow());
}
