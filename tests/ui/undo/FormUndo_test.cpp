// Undoing a restore from the main window's menu: when the menu offers it,
// the undo window, and the restore's questions and endings.
#include <gtest/gtest.h>

#include "support/RunFixture.h"
#include "ui/Texts.h"
#include "ui/launch/FormRunUO.h"
#include "ui/main/FormMain.h"
#include "ui/undo/FormUndo.h"

namespace telk::ui {
namespace {

class FormUndoTest : public ::testing::Test, public test::RunFixture {
protected:
    // Restores slot 0 into C, then slot 1 a minute later: two safety copies.
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
        const std::vector<MenuItem> items = Ui().ContextMenu(Main(), &Main().Command3);
        return items.size() == 1 && items[0].text == kMainUndoMenu && items[0].enabled;
    }
    FormUndo* OpenUndo() {
        EXPECT_TRUE(MenuEnabled());
        EXPECT_TRUE(Main().UserMenuChoose(0));
        return Get<FormUndo>();
    }
    std::map<std::string, std::string> C() const { return Snapshot(CharRel("A", "S", "C")); }
};

// やめる; Cancel at the first question, then at the running client's; both
// answered, by a double-click on the older row.
TEST_F(FormUndoTest, TheWindowListsTheNewestFirstAndOnlyBothQuestionsAnsweredUndo) {
    FormMain& main = RestoredTwice();
    const auto now = C();
    EXPECT_TRUE(Ui().ContextMenu(main, &main.Text1(0)).empty() && Ui().ContextMenu(main, &main.Combo3).empty());
    FormUndo* undo = OpenUndo();
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(Ui().ShownCaptions().back(), kUndoCaption);
    ASSERT_EQ(undo->List1.ListCount(), 2);
    EXPECT_EQ(undo->List1.Items()[0].rfind("2026-12-07 21-06-10　chardata.mul、", 0), 0u) << undo->List1.Items()[0];
    EXPECT_EQ(undo->List1.Items()[1].rfind("2026-12-07 21-05-09　", 0), 0u) << undo->List1.Items()[1];
    EXPECT_EQ(undo->List1.ListIndex(), 0);
    EXPECT_EQ(Ui().FocusedControl(), &undo->List1);
    EXPECT_FALSE(main.Command5.UserClick());
    ASSERT_TRUE(undo->Command2.UserClick());
    EXPECT_EQ(Ui().FocusedForm(), &main);

    launcher.running.insert(State().Client2DPath);
    for (int answered : {0, 1}) {
        Ui().ClearBoxes();
        if (answered) Ui().Answer(Answer::Ok);
        Ui().Answer(Answer::Cancel);
        ASSERT_TRUE(OpenUndo()->Command1.UserClick());
        ASSERT_EQ(Ui().Boxes().size(), 1u + answered);
        EXPECT_EQ(Ui().Boxes()[0].text, std::string("2026-12-07 21-06-10") + kUndoQuestionAfter);
        EXPECT_EQ(Ui().Boxes()[answered].buttons, answered ? Buttons::OkCancelDefaultCancel : Buttons::OkCancel);
        EXPECT_TRUE(Get<FormUndo>() == nullptr && Prompt() == nullptr && main.Enabled()) << answered;
        EXPECT_EQ(C(), now);
    }
    Ui().ClearBoxes();
    Ui().Answer(Answer::Ok);
    Ui().Answer(Answer::Ok);
    ASSERT_TRUE(OpenUndo()->List1.UserOpen(1));
    EXPECT_EQ(Ui().Boxes().at(0).text, std::string("2026-12-07 21-05-09") + kUndoQuestionAfter);
    EXPECT_EQ(Ui().Boxes().size(), 2u);
    EXPECT_EQ(C().size(), 5u);
    for (const auto& [name, bytes] : C()) EXPECT_EQ(bytes, name + " of client");
    EXPECT_TRUE(Prompt() != nullptr && !main.Enabled());
}

// The listing fails (no window opens), then the undo; another character
// confirmed has nothing to undo.
TEST_F(FormUndoTest, AFailureIsToldAsARestoreTellsItAndLeavesTheMainWindowUsable) {
    AddCharacter("B", "S", "D", true);
    FormMain& main = RestoredTwice();
    const auto now = C();
    ASSERT_TRUE(MenuEnabled());
    fs.FailNth(1);
    EXPECT_TRUE(main.UserMenuChoose(0));
    EXPECT_TRUE(fs.Fired() && Get<FormUndo>() == nullptr);
    fs.FailNth(0);
    fs.Hold(State().CharFolder + "macros.txt");
    Ui().Answer(Answer::Ok);
    OpenUndo()->Command1.UserClick();
    ASSERT_EQ(Ui().Boxes().size(), 3u);
    EXPECT_TRUE(test::Told(Ui().Boxes()[0]));
    EXPECT_NE(Ui().Boxes()[2].text.find(kHeldOpenHint), std::string::npos) << Ui().Boxes()[2].text;
    EXPECT_TRUE(Prompt() == nullptr && main.Enabled());
    fs.ReleaseAll();
    EXPECT_EQ(C(), now);

    main.Combo1.UserSelect(1);
    Ui().Answer(Answer::Ok);
    main.Command1.UserClick();
    EXPECT_FALSE(MenuEnabled());
    EXPECT_FALSE(main.UserMenuChoose(0));
}

} // namespace
} // namespace telk::ui
