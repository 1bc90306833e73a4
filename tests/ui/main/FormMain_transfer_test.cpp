// Back-up into the chosen slot and restore from it, through the main window.
#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "store/CharFiles.h"
#include "store/SlotStore.h"
#include "support/RunFixture.h"
#include "ui/launch/FormRunUO.h"
#include "ui/main/FormMain.h"
#include "ui/Texts.h"

namespace telk::ui {
namespace {

using test::RunFixture;
using Files = std::map<std::string, std::string>;

// The four files (and uo.cfg) as AddCharacter and FillSlot write them.
Files CharFiles(const std::string& tag, bool withUoCfg) {
    Files files;
    for (const char* f : kCharFiles) files[f] = std::string(f) + " of " + tag;
    if (withUoCfg) files[kOptionalCharFile] = std::string(kOptionalCharFile) + " of " + tag;
    return files;
}

class FormMainTransfer : public ::testing::Test, public RunFixture {
protected:
    std::string HeroRel() const { return CharRel("Alice", "Atlantic", "Hero"); }

    // Alice's Hero confirmed, then the lists moved on to Bob's Bobby.
    FormMain& Confirmed(bool heroUoCfg = true) {
        AddCharacter("Alice", "Atlantic", "Hero", heroUoCfg, "hero");
        AddCharacter("Bob", "Baja", "Bobby", true, "bobby");
        FormMain& main = OpenMain();
        main.Command1.UserClick();
        main.Combo1.UserSelect(1);
        return main;
    }
    Files SlotFiles(int slot) const {
        Files files = Snapshot(SlotRel(slot));
        files.erase("DATA.INI");
        files.erase("data.ini");
        return files;
    }
};

// ---- back-up

TEST_F(FormMainTransfer, BackUpCancelledLeavesTheSlotAlone) {
    FormMain& main = Confirmed();
    const Files before = Snapshot("Settings");

    Ui().Answer(Answer::Cancel);
    main.Command4.UserClick();

    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_EQ(Ui().Boxes()[0].text, kBackUpQuestion);
    EXPECT_EQ(Ui().Boxes()[0].title, "TELK");
    EXPECT_EQ(Ui().Boxes()[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(Snapshot("Settings"), before);
}

TEST_F(FormMainTransfer, BackUpOfACharacterWithoutItsFilesIsRefused) {
    FormMain& main = Confirmed();
    std::filesystem::remove(dir.Native(HeroRel() + "\\skillgrp.mul"));
    const Files before = Snapshot("Settings");

    Ui().Answer(Answer::Ok);
    main.Command4.UserClick();

    ASSERT_EQ(Ui().Boxes().size(), 2u);
    EXPECT_TRUE(test::Told(Ui().Boxes()[1], kFilesMissingText + std::string("\r\n") + kBackUpMissingHint));
    EXPECT_EQ(Snapshot("Settings"), before);
}

// A name with a comma comes back whole; the slot's older uo.cfg stays when
// the character has none.
TEST_F(FormMainTransfer, BackUpCopiesTheConfirmedCharacterAndRecordsDateAndName) {
    clock.today = "03-15-2027";
    FillSlot(2, "older", true);
    FormMain& main = Confirmed(/*heroUoCfg=*/false);
    const Files hero = Snapshot(HeroRel());
    main.Option1(1).UserChoose();
    main.Text1(1).UserType("typed, not saved");
    main.Option1(2).UserChoose();
    main.Text1(2).UserType("メイン,PvP");

    Ui().Answer(Answer::Ok);
    ASSERT_TRUE(main.Command4.UserClick());

    Files expected = CharFiles("hero", false);
    expected[kOptionalCharFile] = std::string(kOptionalCharFile) + " of older";
    EXPECT_EQ(SlotFiles(2), expected);
    EXPECT_EQ(ReadNoCase(SlotRel(2) + "\\DATA.INI"), DataIni({"03-15-2027", "メイン,PvP"}));
    EXPECT_EQ(Snapshot(HeroRel()), hero);
    EXPECT_EQ(dir.Names("Settings"), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
    // Every row is read anew: the date and name of slot 2, what the file of
    // slot 1 says in place of the typed text.
    EXPECT_EQ(main.Label4(2).Text(), "03-15-2027");
    EXPECT_EQ(main.Text1(2).Text(), "メイン,PvP");
    EXPECT_EQ(main.Text1(1).Text(), "Slot1");
    EXPECT_EQ(main.Label4(1).Text(), kUnusedLabel);
    EXPECT_TRUE(main.Option1(2).Value());
    EXPECT_TRUE(main.Text1(2).Enabled());
    ASSERT_EQ(Ui().Boxes().size(), 2u);
    EXPECT_TRUE(test::Told(Ui().Boxes()[1], kBackUpDoneText));
}

// ---- restore

TEST_F(FormMainTransfer, RestoreCancelledChangesNothing) {
    FillSlot(0, "slot", true);
    FormMain& main = Confirmed();
    const Files hero = Snapshot(HeroRel());

    Ui().Answer(Answer::Cancel);
    main.Command5.UserClick();

    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_EQ(Ui().Boxes()[0].text, kRestoreQuestion);
    EXPECT_EQ(Ui().Boxes()[0].title, "TELK");
    EXPECT_EQ(Snapshot(HeroRel()), hero);
    EXPECT_EQ(Prompt(), nullptr);
    EXPECT_TRUE(main.Enabled());
}

TEST_F(FormMainTransfer, RestoreFromASlotNeverBackedUpIsRefused) {
    FormMain& main = Confirmed();
    launcher.running.insert(State().Client2DPath);
    const Files hero = Snapshot(HeroRel());

    Ui().Answer(Answer::Ok);
    main.Command5.UserClick();

    // The missing files come first; a running client is not asked about.
    ASSERT_EQ(Ui().Boxes().size(), 2u);
    EXPECT_TRUE(test::Told(Ui().Boxes()[1], kFilesMissingText + std::string("\r\n") + kRestoreMissingHint));
    EXPECT_EQ(Snapshot(HeroRel()), hero);
    EXPECT_EQ(Prompt(), nullptr);
    EXPECT_TRUE(main.Enabled());
}

TEST_F(FormMainTransfer, RestoreCopiesIntoTheConfirmedCharacterAndOpensThePrompt) {
    FillSlot(3, "slot3", true);
    FormMain& main = Confirmed();
    const Files bobby = Snapshot(CharRel("Bob", "Baja", "Bobby"));
    const Files slot = Snapshot(SlotRel(3));
    main.Option1(3).UserChoose();

    Ui().Answer(Answer::Ok);
    main.Command5.UserClick();

    EXPECT_EQ(Snapshot(HeroRel()), CharFiles("slot3", true));
    EXPECT_EQ(Snapshot(CharRel("Bob", "Baja", "Bobby")), bobby);
    EXPECT_EQ(Snapshot(SlotRel(3)), slot);
    EXPECT_EQ(Ui().Boxes().size(), 1u);
    ASSERT_NE(Prompt(), nullptr);
    EXPECT_FALSE(main.Enabled());
    EXPECT_FALSE(main.Command1.UserClick());
    EXPECT_FALSE(main.Combo1.UserSelect(0));
}

// The 2D or the 3D program, or another program of the install (what
// today's client's launcher starts); the restore, then the back-up.
TEST_F(FormMainTransfer, ARunningClientIsAskedAboutAndCancelChangesNothing) {
    for (int which : {2, 3, 0}) {
        SCOPED_TRACE(which);
        RunFixture world;
        world.FillSlot(0, "slot", true);
        world.AddCharacter("A", "S", "C", true, "char");
        FormMain& main = world.OpenMain();
        main.Command1.UserClick();
        const ProgramState& s = world.State();
        world.launcher.running.insert(which == 2 ? s.Client2DPath : which == 3 ? s.Client3DPath : s.UoFolder + "Bin\\client.exe");
        const Files before = world.Snapshot(CharRel("A", "S", "C"));
        const Files slots = world.Snapshot("Settings");

        for (CommandButton* press : {&main.Command5, &main.Command4}) {
            world.Ui().Answer(Answer::Ok);
            world.Ui().Answer(Answer::Cancel);
            press->UserClick();
        }

        ASSERT_EQ(world.Ui().Boxes().size(), 4u);
        EXPECT_EQ(world.Ui().Boxes()[1].text, kRestoreWhileRunningQuestion);
        EXPECT_EQ(world.Ui().Boxes()[1].title, "TELK");
        EXPECT_EQ(world.Ui().Boxes()[3].text, kBackUpWhileRunningQuestion);
        for (int box : {1, 3}) EXPECT_EQ(world.Ui().Boxes()[box].buttons, Buttons::OkCancelDefaultCancel) << box;
        EXPECT_EQ(world.Snapshot(CharRel("A", "S", "C")), before);
        EXPECT_EQ(world.Snapshot("Settings"), slots);
        EXPECT_EQ(world.Prompt(), nullptr);
        EXPECT_TRUE(main.Enabled());
    }
}

TEST_F(FormMainTransfer, ARunningClientConfirmedGoesOnWithTheBackUpAndTheRestore) {
    FillSlot(0, "slot", true);
    FormMain& main = Confirmed();
    launcher.running.insert(State().UoFolder + "client.exe");
    main.Option1(1).UserChoose();
    Ui().Answer(Answer::Ok);
    Ui().Answer(Answer::Ok);
    main.Command4.UserClick();
    EXPECT_EQ(SlotFiles(1), CharFiles("hero", true));

    main.Option1(0).UserChoose();
    Ui().Answer(Answer::Ok);
    Ui().Answer(Answer::Ok);
    main.Command5.UserClick();

    EXPECT_EQ(Snapshot(HeroRel()), CharFiles("slot", true));
    EXPECT_NE(Prompt(), nullptr);
}

} // namespace
} // namespace telk::ui
