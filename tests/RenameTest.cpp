// The rename window and the autorename window, with the library they hand
// back to.
#include "library/Form4.h"
#include "library/Form5.h"
#include "library/Form6.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

#include <algorithm>

using namespace test;

namespace {

using Names = std::vector<std::wstring>;

class RenameTest : public GameTest {
protected:
    void AddDemo(const std::wstring& name, const SYSTEMTIME* created = nullptr) {
        WriteBytes(game->Demo(name + L".sdm"), "demo");
        if (created) SetFileTimes(game->Demo(name + L".sdm"), *created);
    }
    Form4& Library() {
        Form4& library = Form4::Get();
        library.Show();
        return library;
    }
    static Names Entries(const Form4& form) { return ListEntries(form.DemoList); }
    // Opens the rename window for an entry of the library.
    Form5& RenameWindowFor(const std::wstring& entry) {
        Form4& library = Library();
        Names names = Entries(library);
        auto at = std::find(names.begin(), names.end(), entry);
        EXPECT_NE(at, names.end());
        SendMessageW(library.DemoList, LB_SETCURSEL, static_cast<WPARAM>(at - names.begin()), 0);
        SendMessageW(library.BRename, BM_CLICK, 0, 0);
        return Form5::Get();
    }
    // Types a name and presses Rename; expects the hand-back.
    void RenameTo(const std::wstring& typed) {
        Form5& form = Form5::Get();
        SetWindowTextW(form.TFileName, typed.c_str());
        ASSERT_TRUE(IsWindowEnabled(form.BRename));
        SendMessageW(form.BRename, BM_CLICK, 0, 0);
        EXPECT_FALSE(form.IsVisible());
        EXPECT_TRUE(Form4::Get().IsEnabled());
        // The library's next tick re-reads the list.
        EXPECT_TRUE(PumpUntil([] { return !Form4::Get().FileTimer.Enabled(); }));
    }
    Names DemoFiles() const {
        Names names = game->Demos();
        return names;
    }
    static SYSTEMTIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms = 0) {
        SYSTEMTIME time{};
        time.wYear = year;
        time.wMonth = month;
        time.wDay = day;
        time.wHour = hour;
        time.wMinute = minute;
        time.wSecond = second;
        time.wMilliseconds = ms;
        return time;
    }
};

// ---- Rename --------------------------------------------------------------

TEST_F(RenameTest, TheCaptionFollowsTheDemoInHand) {
    AddDemo(L"final round");
    Form5& form = RenameWindowFor(L"final round");
    EXPECT_TRUE(form.IsVisible());
    EXPECT_FALSE(Form4::Get().IsEnabled());
    ASSERT_TRUE(PumpUntil([&] { return TextOf(form.Hwnd()) == L"Rename file: final round.sdm"; }));

    SendMessageW(form.BCancel, BM_CLICK, 0, 0);
    EXPECT_EQ(MainModule::RenameName, L"");
    EXPECT_FALSE(form.IsVisible());
    EXPECT_TRUE(Form4::Get().IsEnabled());
    ASSERT_TRUE(PumpUntil([&] { return TextOf(form.Hwnd()) == L"Rename file: .sdm"; }));
    EXPECT_EQ(DemoFiles(), Names{L"final round.sdm"});
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(RenameTest, BlanksBecomeUnderscoresAndTheLibraryReReadsWithinATick) {
    AddDemo(L"a");
    AddDemo(L"b");
    Form4& library = Library();
    Names before = Entries(library);
    int position = static_cast<int>(std::find(before.begin(), before.end(), L"b") - before.begin());
    RenameWindowFor(L"b");
    RenameTo(L"  final round 2 ");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(DemoFiles(), (Names{L"__final_round_2_.sdm", L"a.sdm"}));
    ASSERT_TRUE(PumpUntil([&] {
        Names names = Entries(library);
        return std::find(names.begin(), names.end(), L"__final_round_2_") != names.end();
    }));
    EXPECT_EQ(library.Selected(), position);
    EXPECT_FALSE(library.FileTimer.Enabled());
    EXPECT_EQ(MainModule::RenameName, L"b"); // kept after Rename

    // An empty name gives the file ".sdm".
    RenameWindowFor(L"a");
    RenameTo(L"");
    EXPECT_EQ(DemoFiles(), (Names{L".sdm", L"__final_round_2_.sdm"}));
}

TEST_F(RenameTest, ATakenNameIsRefusedAndBothFilesStay) {
    AddDemo(L"a");
    AddDemo(L"b");
    WriteBytes(game->Demo(L"hidden.sdm"), "h");
    SetFileAttributesW(game->Demo(L"hidden.sdm").c_str(), FILE_ATTRIBUTE_HIDDEN);
    MakeFolder(game->Demo(L"folder.sdm"));
    for (std::wstring typed : {L"b", L"A", L"a", L"hidden", L"folder"}) {
        host.messages.clear();
        RenameWindowFor(L"a");
        RenameTo(typed);
        ASSERT_EQ(host.messages.size(), 1u) << std::string(typed.begin(), typed.end());
        EXPECT_EQ(host.messages[0].text,
                  L"Error while renaming file: '" + game->path + L"\\Demos\\" + typed + L".sdm' already exists.");
        EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONERROR));
    }
    EXPECT_EQ(DemoFiles(), (Names{L"a.sdm", L"b.sdm", L"folder.sdm", L"hidden.sdm"}));
    EXPECT_EQ(ReadBytes(game->Demo(L"hidden.sdm")), "h");
}

TEST_F(RenameTest, ADemoGoneSinceTheListWasReadIsReported) {
    AddDemo(L"gone");
    RenameWindowFor(L"gone");
    DeleteFileW(game->Demo(L"gone.sdm").c_str());
    RenameTo(L"new");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, L"Error while renaming file: '" + game->path + L"\\Demos\\gone' does not exist.");
    EXPECT_TRUE(DemoFiles().empty());
}

TEST_F(RenameTest, NamesThatWouldLeaveTheFolderOrReachADeviceAreRefused) {
    AddDemo(L"a");
    const std::wstring refused[] = {L"..\\escaped", L"sub/dir", L"C:evil",    L"x:stream",  L"a*",         L"what?",
                                    L"say\"hi",     L"a<b",     L"a>b",       L"a|b",       L"tab\there",  L"CON",
                                    L"con",         L"NUL",     L"aux",       L"PRN",       L"COM1",       L"lpt9",
                                    L"nul.txt",     L"CON.sdm", L"COM\u00B9", L"lpt\u00B2", L"Com\u00B3.x"};
    for (const std::wstring& typed : refused) {
        host.messages.clear();
        RenameWindowFor(L"a");
        RenameTo(typed);
        ASSERT_EQ(host.messages.size(), 1u) << std::string(typed.begin(), typed.end());
        EXPECT_EQ(host.messages[0].text.find(L"'" + typed + L".sdm' cannot be a demo's name: "), 0u);
        EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONERROR));
    }
    EXPECT_EQ(DemoFiles(), Names{L"a.sdm"});
    EXPECT_TRUE(NamesIn(game->path).size() == 2u); // Demos and Soldat.exe, nothing else
    EXPECT_FALSE(Exists(temp / L"escaped.sdm"));

    // Names that only look alike pass.
    for (std::wstring typed : {L"console", L"COM10", L"nul_", L"LPT"}) {
        host.messages.clear();
        RenameWindowFor(DemoFiles()[0].substr(0, DemoFiles()[0].size() - 4));
        RenameTo(typed);
        EXPECT_TRUE(host.messages.empty()) << std::string(typed.begin(), typed.end());
        EXPECT_EQ(DemoFiles(), Names{typed + L".sdm"});
    }
}

TEST_F(RenameTest, ARenameThePlatformRefusesIsReportedAndTheFileKeepsItsName) {
    AddDemo(L"a");
    RenameWindowFor(L"a");
    std::wstring tooLong(300, L'x');
    RenameTo(tooLong);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.find(L"Could not rename '" + game->Demo(L"a.sdm") + L"' to '" +
                                         game->Demo(tooLong + L".sdm") + L"': "),
              0u);
    EXPECT_NE(host.messages[0].text.find(L"(error "), std::wstring::npos);
    EXPECT_EQ(DemoFiles(), Names{L"a.sdm"});
}

// ---- Autorename ----------------------------------------------------------

class AutorenameTest : public RenameTest {
protected:
    Form6& Open() {
        Form4& library = Library();
        SendMessageW(library.BAutorename, BM_CLICK, 0, 0);
        return Form6::Get();
    }
    static Names Marked(const Form6& form) {
        Names names;
        for (int i = 0; i < form.EntryCount(); ++i)
            if (form.IsMarked(i)) names.push_back(form.EntryText(i));
        std::sort(names.begin(), names.end());
        return names;
    }
    void Run(Form6& form) {
        SendMessageW(form.BRename, BM_CLICK, 0, 0);
        EXPECT_FALSE(form.IsVisible());
        EXPECT_TRUE(Form4::Get().IsEnabled());
        // The library's next tick re-reads the list.
        EXPECT_TRUE(PumpUntil([] { return !Form4::Get().FileTimer.Enabled(); }));
    }
    std::wstring LastReport() const { return host.messages.empty() ? L"" : host.messages.back().text; }
};

TEST_F(AutorenameTest, MarksEveryDemoButTheIntros) {
    for (const wchar_t* name : {L"intro", L"intro ctf_Ash", L"Intro x", L"introduction", L"intro_2", L"match", L""})
        AddDemo(name);
    Form6& form = Open();
    EXPECT_TRUE(form.IsVisible());
    EXPECT_FALSE(Form4::Get().IsEnabled());
    EXPECT_TRUE(Form4::Get().FileTimer.Enabled());
    EXPECT_EQ(form.EntryCount(), 7);
    EXPECT_EQ(Marked(form), (Names{L"", L"Intro x", L"intro_2", L"introduction", L"match"}));
}

TEST_F(AutorenameTest, NamesComeFromTheUtcCreationTimeWithoutLeadingZeros) {
    SYSTEMTIME march = Utc(2009, 3, 5, 7, 3, 9, 250), april = Utc(2009, 4, 14, 21, 32, 5);
    AddDemo(L"one", &march);
    AddDemo(L"two", &april);
    AddDemo(L"intro");
    WriteBytes(game->Demo(L"THREE.SDM"), "demo"); // found in any letter case
    SetFileTimes(game->Demo(L"THREE.SDM"), Utc(2009, 6, 1, 0, 0, 0));
    Form6& form = Open();
    const std::wstring description = TextOf(form.Label1);
    // While it runs, the window shows how far it got, repaints, and its
    // controls take no input until the end-of-run message is answered.
    int paints = 0;
    static int* paintCount;
    paintCount = &paints;
    // A hook procedure is stdcall on x86, which GCC's lambdas do not convert to.
    struct Hook {
        static LRESULT CALLBACK CountPaints(int code, WPARAM wParam, LPARAM lParam) {
            if (code == HC_ACTION && reinterpret_cast<MSG*>(lParam)->message == WM_PAINT) ++*paintCount;
            return CallNextHookEx(nullptr, code, wParam, lParam);
        }
    };
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, Hook::CountPaints, nullptr, GetCurrentThreadId());
    host.onMessage = [&](const Message&) {
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(TextOf(form.Label1), L"Renaming 3 of 3...");
        EXPECT_GT(paints, 0);
        for (HWND control : {form.BRename, form.BCancel, form.DemoList}) EXPECT_FALSE(IsWindowEnabled(control));
    };
    Run(form);
    EXPECT_EQ(DemoFiles(),
              (Names{L"2009-3-5_7-3-9.sdm", L"2009-4-14_21-32-5.sdm", L"2009-6-1_0-0-0.sdm", L"intro.sdm"}));
    EXPECT_EQ(LastReport(), L"Successfully renamed 3 files!");
    EXPECT_EQ(host.messages.back().Icon(), 0u);
    EXPECT_EQ(TextOf(form.Label1), description);
    for (HWND control : {form.BRename, form.BCancel, form.DemoList}) EXPECT_TRUE(IsWindowEnabled(control));

    // The library re-reads once the window has handed back.
    ASSERT_TRUE(PumpUntil([&] {
        Names entries = Entries(Form4::Get());
        return entries.size() == 4 && std::find(entries.begin(), entries.end(), L"one") == entries.end();
    }));
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    RecordProperty("local_bias_minutes", static_cast<int>(zone.Bias));
}

TEST_F(AutorenameTest, TakenNamesAskYesSkipsNoAddsUnderscores) {
    SYSTEMTIME second = Utc(2010, 1, 2, 3, 4, 5);
    AddDemo(L"first", &second);
    AddDemo(L"second", &second);         // the same second: asked, skipped
    AddDemo(L"2010-1-2_3-4-5", &second); // already named so: asked, No once
    SYSTEMTIME other = Utc(2011, 6, 7, 8, 9, 10);
    AddDemo(L"third", &other); // three names taken: No three times
    WriteBytes(game->Demo(L"2011-6-7_8-9-10.sdm"), "x");
    SetFileTimes(game->Demo(L"2011-6-7_8-9-10.sdm"), other);
    WriteBytes(game->Demo(L"2011-6-7_8-9-10_.sdm"), "y");
    SetFileAttributesW(game->Demo(L"2011-6-7_8-9-10_.sdm").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Form6& form = Open();
    // Only these three are run; the files named for 2011 stay as they are.
    for (int i = 0; i < form.EntryCount(); ++i) {
        std::wstring entry = form.EntryText(i);
        form.SetMarked(i, entry == L"first" || entry == L"second" || entry == L"2010-1-2_3-4-5" || entry == L"third");
    }
    // Entries come in the folder's order; answer by the question's text.
    // While the first is asked about, another program takes a name that
    // "third" will come to: asked about too, and kept.
    host.onMessage = [&](const Message& message) {
        if (message.Buttons() != MB_YESNO) return;
        if (message.text.find(L"\\second.sdm'") != std::wstring::npos) host.Answer(IDYES);
        else host.Answer(IDNO);
        if (!Exists(game->Demo(L"2011-6-7_8-9-10__.sdm"))) WriteBytes(game->Demo(L"2011-6-7_8-9-10__.sdm"), "z");
    };
    Run(form);

    EXPECT_EQ(DemoFiles(),
              (Names{L"2010-1-2_3-4-5.sdm", L"2010-1-2_3-4-5_.sdm", L"2011-6-7_8-9-10.sdm", L"2011-6-7_8-9-10_.sdm",
                     L"2011-6-7_8-9-10__.sdm", L"2011-6-7_8-9-10___.sdm", L"second.sdm"}));
    EXPECT_EQ(LastReport(), L"Successfully renamed 3 files!");
    const std::wstring folder = game->path + L"\\Demos\\";
    auto has = [&](const std::wstring& text) {
        return std::any_of(host.messages.begin(), host.messages.end(),
                           [&](const Message& m) { return m.text == text; });
    };
    EXPECT_TRUE(has(L"Error while renaming file '" + folder + L"second.sdm' to '" + folder +
                    L"2010-1-2_3-4-5.sdm':\r\nTarget file already exists. Do you want to skip this file?"));
    EXPECT_TRUE(has(L"Error while renaming file '" + folder + L"2010-1-2_3-4-5.sdm' to '" + folder +
                    L"2010-1-2_3-4-5.sdm':\r\nTarget file already exists. Do you want to skip this file?"));
    EXPECT_TRUE(has(L"New target file: '" + folder + L"2010-1-2_3-4-5_.sdm'"));
    EXPECT_TRUE(has(L"New target file: '" + folder + L"2011-6-7_8-9-10___.sdm'"));
    EXPECT_EQ(ReadBytes(folder + L"2011-6-7_8-9-10_.sdm"), "y");
    EXPECT_EQ(ReadBytes(folder + L"2011-6-7_8-9-10__.sdm"), "z");
    // Yes skips the demo outright: no rename is tried, so nothing fails.
    EXPECT_TRUE(std::none_of(host.messages.begin(), host.messages.end(),
                             [](const Message& m) { return m.Icon() == MB_ICONERROR; }));
}

TEST_F(AutorenameTest, FailuresAreReportedNotCountedAndTheRunGoesOn) {
    SYSTEMTIME a = Utc(2012, 1, 1, 0, 0, 1), b = Utc(2012, 1, 1, 0, 0, 2), c = Utc(2012, 1, 1, 0, 0, 3);
    AddDemo(L"busy", &a);
    AddDemo(L"vanishing", &b);
    AddDemo(L"fine", &c);
    Form6& form = Open();
    DeleteFileW(game->Demo(L"vanishing.sdm").c_str());
    // Held open without leave to delete or rename: the rename fails.
    HANDLE busy = CreateFileW(game->Demo(L"busy.sdm").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    Run(form);
    CloseHandle(busy);

    EXPECT_EQ(DemoFiles(), (Names{L"2012-1-1_0-0-3.sdm", L"busy.sdm"}));
    EXPECT_EQ(LastReport(), L"Successfully renamed 1 files!");
    auto starts = [&](const std::wstring& prefix) {
        return std::any_of(host.messages.begin(), host.messages.end(),
                           [&](const Message& m) { return m.text.rfind(prefix, 0) == 0 && m.Icon() == MB_ICONERROR; });
    };
    EXPECT_TRUE(starts(L"Could not rename '" + game->Demo(L"busy.sdm") + L"' to '" + game->Demo(L"2012-1-1_0-0-1.sdm") +
                       L"': "));
    EXPECT_TRUE(starts(L"Could not read the creation time of '" + game->Demo(L"vanishing.sdm") + L"': " +
                       ui::SystemReason(ERROR_FILE_NOT_FOUND)));

    // The folder itself gone since the window opened: the folder's own error.
    Form6& again = Open();
    ASSERT_TRUE(MoveFileW((game->path + L"\\Demos").c_str(), (game->path + L"\\Gone").c_str()));
    Run(again);
    EXPECT_TRUE(starts(L"Could not read the creation time of '" + game->Demo(L"busy.sdm") + L"': " +
                       ui::SystemReason(ERROR_PATH_NOT_FOUND)));
}

TEST_F(AutorenameTest, CancelRenamesNothingAndReopeningShowsTheOldListAndMarks) {
    SYSTEMTIME a = Utc(2013, 5, 6, 7, 8, 9);
    AddDemo(L"a", &a);
    AddDemo(L"b", &a);
    Form6& form = Open();
    form.SetMarked(0, false);
    SendMessageW(form.BCancel, BM_CLICK, 0, 0);
    EXPECT_FALSE(form.IsVisible());
    EXPECT_TRUE(Form4::Get().IsEnabled());
    EXPECT_EQ(DemoFiles(), (Names{L"a.sdm", L"b.sdm"}));
    EXPECT_TRUE(host.messages.empty());
    ASSERT_TRUE(PumpUntil([&] { return !Form4::Get().FileTimer.Enabled(); }));

    AddDemo(L"c", &a);
    Form6& again = Open();
    EXPECT_EQ(&again, &form);
    EXPECT_EQ(again.EntryCount(), 2);
    EXPECT_FALSE(again.IsMarked(0));
    EXPECT_TRUE(again.IsMarked(1));

    // After a run, too: the list keeps its old names.
    Run(again);
    EXPECT_EQ(LastReport(), L"Successfully renamed 1 files!");
    Form6& third = Open();
    EXPECT_EQ(third.EntryCount(), 2);
    EXPECT_EQ(third.EntryText(0), L"a");
}

TEST_F(AutorenameTest, AnEmptyFolderReportsNoRenames) {
    MainModule::SoldatPath = temp / L"nowhere";
    Form6& form = Open();
    EXPECT_EQ(form.EntryCount(), 0);
    Run(form);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, L"Successfully renamed 0 files!");
}

} // namespace
