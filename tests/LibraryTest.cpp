// The demo library and the shared folder listing.
#include "library/Form4.h"
#include "library/Form5.h"
#include "library/Form6.h"
#include "library/ListDemos.h"
#include "options/Form1.h"
#include "options/Form3.h"
#include "startup/Config.h"
#include "startup/Launcher.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

#include <algorithm>
#include <thread>

using namespace test;

namespace {

using Names = std::vector<std::wstring>;

Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

class LibraryTest : public GameTest {
protected:
    void AddDemos(std::initializer_list<const wchar_t*> names) {
        for (const wchar_t* name : names) WriteBytes(game->Demo(std::wstring(name) + L".sdm"), "demo");
    }
    Form4& Open() {
        Form4& form = Form4::Get();
        form.Show();
        return form;
    }
    static Names Entries(const Form4& form) { return ListEntries(form.DemoList); }
    static void Select(Form4& form, const std::wstring& entry) {
        Names names = Entries(form);
        auto at = std::find(names.begin(), names.end(), entry);
        ASSERT_NE(at, names.end());
        SendMessageW(form.DemoList, LB_SETCURSEL, static_cast<WPARAM>(at - names.begin()), 0);
    }
    static void Click(HWND button) {
        ASSERT_TRUE(IsWindowEnabled(button) && IsWindowEnabled(GetParent(button)));
        SendMessageW(button, BM_CLICK, 0, 0);
    }
};

TEST(DemoListing, PatternsAndLongNameMatching) {
    EXPECT_EQ(DemoPattern(L""), L"*.*");
    EXPECT_EQ(DemoPattern(L"   "), L"*.*");
    EXPECT_EQ(DemoPattern(L"*.dem"), L"*.dem");
    EXPECT_EQ(DemoPattern(L"sdm"), L"*.sdm");

    EXPECT_TRUE(NameMatches(L"match.sdm", L"*.sdm"));
    EXPECT_TRUE(NameMatches(L"Match.SDM", L"*.sdm"));
    EXPECT_TRUE(NameMatches(L".sdm", L"*.sdm"));
    EXPECT_TRUE(NameMatches(L"a.b.sdm", L"*.sdm"));
    EXPECT_FALSE(NameMatches(L"x.sdmx", L"*.sdm"));
    EXPECT_FALSE(NameMatches(L"y.sdm_bak", L"*.sdm"));
    EXPECT_FALSE(NameMatches(L"sdm", L"*.sdm"));
    EXPECT_TRUE(NameMatches(L"noextension", L"*.*"));
    EXPECT_TRUE(NameMatches(L"ab.sdm", L"?b.*"));
}

TEST_F(LibraryTest, ListsOnlyVisibleSdmFilesUnderTheirNamesWithoutExtension) {
    AddDemos({L"b match", L"a", L"", L"UPPER", L"2009-3-5_7-3-9"});
    WriteBytes(game->Demo(L"UPPER.sdm"), "x");
    for (const wchar_t* other :
         {L"notes.txt", L"x.sdmx", L"y.sdm_bak", L"z.sdm~", L"hidden.sdm", L"system.sdm", L"readonly.sdm"})
        WriteBytes(game->Demo(other), "x");
    SetFileAttributesW(game->Demo(L"hidden.sdm").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(game->Demo(L"system.sdm").c_str(), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesW(game->Demo(L"readonly.sdm").c_str(), FILE_ATTRIBUTE_READONLY);
    MakeFolder(game->Demo(L"folder.sdm"));

    Form4& form = Open();
    EXPECT_EQ(Sorted(Entries(form)), (Names{L"", L"2009-3-5_7-3-9", L"UPPER", L"a", L"b match", L"readonly"}));
    EXPECT_EQ(form.Selected(), -1);
    EXPECT_EQ(TextOf(form.Label1), MainModule::TitleText);

    // The same listing with or without the closing backslash, and "*.*".
    EXPECT_EQ(DemoNames(game->path + L"\\Demos", L"sdm"), DemoNames(game->path + L"\\Demos\\", L"sdm"));
    EXPECT_EQ(Sorted(DemoNames(game->path + L"\\Demos", L"*.txt")), Names{L"notes"});
    EXPECT_EQ(DemoNames(game->path + L"\\Demos", L" ").size(), 10u);
}

TEST_F(LibraryTest, AMissingDemoFolderIsAnEmptyList) {
    MainModule::SoldatPath = temp / L"nowhere";
    Form4& form = Open();
    EXPECT_TRUE(Entries(form).empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LibraryTest, CommandsThatNeedASelectionSaySoAndDoNothing) {
    AddDemos({L"a"});
    Form4& form = Open();
    for (HWND button : {form.BPlay, form.BConfig, form.BRename, form.BDelete}) {
        host.messages.clear();
        Click(button);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, L"Please select a demo file!");
        EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONINFORMATION));
        EXPECT_EQ(host.messages[0].owner, form.Hwnd()); // modal to the library
        EXPECT_TRUE(form.IsVisible());
        EXPECT_TRUE(form.IsEnabled());
    }
    EXPECT_FALSE(host.ended);
    EXPECT_EQ(Form1::Existing(), nullptr);
    EXPECT_EQ(Form5::Existing(), nullptr);
    EXPECT_EQ(game->Demos(), Names{L"a.sdm"});
    EXPECT_FALSE(form.FileTimer.Enabled());

    host.messages.clear();
    Click(form.BSettings);
    EXPECT_TRUE(Form3::Get().IsVisible());
    EXPECT_FALSE(form.IsEnabled());
    EXPECT_FALSE(form.FileTimer.Enabled());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LibraryTest, AutoRenameAndQuitNeedNoSelection) {
    Form4& form = Open();
    Click(form.BAutorename);
    EXPECT_TRUE(Form6::Get().IsVisible());
    EXPECT_FALSE(form.IsEnabled());
    EXPECT_TRUE(form.FileTimer.Enabled());
    form.SetEnabled(true);
    Click(form.BCancel);
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 0u);
    // Ended: no window takes a further event.
    Click(form.BSettings);
    EXPECT_EQ(Form3::Existing(), nullptr);
    EXPECT_TRUE(form.IsEnabled());
}

TEST_F(LibraryTest, DeleteAsksAndTheNextEntryTakesTheSelection) {
    AddDemos({L"a", L"b", L"c"});
    Form4& form = Open();
    Names before = Entries(form);
    Select(form, before[1]);

    host.Answer(IDNO);
    Click(form.BDelete);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, L"Do you really want to delete '" + before[1] + L"'?");
    EXPECT_EQ(host.messages[0].Icon(), static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(host.messages[0].Buttons(), static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(game->Demos().size(), 3u);
    EXPECT_EQ(form.Selected(), 1);

    host.Answer(IDYES);
    Click(form.BDelete);
    EXPECT_FALSE(Exists(game->Demo(before[1] + L".sdm")));
    EXPECT_EQ(Entries(form), (Names{before[0], before[2]}));
    EXPECT_EQ(form.Selected(), 1); // the entry that followed

    // Deleting the last entry leaves the new last one selected.
    host.Answer(IDYES);
    Click(form.BDelete);
    EXPECT_EQ(Entries(form), Names{before[0]});
    EXPECT_EQ(form.Selected(), 0);
    host.Answer(IDYES);
    Click(form.BDelete);
    EXPECT_TRUE(Entries(form).empty());
    EXPECT_EQ(form.Selected(), -1);
    EXPECT_EQ(host.messages.size(), 4u);
}

TEST_F(LibraryTest, AFailedDeleteIsExplainedAndAVanishedDemoIsNot) {
    AddDemos({L"kept", L"vanished", L"new"});
    SetFileAttributesW(game->Demo(L"kept.sdm").c_str(), FILE_ATTRIBUTE_READONLY);
    Form4& form = Open();
    DeleteFileW(game->Demo(L"new.sdm").c_str()); // gone since the list was read

    Select(form, L"kept");
    host.Answer(IDYES);
    Click(form.BDelete);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].Icon(), static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(host.messages[1].text.find(L"Could not delete the demo '" + game->Demo(L"kept.sdm") + L"': "), 0u);
    EXPECT_NE(host.messages[1].text.find(L"(error 5)"), std::wstring::npos);
    EXPECT_TRUE(Exists(game->Demo(L"kept.sdm")));
    EXPECT_EQ(Sorted(Entries(form)), (Names{L"kept", L"vanished"})); // re-read all the same

    DeleteFileW(game->Demo(L"vanished.sdm").c_str());
    Select(form, L"vanished");
    host.Answer(IDYES);
    Click(form.BDelete);
    EXPECT_EQ(host.messages.size(), 3u); // only the question
    EXPECT_EQ(Entries(form), Names{L"kept"});
}

// Held open by another program that lets it be deleted: the delete is
// done, and the name goes at once (Windows 10 1903 and later on NTFS), or
// stays listed until it is let go, whole (Wine) or delete-pending (older
// Windows, FAT, network shares: its attributes can no longer be read).
TEST_F(LibraryTest, ADemoHeldOpenIsDeletedAndExplainedWhileItStaysListed) {
    AddDemos({L"kept", L"held"});
    const std::wstring heldPath = game->Demo(L"held.sdm");
    HANDLE held = CreateFileW(heldPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Form4& form = Open();
    Select(form, L"held");
    host.Answer(IDYES);
    Click(form.BDelete);
    const bool listed = game->Demos() == Names{L"held.sdm", L"kept.sdm"}, pending = !Exists(heldPath);
    const Names entries = Sorted(Entries(form));
    // Meanwhile a demo of that name from elsewhere does not go to the held name.
    WriteBytes(temp / L"held.sdm", "another demo");
    const std::wstring place = MainModule::FindDemoPlace(temp / L"held.sdm").name;
    CloseHandle(held);
    EXPECT_EQ(game->Demos(), Names{L"kept.sdm"}); // gone once let go
    EXPECT_EQ(place, listed ? L"held_" : L"held");
    EXPECT_EQ(entries, listed ? (Names{L"held", L"kept"}) : Names{L"kept"});
    ASSERT_EQ(host.messages.size(), listed ? 2u : 1u);
    EXPECT_EQ(host.messages.back().Icon(), static_cast<UINT>(listed ? MB_ICONERROR : MB_ICONQUESTION));
    if (listed) {
        const wchar_t* state = pending ? L"' is deleted as soon as the program that has it open lets go"
                                       : L"' is still there";
        EXPECT_EQ(host.messages[1].text.find(L"The demo '" + heldPath + state), 0u);
    }

    // A holder that lets go within the second look (an indexer, a scanner)
    // gets no word. This one lets go once the look answers a sent message.
    AddDemos({L"scanned"});
    held = CreateFileW(game->Demo(L"scanned.sdm").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
    form.RefreshDemoList();
    Select(form, L"scanned");
    host.Answer(IDYES);
    std::thread([window = form.Hwnd(), held] {
        SendMessageW(window, WM_NULL, 0, 0);
        CloseHandle(held);
    }).detach();
    Click(form.BDelete);
    EXPECT_EQ(host.messages.back().Icon(), static_cast<UINT>(MB_ICONQUESTION));
}

TEST_F(LibraryTest, ConfigureHidesTheLibraryAndCancelBringsItBackUnread) {
    AddDemos({L"final round"});
    Form4& form = Open();
    Select(form, L"final round");
    Click(form.BConfig);
    EXPECT_FALSE(form.IsVisible());
    ASSERT_NE(Form1::Existing(), nullptr);
    EXPECT_TRUE(Form1::Existing()->IsVisible());
    EXPECT_EQ(MainModule::DemoFile, game->Demo(L"final round.sdm"));
    EXPECT_EQ(MainModule::FromLibrary, MainModule::True);

    AddDemos({L"added meanwhile"});
    Click(Form1::Existing()->BCancel);
    EXPECT_TRUE(form.IsVisible());
    EXPECT_FALSE(Form1::Existing()->IsVisible());
    PumpFor(300);
    EXPECT_EQ(Entries(form), Names{L"final round"});
    EXPECT_EQ(form.Selected(), 0);
    EXPECT_FALSE(host.ended);
}

TEST_F(LibraryTest, PlayEndsTheProgramWhetherOrNotTheGameStarted) {
    AddDemos({L"final round"});
    Form4& form = Open();
    Select(form, L"final round");
    Click(form.BPlay);
    EXPECT_TRUE(host.ended);
    auto launches = WaitForLaunches(game->path);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, game->path + L"\\Soldat.exe -demo final round 0 100 0 0");
    EXPECT_EQ(NamesIn(game->path + L"\\Demos"), Names{L"final round.sdm"}); // played in place

    ResetHost();
    // A game still running from the first Play holds its file until it ends.
    ASSERT_TRUE(DeleteWhenEnded(game->path + L"\\Soldat.exe"));
    Click(form.BPlay);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, L"Can not find Soldat.exe! Please check your settings.");
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 1u);
    EXPECT_EQ(host.endCount, 1);
}

TEST_F(LibraryTest, AWindowThatHandsBackGetsOneReReadWithinATick) {
    AddDemos({L"a"});
    Form4& form = Open();
    Select(form, L"a");
    Click(form.BRename);
    EXPECT_EQ(MainModule::RenameName, L"a");
    EXPECT_TRUE(Form5::Get().IsVisible());
    EXPECT_FALSE(form.IsEnabled());
    EXPECT_TRUE(form.FileTimer.Enabled());

    AddDemos({L"b"});
    PumpFor(250); // disabled: the poll waits
    EXPECT_EQ(Entries(form), Names{L"a"});

    // The other window's hand-back: enable the library, hide itself.
    form.SetEnabled(true);
    Form5::Get().Hide();
    ASSERT_TRUE(PumpUntil([&] { return Entries(form).size() == 2; }));
    EXPECT_FALSE(form.FileTimer.Enabled());
    EXPECT_EQ(form.Selected(), 0);

    AddDemos({L"c"});
    PumpFor(250); // one re-read only
    EXPECT_EQ(Entries(form).size(), 2u);
}

TEST_F(LibraryTest, ReturningFromSettingsDoesNotReRead) {
    AddDemos({L"a"});
    Form4& form = Open();
    Click(form.BSettings);
    AddDemos({L"b"});
    Click(Form3::Get().BCancel);
    EXPECT_TRUE(form.IsEnabled());
    EXPECT_FALSE(Form3::Get().IsVisible());
    PumpFor(250);
    EXPECT_EQ(Entries(form), Names{L"a"});
}

TEST_F(LibraryTest, TheCloseBoxEndsTheProgram) {
    Form4& form = Open();
    SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 0u);
}

} // namespace
