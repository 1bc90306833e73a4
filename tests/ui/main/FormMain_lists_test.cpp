// The main window after loading: the cascading account, shard and
// character lists, the slot choice and the quit button.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/RunFixture.h"
#include "ui/Messages.h"
#include "ui/Texts.h"
#include "ui/launch/FormWait.h"
#include "ui/main/FormMain.h"

namespace telk::ui {
namespace {

using test::RunFixture;
using Items = std::vector<std::string>;

class FormMainLists : public ::testing::Test, public RunFixture {
protected:
    // Two accounts; the first has two shards, the first shard two characters.
    void TwoAccounts() {
        AddCharacter("Alice", "Atlantic", "Hero");
        AddCharacter("Alice", "Atlantic", "Mage");
        AddCharacter("Alice", "Pacific", "Zed");
        AddCharacter("Bob", "Baja", "Bobby");
    }
    std::string TelkIni() const { return dir.ReadBytes("telk.ini"); }
};

TEST_F(FormMainLists, LoadShowsFirstAccountShardAndItsCharacters) {
    TwoAccounts();
    FormMain& main = OpenMain();

    EXPECT_EQ(main.Combo1.Items(), (Items{"Alice", "Bob"}));
    EXPECT_EQ(main.Combo1.ListIndex(), 0);
    EXPECT_EQ(main.Combo1.Text(), "Alice");
    EXPECT_EQ(main.Combo2.Items(), (Items{"Atlantic", "Pacific"}));
    EXPECT_EQ(main.Combo2.Text(), "Atlantic");
    EXPECT_EQ(main.Combo3.Items(), (Items{"Hero", "Mage"}));
    EXPECT_EQ(main.Combo3.ListIndex(), 0);
    EXPECT_EQ(main.Combo3.Text(), "Hero");
    EXPECT_TRUE(Ui().Boxes().empty());
}

TEST_F(FormMainLists, AfterLoadingOnlyTheListsConfirmAndQuitAreUsable) {
    TwoAccounts();
    FormMain& main = OpenMain();

    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(main.Text1(i).Text(), "");
        EXPECT_EQ(main.Label4(i).Text(), "");
        EXPECT_FALSE(main.Text1(i).Enabled());
        EXPECT_FALSE(main.Option1(i).UserChoose()) << i;
    }
    EXPECT_FALSE(main.Command4.UserClick());
    EXPECT_FALSE(main.Command5.UserClick());
    EXPECT_TRUE(main.Command1.CanTakeInput());
    EXPECT_TRUE(main.Command3.CanTakeInput());
    EXPECT_EQ(main.Command1.Text(), kMainConfirm);
    // Centred and shown once the wait window is gone.
    EXPECT_EQ(Get<FormWait>(), nullptr);
    ASSERT_FALSE(Ui().ShownCaptions().empty());
    EXPECT_EQ(Ui().ShownCaptions().back(), kMainCaption);
    EXPECT_TRUE(test::Centred(Ui(), main));
}

TEST_F(FormMainLists, ChoosingAnotherAccountRefillsShardsThenCharacters) {
    TwoAccounts();
    FormMain& main = OpenMain();

    ASSERT_TRUE(main.Combo1.UserSelect(1));
    EXPECT_EQ(main.Combo2.Items(), (Items{"Baja"}));
    EXPECT_EQ(main.Combo2.Text(), "Baja");
    EXPECT_EQ(main.Combo3.Items(), (Items{"Bobby"}));
    EXPECT_EQ(main.Combo3.Text(), "Bobby");

    ASSERT_TRUE(main.Combo1.UserSelect(0));
    ASSERT_TRUE(main.Combo2.UserSelect(1));
    EXPECT_EQ(main.Combo3.Items(), (Items{"Zed"}));
    EXPECT_EQ(main.Combo1.Text(), "Alice");
}

TEST_F(FormMainLists, ListsTakeOnlyTheFirstTenEntriesOfAListing) {
    Items accounts;
    for (int i = 1; i <= 12; ++i) {
        const std::string name = "Acc" + std::string(i < 10 ? "0" : "") + std::to_string(i);
        accounts.push_back(name);
        dir.MakeFolder("UO\\DESKTOP\\" + name);
    }
    Items shards;
    for (int i = 1; i <= 15; ++i) {
        const std::string name = "Shard" + std::string(i < 10 ? "0" : "") + std::to_string(i);
        shards.push_back(name);
        AddCharacter("Acc01", name, "Hero");
    }
    FormMain& main = OpenMain();

    EXPECT_EQ(main.Combo1.Items(), Items(accounts.begin(), accounts.begin() + 10));
    EXPECT_EQ(main.Combo2.Items(), Items(shards.begin(), shards.begin() + 10));
}

TEST_F(FormMainLists, FilesAppearInTheListsLikeFolders) {
    TwoAccounts();
    dir.WriteBytes("UO\\DESKTOP\\Alice\\notes.txt", "x");
    FormMain& main = OpenMain();

    EXPECT_EQ(main.Combo2.Items(), (Items{"Atlantic", "notes.txt", "Pacific"}));
}

TEST_F(FormMainLists, TypedTextRefillsNothingAndIsWhatConfirmTakes) {
    TwoAccounts();
    FormMain& main = OpenMain();

    ASSERT_TRUE(main.Combo1.UserType("Bob"));
    ASSERT_TRUE(main.Combo3.UserType("Typed"));
    EXPECT_EQ(main.Combo2.Items(), (Items{"Atlantic", "Pacific"}));
    EXPECT_EQ(main.Combo3.Items(), (Items{"Hero", "Mage"}));

    main.Command1.UserClick();
    EXPECT_EQ(State().CharFolder, State().UoFolder + "\\DESKTOP\\Bob\\Atlantic\\Typed\\");
}

TEST_F(FormMainLists, NoAccountsOpensWithEmptyListsAndStaysUsable) {
    FormMain& main = OpenMain();

    EXPECT_TRUE(main.Shown());
    EXPECT_TRUE(Ui().Boxes().empty());
    EXPECT_EQ(main.Combo1.ListCount(), 0);
    EXPECT_EQ(main.Combo2.ListCount(), 0);
    EXPECT_EQ(main.Combo3.ListCount(), 0);

    // The confirm takes the empty texts as they are; the back-up then finds
    // no character files.
    ASSERT_TRUE(main.Command1.UserClick());
    EXPECT_EQ(State().CharFolder, State().UoFolder + "\\DESKTOP\\\\\\\\");
    Ui().Answer(Answer::Ok);
    ASSERT_TRUE(main.Command4.UserClick());
    EXPECT_EQ(Ui().LastBoxText(), kFilesMissingText + std::string("\r\n") + kBackUpMissingHint);
}

TEST_F(FormMainLists, AnEmptyLevelClearsTheListsBelowIt) {
    dir.MakeFolder("UO\\DESKTOP\\Empty");
    AddCharacter("Full", "Shard", "Hero");
    dir.MakeFolder("UO\\DESKTOP\\Full\\Bare");
    FormMain& main = OpenMain();

    EXPECT_EQ(main.Combo1.Text(), "Empty");
    EXPECT_EQ(main.Combo2.ListCount(), 0);
    EXPECT_EQ(main.Combo3.ListCount(), 0);

    ASSERT_TRUE(main.Combo1.UserSelect(1));
    EXPECT_EQ(main.Combo2.Items(), (Items{"Bare", "Shard"}));
    // The first shard has no character.
    EXPECT_EQ(main.Combo3.ListCount(), 0);
    ASSERT_TRUE(main.Combo2.UserSelect(1));
    EXPECT_EQ(main.Combo3.Items(), (Items{"Hero"}));

    // Back to the empty account: no character of another account stays.
    ASSERT_TRUE(main.Combo1.UserSelect(0));
    EXPECT_EQ(main.Combo2.ListCount(), 0);
    EXPECT_EQ(main.Combo3.ListCount(), 0);
    EXPECT_EQ(main.Combo3.Text(), "");
    EXPECT_TRUE(Ui().Boxes().empty());
}

TEST_F(FormMainLists, AFolderGoneSinceLoadingIsReportedAndTheWindowGoesOn) {
    TwoAccounts();
    FormMain& main = OpenMain();
    std::filesystem::remove_all(dir.Native("UO\\DESKTOP\\Bob"));

    ASSERT_TRUE(main.Combo1.UserSelect(1));
    ASSERT_EQ(Ui().Boxes().size(), 1u);
    const test::ShownBox& box = Ui().Boxes().back();
    EXPECT_EQ(box.text.rfind(kFolderUnlistedText + ("\r\n" + dir.Win("UO\\DESKTOP\\Bob")), 0), 0u) << box.text;
    EXPECT_TRUE(test::Told(box));
    EXPECT_EQ(main.Combo2.ListCount(), 0);
    EXPECT_EQ(main.Combo3.ListCount(), 0);

    ASSERT_TRUE(main.Combo1.UserSelect(0));
    EXPECT_EQ(main.Combo3.Items(), (Items{"Hero", "Mage"}));
}

// The client keeps plain files among its account and shard folders.
TEST_F(FormMainLists, APlainFileAmongTheEntriesHasNothingBelowItAndSaysNothing) {
    TwoAccounts();
    dir.WriteBytes("UO\\DESKTOP\\0readme.txt", "first in the list");
    dir.WriteBytes("UO\\DESKTOP\\Bob\\0login.cfg", "first among the shards");
    FormMain& main = OpenMain();
    EXPECT_EQ(main.Combo1.Text(), "0readme.txt");
    EXPECT_EQ(main.Combo2.ListCount(), 0);
    EXPECT_EQ(main.Combo3.ListCount(), 0);

    ASSERT_TRUE(main.Combo1.UserSelect(2));
    EXPECT_EQ(main.Combo2.Text(), "0login.cfg");
    EXPECT_EQ(main.Combo3.ListCount(), 0);
    ASSERT_TRUE(main.Combo2.UserSelect(1));
    EXPECT_GT(main.Combo3.ListCount(), 0);
    EXPECT_TRUE(Ui().Boxes().empty());
}

TEST_F(FormMainLists, AnUnreadableDesktopIsReportedAtLoadAndTheWindowOpens) {
    std::filesystem::remove_all(dir.Native("UO\\DESKTOP"));
    FormMain& main = OpenMain();

    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_EQ(Ui().Boxes()[0].text.rfind(kFolderUnlistedText + std::string("\r\n"), 0), 0u);
    EXPECT_TRUE(main.Shown());
    EXPECT_EQ(Get<FormWait>(), nullptr);
    EXPECT_EQ(main.Combo1.ListCount(), 0);
}

TEST_F(FormMainLists, ChoosingASlotMakesOnlyItsNameBoxEditable) {
    TwoAccounts();
    FormMain& main = OpenMain();
    main.Command1.UserClick();

    ASSERT_TRUE(main.Option1(3).UserChoose());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(main.Text1(i).Enabled(), i == 3) << i;
        EXPECT_EQ(main.Option1(i).Value(), i == 3) << i;
        EXPECT_EQ(main.Text1(i).Text(), "Slot" + std::to_string(i));
    }
}

TEST_F(FormMainLists, QuitCancelledWritesNothing) {
    TwoAccounts();
    FormMain& main = OpenMain();
    const std::string before = TelkIni();

    Ui().Answer(Answer::Cancel);
    main.Command3.UserClick();

    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_EQ(Ui().Boxes()[0].text, kQuitQuestion);
    EXPECT_EQ(Ui().Boxes()[0].title, kConfirmTitle);
    EXPECT_EQ(Ui().Boxes()[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(TelkIni(), before);
    EXPECT_TRUE(main.Command3.CanTakeInput());
}

// The whole file is written anew, however long it was; a path the code
// page cannot hold is kept with "?", and told.
TEST_F(FormMainLists, QuitWritesTheThreeSettingsLinesAndEnds) {
    struct Case {
        std::string client2D, client3D, uoFolder;
        std::string bytes; // empty: as the program encodes the three
        bool told;
    };
    const Case cases[] = {
        {"d:\\UO\\client.exe", "", "d:\\ゲーム\\UO\\", "d:\\UO\\client.exe\r\n\r\nd:\\\x83\x51\x81\x5b\x83\x80\\UO\\\r\n", false},
        {"C:\\UO 2D\\client.exe", "C:\\UO 3D\\uotd.exe", "C:\\한국\\UO\\", "", true}, // no short form here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uoFolder);
        RunFixture world;
        world.AddCharacter("Alice", "Atlantic", "Hero");
        world.OpenMain();
        world.dir.WriteBytes("telk.ini", "old\r\nlonger old file\r\nthird\r\nfourth\r\n");
        world.State().Client2DPath = c.client2D;
        world.State().Client3DPath = c.client3D;
        world.State().UoFolder = c.uoFolder;

        world.Ui().Answer(Answer::Ok);
        EXPECT_THROW(world.Main().Command3.UserClick(), test::ProgramEnded);
        EXPECT_EQ(world.dir.ReadBytes("telk.ini"),
                  c.bytes.empty() ? world.DataIni({c.client2D, c.client3D, c.uoFolder}) : c.bytes);
        ASSERT_EQ(world.Ui().Boxes().size(), c.told ? 2u : 1u);
        if (c.told) {
            EXPECT_EQ(world.Ui().LastBoxText(), kPathNotKeptText);
        }
    }
}

} // namespace
} // namespace telk::ui
