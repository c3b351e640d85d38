#include "tips.h"

#include "files.h"
#include "text.h"
#include "timing.h"

#include "library/DemoHead.h"

#include <windows.h>

#include <cstdint>

namespace bench {

namespace {

std::string U16(size_t value) { return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)}; }

// A demo of the checked family (1.6.4 to 1.7.1) of about MB megabytes: the
// player list of 1.6.9 (2,150 bytes, on ctf_Ash), then for every tick a tick
// record and two messages of 20 to 59 bytes (about 5 KB a second of play, so
// that 40 MB is some two hours). Returns the ticks written.
std::uint64_t WriteDemo(const std::wstring& path, int mb) {
    std::string list = std::string("\x10\x34\x12") + "ctf_Ash";
    list.resize(2150, '\0');
    const size_t size = static_cast<size_t>(mb) << 20;
    std::string bytes;
    bytes.reserve(size + 256);
    bytes = std::string(3, '\0') + U16(list.size()) + list;
    std::uint32_t random = 12345;
    std::uint64_t ticks = 0;
    while (bytes.size() < size) {
        bytes += U16(1);
        ++ticks;
        for (int message = 0; message < 2; ++message) {
            random = random * 1103515245u + 12345u;
            const size_t length = 20 + (random >> 16) % 40;
            bytes += U16(length) + std::string(length, static_cast<char>(0x20 + message));
        }
    }
    if (!WriteFileBytes(path, bytes)) Die(L"cannot write " + path);
    return ticks;
}

// A new last-write time for each run: the tip then reads the demo anew.
void Touch(const std::wstring& path, int run) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ULARGE_INTEGER units;
    units.QuadPart = 130000000000000000ULL + static_cast<ULONGLONG>(run) * 10000000ULL;
    const FILETIME time{units.LowPart, units.HighPart};
    if (file == INVALID_HANDLE_VALUE || !SetFileTime(file, nullptr, nullptr, &time)) Die(L"cannot touch " + path);
    CloseHandle(file);
}

// "Length: m:ss" or "h:mm:ss" of the ticks, as the tip writes it.
std::wstring LengthOf(std::uint64_t ticks) {
    const unsigned long long seconds = ticks / 60;
    if (seconds < 3600) return Format(L"Length: %llu:%02llu", seconds / 60, seconds % 60);
    return Format(L"Length: %llu:%02llu:%02llu", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

void MeasureSize(const std::wstring& work, int mb, int runs, Results& out) {
    const std::wstring path = work + L"\\tip-" + std::to_wstring(mb) + L".sdm";
    const std::wstring length = LengthOf(WriteDemo(path, mb));
    DemoTip(path); // into the system's cache
    const std::wstring key = L"tip/" + std::to_wstring(mb);
    Figure &first = out.figures[key], &again = out.figures[key + L"/again"];
    for (int run = 0; run < runs; ++run) {
        Touch(path, run);
        std::wstring tip, second;
        first.Add(TimeMs([&] { tip = DemoTip(path); }));
        again.Add(TimeMs([&] { second = DemoTip(path); }));
        if (tip.find(length) == std::wstring::npos || second != tip)
            Die(L"the tip of " + path + L" is not the demo's: " + tip);
    }
    DeleteFileW(path.c_str());
    Progress(Format(L"tip of %d MB: %.1f ms, again %.2f ms", mb, first.Median(), again.Median()));
}

} // namespace

void MeasureTips(const Options& options, const Counts& counts, Results& out) {
    for (int mb : kTipSizes) MeasureSize(options.work, mb, counts.refresh, out);
}

} // namespace bench
