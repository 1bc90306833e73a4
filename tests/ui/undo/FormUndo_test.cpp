// Undoing a restore from the main window's menu: when the menu offers it,
// the undo window, and the restore's questions and endings.
#include <gtest/gtest.h>

#include "store/SafetyFolder.h"
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
        return items.size() == 1 && items[0].text == kMainUndoMenu && items[0].enabled;
    }
    FormUndo* OpenUndo() {
        EXPECT_TRUE(MenuEnabled() && Main().UserMenuChoose(0));
        return Get<FormUndo>();
    }
    std::map<std::string, std::string> C() const { return Snapshot(CharRel("A", "S", "C")); }
};

// Two restores of C (slot 0, then slot 1 a minute later). Failures first:
// the listing's (no window) and the undo's; then やめる, Cancel at each
// question, both answered; and another character, never restored.
TEST_F(FormUndoTest, OnlyBothQuestionsAnsweredUndoAndAFailureLeavesTheMainWindowUsable) {
    AddCharacter("B", "S", "D", true);
    FillSlot(1, "slot1", true);
    RestoreToPrompt().Command3.UserClick();
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
    EXPECT_TRUE(main.UserMenuChoose(0) && fs.Fired() && Get<FormUndo>() == nullptr);
    fs.Hold(State().CharFolder + "macros.txt");
    Ui().Answer(Answer::Ok);
    OpenUndo()->Command1.UserClick();
    ASSERT_EQ(Ui().Boxes().size(), 3u);
    EXPECT_TRUE(test::Told(Ui().Boxes()[0]) && Ui().Boxes()[2].text.find(kHeldOpenHint) != std::string::npos);
    EXPECT_TRUE(Prompt() == nullptr && main.Enabled() && C() == now);
    fs.ReleaseAll();

    FormUndo& undo = *OpenUndo();
    ASSERT_EQ(undo.List1.ListCount(), 2);
    EXPECT_TRUE(undo.List1.Items()[0].starts_with("2026-12-07 21-06-10　chardata.mul、") &&
                undo.List1.Items()[1].starts_with("2026-12-07 21-05-09　"));
    EXPECT_TRUE(undo.List1.ListIndex() == 0 && Ui().FocusedControl() == &undo.List1 && !main.Command5.UserClick());
    ASSERT_TRUE(undo.Command2.UserClick() && Ui().FocusedForm() == &main);
    launcher.running.insert(State().Client2DPath);
    for (int answered : {0, 1}) {
        Ui().ClearBoxes();
        if (answered) Ui().Answer(Answer::Ok);
        Ui().Answer(Answer::Cancel);
        ASSERT_TRUE(OpenUndo()->Command1.UserClick());
        ASSERT_EQ(Ui().Boxes().size(), 1u + answered);
        EXPECT_TRUE(Ui().Boxes()[0].text == std::string("2026-12-07 21-06-10") + kUndoQuestionAfter &&
                    Ui().Boxes()[answered].buttons == (answered ? Buttons::OkCancelDefaultCancel : Buttons::OkCancel));
        EXPECT_TRUE(Get<FormUndo>() == nullptr && Prompt() == nullptr && main.Enabled() && C() == now) << answered;
    }
    Ui().ClearBoxes();
    for (int both = 0; both < 2; ++both) Ui().Answer(Answer::Ok);
    ASSERT_TRUE(OpenUndo()->List1.UserOpen(1));
    EXPECT_TRUE(Ui().Boxes().size() == 2 && Ui().Boxes()[0].text == std::string("2026-12-07 21-05-09") + kUndoQuestionAfter);
    for (const auto& [name, bytes] : C()) EXPECT_EQ(bytes, name + " of client");
    EXPECT_TRUE(Prompt() != nullptr && !main.Enabled() && C().size() == 5);

    Prompt()->Command3.UserClick();
    // A row whose safety copy went after the window opened: told so, nothing changed.
    const std::string gone = SafetyFolderPath(State().AppFolder, State().CharFolder) + "\\2026-12-07 21-05-09";
    Ui().ClearBoxes();
    FormUndo& stale = *OpenUndo();
    realFs->Rename(gone, gone + " moved");
    const auto undone = C();
    for (int both = 0; both < 2; ++both) Ui().Answer(Answer::Ok);
    ASSERT_TRUE(stale.List1.UserOpen(stale.List1.ListCount() - 1));
    ASSERT_EQ(Ui().Boxes().size(), 3u);
    EXPECT_TRUE(Ui().Boxes()[2].text.starts_with(kUndoPointGoneText)) << Ui().Boxes()[2].text;
    EXPECT_EQ(C(), undone);
    main.Combo1.UserSelect(1);
    Ui().Answer(Answer::Ok);
    main.Command1.UserClick();
    EXPECT_FALSE(MenuEnabled() || main.UserMenuChoose(0));
}

} // namespace
} // namespace telk::ui
