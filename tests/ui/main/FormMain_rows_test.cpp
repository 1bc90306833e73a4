// Confirming a character: the slot rows read from DATA.INI, the first press
// and the later ones with their warning.
#include <filesystem>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "support/RunFixture.h"
#include "store/SlotStore.h"
#include "ui/main/FormMain.h"
#include "ui/Texts.h"

namespace telk::ui {
namespace {

using test::RunFixture;

class FormMainRows : public ::testing::Test, public RunFixture {
protected:
    FormMainRows() {
        AddCharacter("Alice", "Atlantic", "Hero");
        AddCharacter("Bob", "Baja", "Bobby");
    }
    std::string AliceHero() const { return State().UoFolder + "\\DESKTOP\\Alice\\Atlantic\\Hero\\"; }
    std::string BobBobby() const { return State().UoFolder + "\\DESKTOP\\Bob\\Baja\\Bobby\\"; }

    // Confirmed once, slot 3 chosen with a new name typed, the lists moved
    // on to another character.
    FormMain& EditedThenMovedOn() {
        FormMain& main = OpenMain();
        main.Command1.UserClick();
        main.Option1(3).UserChoose();
        main.Text1(3).UserType("new name");
        main.Combo1.UserSelect(1);
        return main;
    }
};

TEST_F(FormMainRows, FirstPressAsksNothingAndShowsTheFreshSlots) {
    FormMain& main = OpenMain();
    ASSERT_TRUE(main.Command1.UserClick());

    EXPECT_TRUE(Ui().Boxes().empty());
    EXPECT_EQ(State().CharFolder, AliceHero());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(main.Label4(i).Text(), kUnusedLabel) << i;
        EXPECT_EQ(main.Text1(i).Text(), "Slot" + std::to_string(i));
        EXPECT_EQ(main.Text1(i).Enabled(), i == 0) << i;
        EXPECT_EQ(main.Option1(i).Value(), i == 0) << i;
        EXPECT_TRUE(main.Option1(i).CanTakeInput()) << i;
    }
    EXPECT_TRUE(main.Command4.CanTakeInput());
    EXPECT_TRUE(main.Command5.CanTakeInput());
}

TEST_F(FormMainRows, LaterPressCancelledKeepsEverything) {
    FormMain& main = EditedThenMovedOn();

    Ui().Answer(Answer::Cancel);
    main.Command1.UserClick();

    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_EQ(Ui().Boxes()[0].text, kReconfirmQuestion);
    EXPECT_EQ(Ui().Boxes()[0].title, kConfirmTitle);
    EXPECT_EQ(Ui().Boxes()[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(State().CharFolder, AliceHero());
    EXPECT_EQ(main.Text1(3).Text(), "new name");
    EXPECT_TRUE(main.Option1(3).Value());
    EXPECT_TRUE(main.Text1(3).Enabled());
}

TEST_F(FormMainRows, LaterPressConfirmedReadsTheRowsAgainAndChoosesSlotZero) {
    FormMain& main = EditedThenMovedOn();

    Ui().Answer(Answer::Ok);
    main.Command1.UserClick();

    EXPECT_EQ(State().CharFolder, BobBobby());
    EXPECT_EQ(main.Text1(3).Text(), "Slot3");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(main.Option1(i).Value(), i == 0) << i;
        EXPECT_EQ(main.Text1(i).Enabled(), i == 0) << i;
    }
}

TEST_F(FormMainRows, LaterPressWithSlotZeroChosenKeepsItEditable) {
    FormMain& main = OpenMain();
    main.Command1.UserClick();
    main.Text1(0).UserType("typed");

    Ui().Answer(Answer::Ok);
    main.Command1.UserClick();

    EXPECT_EQ(main.Text1(0).Text(), "Slot0");
    EXPECT_TRUE(main.Text1(0).Enabled());
    EXPECT_TRUE(main.Option1(0).Value());
    EXPECT_FALSE(main.Text1(1).Enabled());
}

// Each arrow key turns the next or previous row on, round the ends, as a
// click would, and gives it the focus; on a disabled row, or while the
// window is disabled (the launch prompt is up), it changes nothing.
TEST_F(FormMainRows, TheArrowKeysChooseTheSlotRows) {
    FormMain& main = OpenMain();
    auto expectChosen = [&](int slot) {
        for (int i = 0; i < 5; ++i) EXPECT_EQ(main.Option1(i).Value() + main.Text1(i).Enabled(), 2 * (i == slot)) << slot << i;
    };
    EXPECT_FALSE(main.Option1(0).UserArrow(Arrow::Down));
    expectChosen(-1);
    main.Command1.UserClick();
    main.Option1(2).UserChoose();
    const std::pair<Arrow, int> presses[] = {{Arrow::Down, 3}, {Arrow::Right, 4}, {Arrow::Down, 0}, {Arrow::Up, 4}, {Arrow::Left, 3}};
    for (int from = 2; const auto& [key, slot] : presses) {
        ASSERT_TRUE(main.Option1(std::exchange(from, slot)).UserArrow(key));
        EXPECT_EQ(Ui().FocusedControl(), &main.Option1(slot));
        expectChosen(slot);
    }
    main.SetEnabled(false);
    EXPECT_FALSE(main.Option1(3).UserArrow(Arrow::Down));
    expectChosen(3);
}

TEST_F(FormMainRows, ShortOrMissingDataIniShowsWhatThereIsAndTheRowStaysUsable) {
    dir.WriteBytes(SlotRel(1) + "\\DATA.INI", DataIni({"12-01-2026"}));
    std::filesystem::remove(dir.Native(SlotRel(2) + "\\DATA.INI"));
    dir.WriteBytes(SlotRel(3) + "\\DATA.INI", "");
    FormMain& main = OpenMain();
    ASSERT_TRUE(main.Command1.UserClick());

    EXPECT_TRUE(Ui().Boxes().empty());
    EXPECT_EQ(main.Label4(1).Text(), "12-01-2026");
    EXPECT_EQ(main.Text1(1).Text(), "");
    for (int i : {2, 3}) {
        EXPECT_EQ(main.Label4(i).Text(), "") << i;
        EXPECT_EQ(main.Text1(i).Text(), "") << i;
    }
    EXPECT_EQ(main.Text1(4).Text(), "Slot4");

    // The slot without DATA.INI takes a back-up and gets its file anew.
    ASSERT_TRUE(main.Option1(2).UserChoose());
    ASSERT_TRUE(main.Text1(2).UserType("second"));
    Ui().Answer(Answer::Ok);
    ASSERT_TRUE(main.Command4.UserClick());
    EXPECT_EQ(Ui().LastBoxText(), kBackUpDoneText);
    EXPECT_EQ(ReadNoCase(SlotRel(2) + "\\DATA.INI"), DataIni({"12-07-2026", "second"}));
    EXPECT_EQ(main.Label4(2).Text(), "12-07-2026");
    EXPECT_EQ(main.Text1(2).Text(), "second");
}

} // namespace
} // namespace telk::ui
