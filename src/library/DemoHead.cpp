#include "library/DemoHead.h"

#include "ui/Host.h"

#include <cmath>
#include <cstdint>
#include <iterator>

namespace {

constexpr LONGLONG kFirstDate = 1009843200; // 2002-01-01 00:00:00
constexpr LONGLONG kDay = 86400;            // seconds
constexpr std::uint64_t kTicksPerSecond = 60;
constexpr ULONGLONG kSecondsFrom1601To1970 = 11644473600ULL;
constexpr ULONGLONG kFileTimeUnitsPerSecond = 10000000ULL;

bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// The map's name, or empty when the field holds none that can be shown: none
// at all, no NUL to end a head's field, bytes that are no text in the code
// page, or control characters. A player list's field needs no NUL when all
// 16 bytes are used.
std::wstring MapName(const DemoFacts& facts) {
    const std::string_view field = facts.map;
    size_t end = field.find('\0');
    if (end == std::string_view::npos) {
        if (facts.family == DemoFamily::WithHead) return {};
        end = field.size();
    }
    if (end == 0) return {};
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

// A date and time in the user's short date and time formats.
std::wstring DateLine(const wchar_t* label, const SYSTEMTIME& fields) {
    wchar_t date[80], clock[80];
    if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &fields, nullptr, date, 80, nullptr) ||
        !GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &fields, nullptr, clock, 80))
        return {};
    return label + std::wstring(date) + L" " + clock;
}

// The head's date as it stands (no time zone applies).
std::wstring RecordedLine(std::int32_t seconds, LONGLONG now) {
    if (seconds < kFirstDate || seconds > now + kDay) return {};
    ULARGE_INTEGER units;
    units.QuadPart = (static_cast<ULONGLONG>(seconds) + kSecondsFrom1601To1970) * kFileTimeUnitsPerSecond;
    const FILETIME time{units.LowPart, units.HighPart};
    SYSTEMTIME fields;
    return FileTimeToSystemTime(&time, &fields) ? DateLine(L"Recorded: ", fields) : std::wstring();
}

// The file's last-write time in the user's time zone, with the rules of
// daylight saving time of that date (not today's offset).
std::wstring SavedLine(const FILETIME& saved) {
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&saved, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return {};
    return DateLine(L"Saved: ", local);
}

std::wstring TwoDigits(std::uint64_t value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }

// m:ss, or h:mm:ss from an hour on.
std::wstring LengthLine(std::uint64_t ticks) {
    const std::uint64_t seconds = ticks / kTicksPerSecond;
    if (seconds < 3600) return L"Length: " + std::to_wstring(seconds / 60) + L":" + TwoDigits(seconds % 60);
    return L"Length: " + std::to_wstring(seconds / 3600) + L":" + TwoDigits(seconds / 60 % 60) + L":" +
           TwoDigits(seconds % 60);
}

// The head's length; when it is 0 or less, the ticks counted.
std::wstring HeadLengthLine(const DemoFacts& facts) {
    if (facts.headTicks > 0) return LengthLine(static_cast<std::uint64_t>(facts.headTicks));
    if (facts.ticks) return LengthLine(*facts.ticks);
    return facts.headTicks == 0 ? L"Length unknown" : L"";
}

// The user's decimal separator; "." when it cannot be read.
std::wstring DecimalSeparator() {
    wchar_t separator[8];
    if (!GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, static_cast<int>(std::size(separator))))
        return L".";
    return separator;
}

// The rule is DemoHead.h's: rounded first, then unit and decimals from the
// rounded value. Whole numbers throughout, so nothing is looked for in text.
std::wstring SizeText(ULONGLONG bytes) {
    if (bytes < 1000) return std::to_wstring(bytes) + (bytes == 1 ? L" byte" : L" bytes");
    static const wchar_t* const kUnits[] = {L"KB", L"MB", L"GB", L"TB"};
    double value = static_cast<double>(bytes);
    for (size_t unit = 0; unit < std::size(kUnits); ++unit) {
        value /= 1024;
        for (const int decimals : {2, 1, 0}) {
            const std::uint64_t scale = decimals == 2 ? 100 : decimals == 1 ? 10 : 1;
            const auto rounded = static_cast<std::uint64_t>(std::llround(value * static_cast<double>(scale)));
            if (rounded >= 1000 && (decimals > 0 || unit + 1 < std::size(kUnits))) continue;
            std::wstring text = std::to_wstring(rounded / scale);
            if (decimals > 0) {
                const std::wstring fraction = std::to_wstring(rounded % scale + scale);
                text += DecimalSeparator() + fraction.substr(1);
            }
            return text + L" " + kUnits[unit];
        }
    }
    return {};
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

} // namespace

std::wstring DemoTipText(const DemoFacts& facts, ULONGLONG size, const FILETIME& saved, DWORD error, LONGLONG now) {
    if (error != 0) return ReadFailure(error);
    std::wstring text;
    const auto add = [&text](const std::wstring& line) {
        if (line.empty()) return;
        if (!text.empty()) text += L"\r\n";
        text += line;
    };
    if (facts.family != DemoFamily::None) {
        const std::wstring map = MapName(facts);
        if (!map.empty()) add(L"Map: " + map);
        if (facts.family == DemoFamily::WithHead) {
            add(RecordedLine(facts.headDate, now));
            add(HeadLengthLine(facts));
        } else {
            add(SavedLine(saved));
            if (facts.ticks) add(LengthLine(*facts.ticks));
        }
    }
    const bool details = !text.empty();
    add(L"Size: " + SizeText(size));
    if (!details) add(L"No demo details");
    return text;
}
