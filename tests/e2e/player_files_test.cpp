// What players leave in the folders the program works on: a read-only
// desktop.uos, a link inside a slot, plain files among the accounts and
// shards.

#include "Fixture.h"

#include <set>

#include "../platform/win32/Links.h"

namespace e2e {
namespace {

using PlayerFiles = TelkTest;

bool ReadOnly(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

TEST_F(PlayerFiles, ARestoreOntoAReadOnlyFileKeepsTheMarkAndASafetyCopy) {
    UseSample();
    const SampleCharacter& archer = FindSample(L"gamma", L"Archer");
    const SampleCharacter& hero = FindSample(L"alpha", L"Hero");
    FillSlot(2, hero, "02-03-2025", "勇者");
    const std::wstring folder = Sample().CharacterFolder(archer);
    const std::wstring desktop = Join(folder, L"desktop.uos");
    ASSERT_TRUE(SetFileAttributesW(desktop.c_str(), FILE_ATTRIBUTE_READONLY));
    const Tree before = Snapshot(folder);

    const MainWindow main = StartAtCharacter(archer, 2);
    Restore(main);
    HWND prompt = WaitWindow(Pid(), kRunUO);
    ExpectFolderHoldsCharacter(folder, hero, true);
    EXPECT_TRUE(ReadOnly(desktop));
    // The character's files as they were, and no journal left beside them.
    EXPECT_TRUE(SameTree(before, SafetyCopy(SafetyFolderOf(Work(), archer, folder))));
    LeavePrompt(prompt);
    QuitWithOk(main);
}

// A 2D and a 3D install with the same account, shard and character names:
// each character folder keeps its own safety copy, found by its note.
TEST_F(PlayerFiles, TwoInstallsWithTheSameNamesKeepTheirOwnSafetyCopies) {
    UseSample();
    const SampleCharacter& archer = FindSample(L"gamma", L"Archer");
    const SampleCharacter& hero = FindSample(L"alpha", L"Hero");
    FillSlot(2, hero, "02-03-2025", "勇者");
    const std::wstring install2D = Sample().install;
    const std::wstring install3D = install2D.substr(0, install2D.size() - 2) + L"3D";
    const std::wstring folder2D = Sample().CharacterFolder(archer);
    const std::wstring folder3D = install3D + folder2D.substr(install2D.size());
    for (const auto& file : kRequiredFiles) WriteBytes(Join(folder3D, file), "3D " + Utf8(file));
    const Tree before2D = Snapshot(folder2D), before3D = Snapshot(folder3D);

    for (const std::wstring& install : {install2D, install3D}) {
        SCOPED_TRACE(Utf8(install));
        WriteSettings({Utf8(Sample().client2D), Utf8(Sample().client3D), Utf8(install) + "\\"});
        const MainWindow main = StartAtCharacter(archer, 2);
        Restore(main);
        HWND prompt = WaitWindow(Pid(), kRunUO);
        LeavePrompt(prompt);
        QuitWithOk(main);
    }
    ExpectFolderHoldsCharacter(folder2D, hero, true);
    ExpectFolderHoldsCharacter(folder3D, hero, true);
    EXPECT_TRUE(SameTree(before2D, SafetyCopy(SafetyFolderOf(Work(), archer, folder2D))));
    EXPECT_TRUE(SameTree(before3D, SafetyCopy(SafetyFolderOf(Work(), archer, folder3D))));
}

// Under Wine every call resolves a Unix link, so a back-up that removed or
// copied the slot's old contents through it would reach outside the store.
TEST_F(PlayerFiles, ALinkInASlotNeverLetsABackUpReachOutside) {
    UseSample();
    const SampleCharacter& hero = FindSample(L"alpha", L"Hero");
    const SampleCharacter& mage = FindSample(L"alpha", L"Mage");
    FillSlot(1, hero, "01-02-2025", "勇者");
    const std::wstring outside = Join(Root(), L"Outside");
    WriteBytes(Join(outside, L"keep.txt"), "keep");
    const std::wstring link = Join(Slot(1), L"Extra");
    if (!telk::test::MakeLink(outside, link, true)) GTEST_SKIP() << "no links can be made here";
    // Removed as a link before the fixture's clean-up could reach through it.
    struct Unlink {
        std::wstring link;
        ~Unlink() { telk::test::RemoveLink(link, true); }
    } unlink{link};
    const Tree outsideBefore = Snapshot(outside);

    const MainWindow main = StartAtCharacter(mage, 1);
    Type(main.name[1], L"魔法使い");
    BackUp(main);
    const MessageBoxSeen result = WaitMessageBox(Pid());
    if (telk::test::UnderWine()) {
        // Wine gives no way to copy the link as itself: the back-up fails
        // and the slot keeps its old set.
        EXPECT_EQ(result.text.rfind(Wide(ui::kFileFailedText), 0), 0u) << Utf8(result.text);
        EXPECT_NE(result.text.find(L"Extra"), std::wstring::npos) << Utf8(result.text);
        ExpectFolderHoldsCharacter(Slot(1), hero, true);
    } else {
        EXPECT_EQ(Utf8(result.text), ui::kBackUpDoneText);
        ExpectFolderHoldsCharacter(Slot(1), mage, true);
    }
    Answer(result, IDOK);
    EXPECT_TRUE(SameTree(outsideBefore, Snapshot(outside)));
    EXPECT_TRUE(IsFile(Join(link, L"keep.txt")));

    // Still usable: a back-up into another slot goes through.
    WaitUntil([&] { return Enabled(main.window) && Enabled(main.backup); }, "the main window to be usable");
    Choose(main.option[2]);
    BackUp(main);
    Answer(ExpectMessage(kTitle, ui::kBackUpDoneText), IDOK);
    ExpectFolderHoldsCharacter(Slot(2), mage, true);
    QuitWithOk(main);
}

// The client keeps plain files beside its account and shard folders: below
// one there is simply nothing to list, and nothing to complain about.
TEST_F(PlayerFiles, PlainFilesAmongAccountsAndShardsListNothingBelowThem) {
    const SampleClient& s = Sample();
    WriteBytes(s.install + L"\\Desktop\\aaa.txt", "x");
    WriteBytes(s.install + L"\\Desktop\\alpha\\Aaa.txt", "x");
    UseSample();
    const MainWindow main = Accept(Start());
    EXPECT_FALSE(FindMessageBox(Pid()).has_value());

    auto expectItems = [](HWND list, std::vector<std::wstring> entries) {
        const auto shown = Items(list);
        EXPECT_EQ(std::set<std::wstring>(shown.begin(), shown.end()),
                  std::set<std::wstring>(entries.begin(), entries.end()));
    };
    std::vector<std::wstring> accounts = SampleAccounts(), shards = SampleShards(L"alpha");
    accounts.push_back(L"aaa.txt");
    shards.push_back(L"Aaa.txt");
    expectItems(main.account, accounts);
    // A sent choice returns only once its handler has run, so a message box
    // would stop it.
    Pick(main.account, L"aaa.txt");
    expectItems(main.shard, {});
    expectItems(main.character, {});
    Pick(main.account, L"alpha");
    expectItems(main.shard, shards);
    Pick(main.shard, L"Aaa.txt");
    expectItems(main.character, {});
    Pick(main.shard, L"Atlantic");
    expectItems(main.character, SampleNames(L"alpha", L"Atlantic"));
    EXPECT_FALSE(FindMessageBox(Pid()).has_value());
    QuitWithOk(main);
}

} // namespace
} // namespace e2e
