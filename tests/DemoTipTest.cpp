// The tip over a demo list's entries: what a demo's head shows, read from
// files as the game leaves them, and shown by hovering over an entry.
#include "library/DemoHead.h"
#include "library/Form4.h"
#include "library/Form6.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

#include <commctrl.h>

using namespace test;
using namespace std::string_literals;

namespace {

constexpr std::int32_t kMarch2009 = 1236236589; // 2009-03-05 07:03:09 as it stands
constexpr LONGLONG kNow = 1700000000;

std::string U16(size_t value) { return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)}; }
std::string Ticks(size_t count) { std::string ticks; while (count--) ticks += U16(1); return ticks; }
const std::string kCutShort = U16(500) + "abc"; // a record that the file's end breaks off

// A head as the game writes it; the map's name is given as its bytes. Records
// follow it: by default one cut short, so that nothing can be counted.
std::string Head(const std::string& map, std::int32_t date, std::int32_t ticks, const char* magic = "SOLDEM",
                 const std::string& records = kCutShort) {
    std::string head(kDemoHeadSize, '\0');
    head.replace(0, 6, magic);
    head.replace(8, map.size(), map);
    for (int i = 0; i < 4; ++i) {
        head[172 + i] = static_cast<char>(static_cast<std::uint32_t>(date) >> (8 * i));
        head[176 + i] = static_cast<char>(static_cast<std::uint32_t>(ticks) >> (8 * i));
    }
    return head + records;
}

// A demo without a head: the checked family's start (or none), the player
// list's record with the map's field (or a compressed player list), ticks.
std::string Headless(bool checked, const std::string& map, size_t ticks, const std::string& compressed = "") {
    std::string list = checked ? std::string("\x10\x34\x12") : "\x10";
    list += map + std::string(16 - std::min<size_t>(map.size(), 16), '\0') + std::string(1500, '\0');
    if (!compressed.empty()) list = "\xFF" + compressed;
    return (checked ? std::string(3, '\0') : "") + U16(list.size()) + list + Ticks(ticks);
}

// The date line in the user's own formats, for the fields given.
std::wstring DateLine(const wchar_t* label, const SYSTEMTIME& time) {
    wchar_t date[80], clock[80];
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 80, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 80);
    return label + std::wstring(date) + L" " + clock + L"\r\n";
}
const SYSTEMTIME kMarch{2009, 3, 0, 5, 7, 3, 9, 0}; // kMarch2009's fields

// A last-write time, 2015-05-29 08:50 UTC, and its line in the user's time zone.
const SYSTEMTIME kSavedUtc{2015, 5, 5, 29, 8, 50, 0, 0};
const FILETIME kSaved = [] { FILETIME time{}; SystemTimeToFileTime(&kSavedUtc, &time); return time; }();
std::wstring Saved() {
    SYSTEMTIME t{};
    return SystemTimeToTzSpecificLocalTime(nullptr, &kSavedUtc, &t) ? DateLine(L"Saved: ", t) : L"";
}

std::wstring Tip(const std::string& bytes, ULONGLONG size = kDemoHeadSize) {
    return DemoTipText(ReadDemoBytes(bytes), size, kSaved, 0, kNow);
}

const std::wstring kNoDetails = L"Size: 180 bytes\r\nNo demo details";

std::wstring DecimalPoint() {
    wchar_t point[8] = L".";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, point, 8);
    return point;
}

TEST(DemoTip, ShowsWhatTheHeadHoldsAndLeavesOutWhatDoesNotFit) {
    const std::wstring march = DateLine(L"Recorded: ", kMarch), ash = L"Map: ctf_Ash\r\n";
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, 876 * 60 + 59), 2500000),
              ash + march + L"Length: 14:36\r\nSize: 2" + DecimalPoint() + L"38 MB");
    for (const auto& [seconds, length] : std::vector<std::pair<int, std::wstring>>{
             {3600, L"1:00:00"}, {3767, L"1:02:47"}, {36610, L"10:10:10"}, {610, L"10:10"}, {10, L"0:10"}})
        EXPECT_EQ(Tip(Head("", -1, seconds * 60)), L"Length: " + length + L"\r\nSize: 180 bytes");
    // Cut off: the length was never written (0), or is negative; the ticks
    // after the head are counted, and when they cannot be, 0 is unknown and a
    // negative length left out.
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, 0, "SOLDEM", Ticks(630) + U16(3) + "abc")),
              ash + march + L"Length: 0:10\r\nSize: 180 bytes");
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, -60, "SOLDEM", "")), ash + march + L"Length: 0:00\r\nSize: 180 bytes");
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, 0)), ash + march + L"Length unknown\r\nSize: 180 bytes");
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, -60)), ash + march + L"Size: 180 bytes");
    // A map name fills at most 160 bytes and a NUL, and holds no control characters.
    EXPECT_EQ(Tip(Head(std::string(160, 'a'), -1, -1)), L"Map: " + std::wstring(160, L'a') + L"\r\nSize: 180 bytes");
    for (const char* map : {"", "ctf\tAsh", "ctf\x7f" "Ash", "ctf_Ash\x9d"})
        EXPECT_EQ(Tip(Head(map, -1, -1)), kNoDetails);
    EXPECT_EQ(Tip(Head(std::string(161, 'a'), -1, -1)), kNoDetails);
    // Dates from 2002 on, and at most a day ahead (a clock east of UTC).
    EXPECT_EQ(Tip(Head("", 1009843199, -1)), kNoDetails);
    EXPECT_EQ(Tip(Head("", 1009843200, -1)),
              DateLine(L"Recorded: ", {2002, 1, 0, 1, 0, 0, 0, 0}) + L"Size: 180 bytes");
    EXPECT_NE(Tip(Head("", kNow + 86400, -1)), kNoDetails);
    EXPECT_EQ(Tip(Head("", kNow + 86401, -1)), kNoDetails);
    // No head: the wrong magic, or too short.
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, 60, "SOLDEX")), kNoDetails);
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, 60).substr(0, 179), 179), L"Size: 179 bytes\r\nNo demo details");
    EXPECT_EQ(Tip("", 0), L"Size: 0 bytes\r\nNo demo details");
}

TEST(DemoTip, SizesShowAtMostThreeDigits) {
    const std::wstring point = DecimalPoint();
    for (const auto& [bytes, size] : std::vector<std::pair<ULONGLONG, std::wstring>>{
             {1, L"1 byte"}, {999, L"999 bytes"}, {1000, L"0" + point + L"98 KB"}, {1023, L"1" + point + L"00 KB"},
             {10234, L"9" + point + L"99 KB"}, {10235, L"10" + point + L"0 KB"}, {175104, L"171 KB"},
             {1023487, L"999 KB"}, {1024000, L"0" + point + L"98 MB"}, {1047552, L"1" + point + L"00 MB"},
             {5ULL << 40, L"5" + point + L"00 TB"}})
        EXPECT_EQ(Tip("", bytes), L"Size: " + size + L"\r\nNo demo details");
}

// Demos of the versions before the head: their records must hold together.
TEST(DemoTip, ShowsWhatHeadlessDemosHoldWhenTheirRecordsHoldTogether) {
    const std::wstring saved = Saved(), after = L"Size: 1" + DecimalPoint() + L"95 KB";
    const auto tip = [&](const std::string& bytes) { return Tip(bytes, 2000); };
    EXPECT_EQ(tip(Headless(true, "ctf_Ash", 3660)), L"Map: ctf_Ash\r\n" + saved + L"Length: 1:01\r\n" + after);
    EXPECT_EQ(tip(Headless(false, "ctf_Sixteen_Char", 60)),
              L"Map: ctf_Sixteen_Char\r\n" + saved + L"Length: 0:01\r\n" + after);
    // A compressed player list (zlib); in the checked family after the id and a check value.
    EXPECT_EQ(tip(Headless(false, "", 0, "\x78\xda\x13\xc8\xcc\x4b\x8b\xf7\xcd\xcf\xcf\x2b\xce\xc8\xcc\x4b\x65\x18"
                                       "\x05\xa3\x60\x14\x8c\x82\x51\x30\x9c\x01\x00\xcf\x64\x05\x5d"s)),
              L"Map: inf_Moonshine\r\n" + saved + L"Length: 0:00\r\n" + after);
    EXPECT_EQ(tip(Headless(true, "", 120, "\x78\xda\x13\x30\x11\x4a\x2e\x49\x8b\x77\x2c\xce\x60\x18\x05\xa3\x60"
                                       "\x14\x8c\x82\x51\x30\x0a\x46\xc1\x28\xa0\x22\x00\x00\xa0\xe1\x03\x0f"s)),
              L"Map: ctf_Ash\r\n" + saved + L"Length: 0:02\r\n" + after);
    // No map to show: a stream that is no zlib stream, a field with control characters.
    EXPECT_EQ(tip(Headless(false, "", 60, "not zlib")), saved + L"Length: 0:01\r\n" + after);
    EXPECT_EQ(tip(Headless(true, "ctf\x7f", 60)), saved + L"Length: 0:01\r\n" + after);
    // The checked family ends at a record of size 2; the rest is not read.
    EXPECT_EQ(tip(Headless(true, "a", 60) + U16(2) + "xx" + Ticks(60) + "\x07"), L"Map: a\r\n" + saved +
                                                                                    L"Length: 0:01\r\n" + after);
    // The last record cut short: after 100 whole records (the player list and
    // 99 ticks), not before.
    EXPECT_EQ(tip(Headless(true, "a", 98) + kCutShort), after + L"\r\nNo demo details");
    EXPECT_EQ(tip(Headless(true, "a", 99) + kCutShort), L"Map: a\r\n" + saved + L"Length: 0:01\r\n" + after);
    // Files made to hurt: the first record's size past the end, only the
    // start of a demo, zeros, two bytes.
    for (const std::string& bytes : {U16(1525) + "\x10" + "ctf_Ash", std::string(3, '\0'), std::string(4096, '\0'),
                                     "\x05\x00"s, "\0\0\0\x05\x00\x10"s})
        EXPECT_EQ(tip(bytes), after + L"\r\nNo demo details");
    // Fed in chunks of one byte, as in chunks of any size.
    const std::string demo = Headless(true, "ctf_Ash", 3660);
    DemoReader reader;
    for (char byte : demo) reader.Feed(std::string_view(&byte, 1));
    EXPECT_EQ(DemoTipText(reader.Finish(), 2000, kSaved, 0, kNow), tip(demo));
}

using DemoTipFile = AppTest;

TEST_F(DemoTipFile, IsReadWhileTheGameWritesTheDemoOrSaysWhyNotAndOnceWhileItIsUnchanged) {
    // A name with blanks and letters beyond ASCII; the map in the ANSI code page.
    const std::wstring demo = temp / L"Финал vs Æsir 2.sdm";
    WriteBytes(demo, Head(Encode(L"ctf_Élan", CP_ACP), kMarch2009, 60, "SOLDEM", std::string(1000, 'x')));
    const std::wstring tip = L"Map: ctf_Élan\r\n" + DateLine(L"Recorded: ", kMarch) + L"Length: 0:01\r\nSize: 1" +
                             DecimalPoint() + L"15 KB";
    const auto hold = [&](DWORD access, DWORD share) {
        return CreateFileW(demo.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    HANDLE held = hold(GENERIC_READ, 0);
    EXPECT_EQ(DemoTip(demo), L"In use by another program: its details cannot be read.");
    CloseHandle(held);
    // The game recording it: writing, and letting others read only.
    HANDLE game = hold(GENERIC_WRITE | DELETE, FILE_SHARE_READ);
    EXPECT_EQ(DemoTip(demo), tip);
    CloseHandle(game);
    // Read once, the unchanged demo is not read again (by its path in any
    // letter case): held without sharing, it still shows its details.
    held = hold(GENERIC_READ, 0);
    EXPECT_EQ(DemoTip(temp / L"Финал VS Æsir 2.SDM"), tip);
    CloseHandle(held);
    // Changed to the same size, with another last-write time: read anew.
    WriteBytes(demo, Head("ctf_Run", kMarch2009, 60, "SOLDEM", std::string(1000, 'x')));
    SetFileTimes(demo, kSavedUtc);
    EXPECT_EQ(DemoTip(demo).substr(0, 14), L"Map: ctf_Run\r\n");
    MakeFolder(temp / L"folder.sdm");
    EXPECT_EQ(DemoTip(temp / L"folder.sdm"), L"A folder, not a demo.");
    EXPECT_EQ(DemoTip(temp / L"gone.sdm"), L"No longer in the demo folder.");
}

// The tip shown for the entry of a list that the mouse rests on (-1: off the
// list), or half an entry below it (where no tip shows).
std::wstring TipOver(const DemoTips& tips, HWND list, int entry, bool below = false) {
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&item));
    POINT at{item.left + 20, (item.top + item.bottom) / 2 + (below ? item.bottom - item.top : 0)};
    ClientToScreen(list, &at);
    if (entry < 0) at = POINT{0, 0};
    SetCursorPos(at.x, at.y);
    const std::wstring before = tips.Tooltip() ? TextOf(tips.Tooltip()) : L"";
    const auto shown = [&] { return tips.Tooltip() && IsWindowVisible(tips.Tooltip()); };
    PumpUntil([&] { return entry < 0 || below ? !shown() : shown() && TextOf(tips.Tooltip()) != before; });
    return shown() ? TextOf(tips.Tooltip()) : L"(no tip)";
}

using DemoTipWindow = GameTest;

TEST_F(DemoTipWindow, HoveringOverAnEntryShowsItsTipUntilTheMouseLeavesTheList) {
    WriteBytes(game->Demo(L"a.sdm"), Head("ctf_Ash", kMarch2009, 60));
    WriteBytes(game->Demo(L"b.sdm"), "not a demo");
    WriteBytes(game->Demo(L"c.sdm"), Headless(true, "ctf_Run", 120));
    SetFileTimes(game->Demo(L"c.sdm"), kSavedUtc);
    Form4& library = Form4::Get();
    library.Show();
    const std::wstring a = L"Map: ctf_Ash\r\n" + DateLine(L"Recorded: ", kMarch) + L"Length: 0:01\r\nSize: 185 bytes";
    const std::wstring b = L"Size: 10 bytes\r\nNo demo details";
    ASSERT_EQ(ListEntries(library.DemoList), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(TipOver(library.Tips, library.DemoList, 0), a);
    EXPECT_EQ(TipOver(library.Tips, library.DemoList, 2),
              L"Map: ctf_Run\r\n" + Saved() + L"Length: 0:02\r\nSize: 1" + DecimalPoint() + L"72 KB");
    EXPECT_EQ(TipOver(library.Tips, library.DemoList, 2, true), L"(no tip)");
    EXPECT_EQ(TipOver(library.Tips, library.DemoList, 1), b);
    // A click takes the tip down and only selects.
    INPUT click[2]{{INPUT_MOUSE, {}}, {INPUT_MOUSE, {}}};
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([&] { return library.Selected() == 1; }));
    EXPECT_FALSE(IsWindowVisible(library.Tips.Tooltip()));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(TipOver(library.Tips, library.DemoList, -1), L"(no tip)");
    library.BAutorename_Click();
    EXPECT_EQ(TipOver(Form6::Get().Tips, Form6::Get().DemoList, 1), b);
    EXPECT_EQ(TipOver(Form6::Get().Tips, Form6::Get().DemoList, -1), L"(no tip)");
}

TEST_F(DemoTipWindow, ATipIsAsWideAsTheWindowsDpiAllowsAndGoesWhenTheListScrolls) {
    for (int minutes = 10; minutes < 50; ++minutes)
        WriteBytes(game->Demo(std::to_wstring(minutes) + L".sdm"), Head("", -1, minutes * 3600));
    Form4& library = Form4::Get();
    library.Show();
    RECT suggested{};
    GetWindowRect(library.Hwnd(), &suggested);
    SendMessageW(library.Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ASSERT_EQ(library.Dpi(), 144);
    EXPECT_EQ(TipOver(library.Tips, library.DemoList, 1), L"Length: 11:00\r\nSize: 185 bytes");
    EXPECT_EQ(SendMessageW(library.Tips.Tooltip(), TTM_GETMAXTIPWIDTH, 0, 0), MulDiv(400, 144, 96));
    // The entry under the mouse is another after a scroll: the tip goes (a
    // tip that would not go by itself before the wait is over).
    SendMessageW(library.Tips.Tooltip(), TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
    EXPECT_EQ(TipOver(library.Tips, library.DemoList, 2), L"Length: 12:00\r\nSize: 185 bytes");
    SendMessageW(library.DemoList, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(library.Tips.Tooltip()); }));
    const int top = static_cast<int>(SendMessageW(library.DemoList, LB_GETTOPINDEX, 0, 0));
    ASSERT_GT(top, 0);
    EXPECT_EQ(TipOver(library.Tips, library.DemoList, top + 2),
              L"Length: " + std::to_wstring(top + 12) + L":00\r\nSize: 185 bytes");
}

} // namespace
