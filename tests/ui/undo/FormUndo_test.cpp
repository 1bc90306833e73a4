// Undoing a restore from the main window's menu: when the menu offers it,
// the undo window, and the restore's questions and endings.
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "support/RunFixture.h"
#include "ui/Messages.h"
#include "ui/Texts.h"
#include "ui/launch/FormRunUO.h"
#include "ui/main/FormMain.h"
#include "ui/undo/FormUndo.h"

namespace telk::ui {
namespace {

using test::RunFixture;
using Files = std::map<std::string, std::string>;

class FormUndoTest : public ::testing::Test, public RunFixture {
protected:
    // Two restores of C (slot 0, then slot 1 a minute later), the prompt
    // closed after each: two safety copies, the character as slot 1 left it.
    FormMain& RestoredTwice() {
        FillSlot(1, "slot1", true);
        RestoreToPrompt().Command3.UserClick();
        clock.now = "2026-12-07 21-06-10";
        Main().Option1(1).UserChoose();
        Ui().Answer(Answer::Ok);
        Main().Command5.UserClick();
        Prompt()->Command3.UserClick();
        Ui().ClearBoxes();
        return Main();
    }
    bool MenuEnabled() {
        const std::vector<MenuItem> items = Ui().ContextMenu(Main());
        return items.size() == 1 && items[0].text == kMainUndoMenu && items[0].enabled;
    }
    FormUndo& OpenUndo() {
        EXPECT_TRUE(Ui().ContextMenu(Main(), &Main().Command3).size() == 1);
        EXPECT_TRUE(Main().UserMenuChoose(0));
        FormUndo* undo = Get<FormUndo>();
        if (!undo) throw std::runtime_error("the undo window did not open");
        return *undo;
    }
};

TEST_F(FormUndoTest, TheMenuOffersTheUndoOnlyForAConfirmedCharacterWithASafetyCopy) {
    AddCharacter("A", "S", "C", true);
    AddCharacter("B", "S", "D", true);
    FormMain& main = OpenMain();
    EXPECT_FALSE(MenuEnabled()) << "no character confirmed";
    EXPECT_FALSE(main.UserMenuChoose(0));
    main.Command1.UserClick();
    EXPECT_FALSE(MenuEnabled()) << "never restored";
    FillSlot(0, "slot0", true);
    Ui().Answer(Answer::Ok);
    main.Command5.UserClick();
    Prompt()->Command3.UserClick();
    EXPECT_TRUE(MenuEnabled()) << "restored once";
    main.Combo1.UserSelect(1);
    Ui().Answer(Answer::Ok);
    main.Command1.UserClick();
    EXPECT_FALSE(MenuEnabled()) << "another character confirmed";
    // A text field keeps its own menu.
    EXPECT_TRUE(Ui().ContextMenu(main, &main.Text1(0)).empty());
    EXPECT_TRUE(Ui().ContextMenu(main, &main.Combo3).empty());
}

TEST_F(FormUndoTest, TheWindowListsTheNewestFirstAndClosesGivingTheMainWindowBack) {
    FormMain& main = RestoredTwice();
    const Files now = Snapshot(CharRel("A", "S", "C"));
    FormUndo& undo = OpenUndo();

    EXPECT_EQ(Ui().ShownCaptions().back(), kUndoCaption);
    ASSERT_EQ(undo.List1.ListCount(), 2);
    EXPECT_EQ(undo.List1.Items()[0].rfind("2026-12-07 21-06-10　chardata.mul、", 0), 0u) << undo.List1.Items()[0];
    EXPECT_EQ(undo.List1.Items()[1].rfind("2026-12-07 21-05-09　", 0), 0u) << undo.List1.Items()[1];
    EXPECT_EQ(undo.List1.ListIndex(), 0);
    EXPECT_EQ(Ui().FocusedControl(), &undo.List1);
    EXPECT_FALSE(main.Command5.UserClick());

    ASSERT_TRUE(undo.Command2.UserClick());
    EXPECT_EQ(Get<FormUndo>(), nullptr);
    EXPECT_TRUE(main.Enabled());
    EXPECT_EQ(Ui().FocusedForm(), &main);
    EXPECT_TRUE(Ui().Boxes().empty());
    EXPECT_EQ(Snapshot(CharRel("A", "S", "C")), now);
}

// Cancel at the first question, or at the running client's; then both
// answered, by a double-click on the older row.
TEST_F(FormUndoTest, CancelAtEitherQuestionLeavesAllAndOkGoesBackToThePrompt) {
    FormMain& main = RestoredTwice();
    const Files now = Snapshot(CharRel("A", "S", "C"));
    const std::string question = std::string("2026-12-07 21-06-10") + kUndoQuestionAfter;
    launcher.running.insert(State().Client2DPath);
    for (int answered : {0, 1}) {
        SCOPED_TRACE(answered);
        Ui().ClearBoxes();
        if (answered) Ui().Answer(Answer::Ok);
        Ui().Answer(Answer::Cancel);
        ASSERT_TRUE(OpenUndo().Command1.UserClick());
        ASSERT_EQ(Ui().Boxes().size(), 1u + answered);
        EXPECT_EQ(Ui().Boxes()[0].text, question);
        EXPECT_EQ(Ui().Boxes()[0].buttons, Buttons::OkCancel);
        if (answered) {
            EXPECT_EQ(Ui().Boxes()[1].text, kRestoreWhileRunningQuestion);
            EXPECT_EQ(Ui().Boxes()[1].buttons, Buttons::OkCancelDefaultCancel);
        }
        EXPECT_EQ(Get<FormUndo>(), nullptr);
        EXPECT_EQ(Prompt(), nullptr);
        EXPECT_TRUE(main.Enabled());
        EXPECT_EQ(Snapshot(CharRel("A", "S", "C")), now);
    }

    Ui().ClearBoxes();
    Ui().Answer(Answer::Ok);
    Ui().Answer(Answer::Ok);
    ASSERT_TRUE(OpenUndo().List1.UserOpen(1));
    EXPECT_EQ(Ui().Boxes().at(0).text, std::string("2026-12-07 21-05-09") + kUndoQuestionAfter);
    EXPECT_EQ(Ui().Boxes().size(), 2u);
    Files client;
    for (const char* f : {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul", "uo.cfg"}) client[f] = std::string(f) + " of client";
    EXPECT_EQ(Snapshot(CharRel("A", "S", "C")), client);
    ASSERT_NE(Prompt(), nullptr);
    EXPECT_FALSE(main.Enabled());
}

// The listing first (no window opens), then the undo.
TEST_F(FormUndoTest, AFailureIsToldAsARestoreTellsItAndLeavesTheMainWindowUsable) {
    FormMain& main = RestoredTwice();
    const Files now = Snapshot(CharRel("A", "S", "C"));
    ASSERT_EQ(Ui().ContextMenu(main).size(), 1u);
    fs.FailNth(1);
    EXPECT_TRUE(main.UserMenuChoose(0));
    EXPECT_TRUE(fs.Fired());
    EXPECT_EQ(Get<FormUndo>(), nullptr);
    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_TRUE(test::Told(Ui().Boxes()[0]));
    EXPECT_TRUE(main.Enabled());
    fs.FailNth(0);
    Ui().ClearBoxes();
    fs.Hold(State().CharFolder + "macros.txt");
    Ui().Answer(Answer::Ok);
    OpenUndo().Command1.UserClick();

    ASSERT_EQ(Ui().Boxes().size(), 2u);
    EXPECT_TRUE(test::Told(Ui().Boxes()[1]));
    EXPECT_NE(Ui().Boxes()[1].text.find(kHeldOpenHint), std::string::npos) << Ui().Boxes()[1].text;
    EXPECT_EQ(Prompt(), nullptr);
    EXPECT_TRUE(main.Enabled());
    fs.ReleaseAll();
    EXPECT_EQ(Snapshot(CharRel("A", "S", "C")), now);
}

} // namespace
} // namespace telk::ui
