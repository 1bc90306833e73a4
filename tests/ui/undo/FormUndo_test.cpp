// Undoing a restore from the main window's menu: when the menu offers it,
// the undo window, and the restore's questions and endings.
#include <gtest/gtest.h>

#include "store/restore/SafetyFolder.h"
#include "support/RunFixture.h"
#include "ui/Texts.h"
#include "ui/launch/FormRunUO.h"
#include "ui/main/FormMain.h"
#include "ui/undo/FormUndo.h"

namespace telk::ui {
namespace {

class FormUndoTest : public ::testing::Test, public test::RunFixture {
protected:
    bool MenuEnabled() {
        const std::vector<MenuItem> items = Ui().ContextMenu(Main(), &Main().Command3);
        EXPECT_EQ(items.size(), 1u);
        if (items.empty()) return false;
        EXPECT_EQ(items[0].text, kMainUndoMenu);
        return items[0].enabled;
    }
    FormUndo* OpenUndo() {
        EXPECT_TRUE(MenuEnabled());
        EXPECT_TRUE(Main().UserMenuChoose(0));
        return Get<FormUndo>();
    }
    std::map<std::string, std::string> C() const { return Snapshot(CharRel("A", "S", "C")); }
};

// Two restores of C (slot 0, then slot 1 a minute later). Failures first:
// the listing's (no window) and the undo's; then, with the lists showing
// another character, やめる, Cancel at each question, both answered; and
// that character confirmed, never restored.
TEST_F(FormUndoTest, OnlyBothQuestionsAnsweredUndoAndAFailureLeavesTheMainWindowUsable) {
    AddCharacter("B", "S", "D", true);
    FillSlot(1, "slot1", true);
    EXPECT_EQ(RestoreToPrompt().Label1.Text(), kRunUODone);
    Prompt()->Command3.UserClick();
    clock.now = "2026-12-07 21-06-10";
    FormMain& main = Main();
    main.Option1(1).UserChoose();
    Ui().Answer(Answer::Ok);
    main.Command5.UserClick();
    Prompt()->Command3.UserClick();
    const auto now = C();
    Ui().ClearBoxes();
    ASSERT_TRUE(MenuEnabled());
    fs.FailNth(1);
    EXPECT_TRUE(main.UserMenuChoose(0));
    EXPECT_TRUE(fs.Fired());
    EXPECT_EQ(Get<FormUndo>(), nullptr);
    fs.Hold(State().CharFolder + "macros.txt");
    Ui().Answer(Answer::Ok);
    OpenUndo()->Command1.UserClick();
    ASSERT_EQ(Ui().Boxes().size(), 3u);
    EXPECT_TRUE(test::Told(Ui().Boxes()[0]));
    EXPECT_NE(Ui().Boxes()[2].text.find(kHeldOpenHint), std::string::npos);
    EXPECT_EQ(Prompt(), nullptr);
    EXPECT_TRUE(main.Enabled());
    EXPECT_EQ(C(), now);
    fs.ReleaseAll();

    main.Combo1.UserSelect(1); // the lists show B / S / D, not confirmed
    FormUndo& undo = *OpenUndo();
    EXPECT_EQ(undo.Label1.Text(), "A / S / C");
    ASSERT_EQ(undo.List1.ListCount(), 2);
    // When, what was done, and what going back does; the first kept for good.
    EXPECT_EQ(undo.List1.Items()[0], "2026-12-07 21:06:10　スロット1「Slot1」のリストアの前　戻す：chardata.mul、"
                                     "desktop.uos、macros.txt、skillgrp.mul、uo.cfg");
    EXPECT_TRUE(undo.List1.Items()[1].starts_with("2026-12-07 21:05:09　スロット0「Slot0」のリストアの前" +
                                                  std::string(kUndoRowFirst)))
        << undo.List1.Items()[1];
    EXPECT_EQ(undo.List1.ListIndex(), 0);
    EXPECT_EQ(Ui().FocusedControl(), &undo.List1);
    EXPECT_FALSE(main.Command5.UserClick());
    ASSERT_TRUE(undo.Command2.UserClick());
    ASSERT_EQ(Ui().FocusedForm(), &main);
    launcher.running.insert(State().Client2DPath);
    for (int answered : {0, 1}) {
        SCOPED_TRACE(answered);
        Ui().ClearBoxes();
        if (answered) Ui().Answer(Answer::Ok);
        Ui().Answer(Answer::Cancel);
        ASSERT_TRUE(OpenUndo()->Command1.UserClick());
        ASSERT_EQ(Ui().Boxes().size(), 1u + answered);
        EXPECT_EQ(Ui().Boxes()[0].text, "A / S / C" + std::string(kUndoQuestionWhose) + "2026-12-07 21:06:10 スロット1「Slot1」" + kUndoQuestionSlotAfter);
        EXPECT_EQ(Ui().Boxes()[answered].text, answered ? kUndoWhileRunningQuestion : Ui().Boxes()[0].text);
        EXPECT_EQ(Ui().Boxes()[answered].buttons, answered ? Buttons::OkCancelDefaultCancel : Buttons::OkCancel);
        EXPECT_EQ(Get<FormUndo>(), nullptr);
        EXPECT_EQ(Prompt(), nullptr);
        EXPECT_TRUE(main.Enabled());
        EXPECT_EQ(C(), now);
    }
    Ui().ClearBoxes();
    for (int both = 0; both < 2; ++both) Ui().Answer(Answer::Ok);
    ASSERT_TRUE(OpenUndo()->List1.UserOpen(1));
    ASSERT_EQ(Ui().Boxes().size(), 2u);
    EXPECT_EQ(Ui().Boxes()[0].text, "A / S / C" + std::string(kUndoQuestionWhose) + "2026-12-07 21:05:09 スロット0「Slot0」" + kUndoQuestionSlotAfter);
    for (const auto& [name, bytes] : C()) EXPECT_EQ(bytes, name + " of client");
    EXPECT_EQ(C().size(), 5u);
    ASSERT_NE(Prompt(), nullptr);
    EXPECT_EQ(Prompt()->Label1.Text(), kRunUOUndone);
    EXPECT_FALSE(main.Enabled());

    Prompt()->Command3.UserClick();
    // A row whose safety copy went after the window opened: told so, nothing changed.
    const std::string gone = SafetyFolderPath(State().AppFolder, State().CharFolder) + "\\2026-12-07 21-05-09";
    Ui().ClearBoxes();
    FormUndo& stale = *OpenUndo();
    EXPECT_TRUE(stale.List1.Items()[0].find(kUndoRowUndo) != std::string::npos) << stale.List1.Items()[0];
    realFs->Rename(gone, gone + " moved");
    const auto undone = C();
    for (int both = 0; both < 2; ++both) Ui().Answer(Answer::Ok);
    ASSERT_TRUE(stale.List1.UserOpen(stale.List1.ListCount() - 1));
    ASSERT_EQ(Ui().Boxes().size(), 3u);
    EXPECT_TRUE(Ui().Boxes()[2].text.starts_with(kUndoPointGoneText)) << Ui().Boxes()[2].text;
    EXPECT_EQ(C(), undone);
    // Loaded anew (back through the client folder window) while C is still
    // held: nothing is confirmed, so there is nothing to undo.
    Windows().Unload<FormMain>();
    EXPECT_FALSE(OpenMain().Command5.Enabled());
    EXPECT_FALSE(MenuEnabled());
    Main().Combo1.UserSelect(1);
    Main().Command1.UserClick();
    EXPECT_FALSE(MenuEnabled());
    EXPECT_FALSE(Main().UserMenuChoose(0));
}

} // namespace
} // namespace telk::ui
