// The tip over a demo list's entries: what a demo's head shows, read from
// files as the game leaves them, and shown by hovering over an entry.
#include "library/DemoHead.h"
#include "library/Form4.h"
#include "library/Form6.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

using namespace test;

namespace {

constexpr std::int32_t kMarch2009 = 1236236589; // 2009-03-05 07:03:09 as it stands
constexpr LONGLONG kNow = 1700000000;

// A head as the game writes it; the map's name is given as its bytes.
std::string Head(const std::string& map, std::int32_t date, std::int32_t ticks, const char* magic = "SOLDEM") {
    std::string head(kDemoHeadSize, '\0');
    head.replace(0, 6, magic);
    head.replace(8, map.size(), map);
    for (int i = 0; i < 4; ++i) {
        head[172 + i] = static_cast<char>(static_cast<std::uint32_t>(date) >> (8 * i));
        head[176 + i] = static_cast<char>(static_cast<std::uint32_t>(ticks) >> (8 * i));
    }
    return head;
}

// The date line in the user's own formats, for the fields given.
std::wstring Recorded(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    const SYSTEMTIME time{year, month, 0, day, hour, minute, 0, 0};
    wchar_t date[80], clock[80];
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 80, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 80);
    return L"Recorded: " + std::wstring(date) + L" " + clock + L"\r\n";
}

std::wstring Tip(const std::string& bytes, ULONGLONG size = kDemoHeadSize) { return DemoTipText(bytes, size, 0, kNow); }

const std::wstring kNoDetails = L"Size: 180 bytes\r\nNo demo details";

std::wstring DecimalPoint() {
    wchar_t point[8] = L".";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, point, 8);
    return point;
}

TEST(DemoTip, ShowsWhatTheHeadHoldsAndLeavesOutWhatDoesNotFit) {
    const std::wstring march = Recorded(2009, 3, 5, 7, 3), ash = L"Map: ctf_Ash\r\n";
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, 876 * 60 + 59), 2500000),
              ash + march + L"Length: 14:36\r\nSize: 2" + DecimalPoint() + L"38 MB");
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, 3767 * 60)), ash + march + L"Length: 1:02:47\r\nSize: 180 bytes");
    // Cut off: the length was never written. A negative one is left out.
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, 0)), ash + march + L"Length unknown\r\nSize: 180 bytes");
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, -60)), ash + march + L"Size: 180 bytes");
    // A map name fills at most 160 bytes and a NUL, and holds no control characters.
    EXPECT_EQ(Tip(Head(std::string(160, 'a'), -1, -1)), L"Map: " + std::wstring(160, L'a') + L"\r\nSize: 180 bytes");
    EXPECT_EQ(Tip(Head(std::string(161, 'a'), -1, -1)), kNoDetails);
    EXPECT_EQ(Tip(Head("ctf\tAsh", -1, -1)), kNoDetails);
    EXPECT_EQ(Tip(Head("ctf_Ash\x9d", -1, -1)), kNoDetails);
    // Dates from 2002 on, and at most a day ahead (a clock east of UTC).
    EXPECT_EQ(Tip(Head("", 1009843199, -1)), kNoDetails);
    EXPECT_EQ(Tip(Head("", 1009843200, -1)), Recorded(2002, 1, 1, 0, 0) + L"Size: 180 bytes");
    EXPECT_NE(Tip(Head("", kNow + 86400, -1)), kNoDetails);
    EXPECT_EQ(Tip(Head("", kNow + 86401, -1)), kNoDetails);
    // No head: the wrong magic, or too short.
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, 60, "SOLDEX")), kNoDetails);
    EXPECT_EQ(Tip(Head("ctf_Ash", kMarch2009, 60).substr(0, 179), 179), L"Size: 179 bytes\r\nNo demo details");
    EXPECT_EQ(Tip("", 0), L"Size: 0 bytes\r\nNo demo details");
}

using DemoTipFile = AppTest;

TEST_F(DemoTipFile, IsReadWhileTheGameWritesTheDemoOrSaysWhyNot) {
    // A name with blanks and letters beyond ASCII; the map in the ANSI code page.
    const std::wstring demo = temp / L"Финал vs Æsir 2.sdm";
    WriteBytes(demo, Head(Encode(L"ctf_Élan", CP_ACP), kMarch2009, 60) + std::string(1000, 'x'));
    const std::wstring tip = L"Map: ctf_Élan\r\n" + Recorded(2009, 3, 5, 7, 3) + L"Length: 0:01\r\nSize: 1" +
                             DecimalPoint() + L"15 KB";
    EXPECT_EQ(DemoTip(demo), tip);
    // The game recording it: writing, and letting others read only.
    HANDLE game = CreateFileW(demo.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    EXPECT_EQ(DemoTip(demo), tip);
    CloseHandle(game);
    HANDLE held = CreateFileW(demo.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(DemoTip(demo), L"In use by another program: its details cannot be read.");
    CloseHandle(held);
    MakeFolder(temp / L"folder.sdm");
    EXPECT_EQ(DemoTip(temp / L"folder.sdm"), L"A folder, not a demo.");
}

// The tip shown for the entry of a list that the mouse rests on (-1: off the list).
std::wstring TipOver(const DemoTips& tips, HWND list, int entry) {
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&item));
    POINT at{item.left + 20, (item.top + item.bottom) / 2};
    ClientToScreen(list, &at);
    if (entry < 0) at = POINT{0, 0};
    SetCursorPos(at.x, at.y);
    const std::wstring before = tips.Tooltip() ? TextOf(tips.Tooltip()) : L"";
    const auto shown = [&] { return tips.Tooltip() && IsWindowVisible(tips.Tooltip()); };
    PumpUntil([&] { return entry < 0 ? !shown() : shown() && TextOf(tips.Tooltip()) != before; });
    return shown() ? TextOf(tips.Tooltip()) : L"(no tip)";
}

using DemoTipWindow = GameTest;

TEST_F(DemoTipWindow, HoveringOverAnEntryShowsItsTipUntilTheMouseLeavesTheList) {
    WriteBytes(game->Demo(L"a.sdm"), Head("ctf_Ash", kMarch2009, 60));
    WriteBytes(game->Demo(L"b.sdm"), "not a demo");
    Form4& library = Form4::Get();
    library.Show();
    const std::wstring a = L"Map: ctf_Ash\r\n" + Recorded(2009, 3, 5, 7, 3) + L"Length: 0:01\r\nSize: 180 bytes";
    ASSERT_EQ(ListEntries(library.DemoList), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(TipOver(library.Tips, library.DemoList, 0), a);
    EXPECT_EQ(TipOver(library.Tips, library.DemoList, 1), L"Size: 10 bytes\r\nNo demo details");
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
    EXPECT_EQ(TipOver(Form6::Get().Tips, Form6::Get().DemoList, 0), a);
    EXPECT_EQ(TipOver(Form6::Get().Tips, Form6::Get().DemoList, -1), L"(no tip)");
}

} // namespace
