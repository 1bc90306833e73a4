// The launch prompt after a restore: start a client and end, or go back.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/RunFixture.h"
#include "ui/Messages.h"
#include "ui/Texts.h"
#include "ui/launch/FormRunUO.h"
#include "ui/main/FormMain.h"

namespace telk::ui {
namespace {

using test::RunFixture;
using Paths = std::vector<std::string>;

class FormRunUOTest : public ::testing::Test, public RunFixture {
protected:
    std::string TelkIni() const { return dir.ReadBytes("telk.ini"); }
    std::string SavedSettings() const { return DataIni({State().Client2DPath, State().Client3DPath, State().UoFolder}); }
};

TEST_F(FormRunUOTest, OpensCentredWithTheFocusOnStart2DAndTheMainWindowLocked) {
    FormRunUO& prompt = RestoreToPrompt();

    ASSERT_FALSE(Ui().ShownCaptions().empty());
    EXPECT_EQ(Ui().ShownCaptions().back(), kRunUOCaption);
    EXPECT_EQ(Ui().FocusedControl(), &prompt.Command1);
    EXPECT_TRUE(test::Centred(Ui(), prompt));
    EXPECT_FALSE(Main().Command3.UserClick());
    EXPECT_FALSE(Main().Option1(1).UserChoose());
    EXPECT_TRUE(prompt.Command1.CanTakeInput());
}

TEST_F(FormRunUOTest, EachStartButtonStartsItsClientSavesTheSettingsAndEnds) {
    for (int which : {2, 3}) {
        SCOPED_TRACE(which);
        RunFixture world;
        world.State().Client2DPath = "C:\\Program Files\\Ultima Online 2D\\client.exe";
        world.State().Client3DPath = "C:\\Program Files\\Ultima Online 3D\\uotd.exe";
        FormRunUO& prompt = world.RestoreToPrompt();
        if (which == 3) world.State().UoFolder = "C:\\한국\\UO\\"; // no short form here: told after the question

        CommandButton& button = which == 2 ? prompt.Command1 : prompt.Command2;
        EXPECT_THROW(button.UserClick(), test::ProgramEnded);

        EXPECT_EQ(world.launcher.started, (Paths{which == 2 ? world.State().Client2DPath : world.State().Client3DPath}));
        EXPECT_EQ(world.dir.ReadBytes("telk.ini"),
                  world.DataIni({world.State().Client2DPath, world.State().Client3DPath, world.State().UoFolder}));
        EXPECT_EQ(world.Ui().LastBoxText(), which == 2 ? world.Ui().Boxes()[0].text : kPathNotKeptText);
    }
}

TEST_F(FormRunUOTest, AStartThatFailsIsToldAndThePromptStaysOpen) {
    FormRunUO& prompt = RestoreToPrompt();
    const std::string before = TelkIni();
    launcher.refusal = "指定されたファイルが見つかりません。";

    EXPECT_TRUE(prompt.Command1.UserClick());

    ASSERT_EQ(Ui().Boxes().size(), 2u);
    EXPECT_TRUE(test::Told(Ui().Boxes()[1], kStartFailedText + ("\r\n" + State().Client2DPath) + "\r\n指定されたファイルが見つかりません。"));
    EXPECT_EQ(TelkIni(), before);
    EXPECT_EQ(Prompt(), &prompt);
    EXPECT_FALSE(Main().Enabled());

    // The other client can still be tried.
    launcher.refusal.reset();
    EXPECT_THROW(prompt.Command2.UserClick(), test::ProgramEnded);
    EXPECT_EQ(launcher.started, (Paths{State().Client3DPath}));
    EXPECT_EQ(TelkIni(), SavedSettings());
}

TEST_F(FormRunUOTest, AnEmptyClientPathIsNamedAsSuch) {
    FormRunUO& prompt = RestoreToPrompt();
    State().Client3DPath.clear();
    launcher.refusal = "";

    prompt.Command2.UserClick();

    EXPECT_EQ(Ui().LastBoxText(), kStartFailedText + std::string("\r\n") + kNoProgramPath);
    EXPECT_EQ(Prompt(), &prompt);
}

// Quitting and starting a client both end with the settings written; a
// file that cannot be written is told, and the program ends all the same.
TEST_F(FormRunUOTest, SettingsThatCannotBeWrittenAtTheEndAreToldAndTheProgramEnds) {
    for (bool start : {false, true}) {
        SCOPED_TRACE(start ? "start 2D" : "quit");
        RunFixture world;
        CommandButton* button = nullptr;
        if (start) {
            button = &world.RestoreToPrompt().Command1;
        } else {
            world.AddCharacter("A", "S", "C");
            button = &world.OpenMain().Command3;
            world.Ui().Answer(Answer::Ok);
        }
        std::filesystem::remove(world.dir.Native("telk.ini"));
        world.dir.MakeFolder("telk.ini");

        EXPECT_THROW(button->UserClick(), test::ProgramEnded);

        EXPECT_EQ(world.launcher.started, start ? Paths{world.State().Client2DPath} : Paths{});
        ASSERT_EQ(world.Ui().Boxes().size(), 2u);
        EXPECT_NE(world.Ui().Boxes()[1].text.find("telk.ini"), std::string::npos) << world.Ui().Boxes()[1].text;
        EXPECT_TRUE(test::Told(world.Ui().Boxes()[1]));
    }
}

TEST_F(FormRunUOTest, DoNothingGivesTheMainWindowBackAsItWas) {
    FormRunUO& prompt = RestoreToPrompt();
    FormMain& main = Main();
    const std::string account = main.Combo1.Text();
    const std::string before = TelkIni();

    ASSERT_TRUE(prompt.Command3.UserClick());

    EXPECT_EQ(Prompt(), nullptr);
    EXPECT_TRUE(main.Enabled());
    EXPECT_EQ(Ui().FocusedForm(), &main);
    EXPECT_EQ(main.Combo1.Text(), account);
    EXPECT_TRUE(main.Option1(0).Value());
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_EQ(TelkIni(), before);

    // A later restore opens the prompt again.
    Ui().Answer(Answer::Ok);
    ASSERT_TRUE(main.Command5.UserClick());
    EXPECT_NE(Prompt(), nullptr);
    EXPECT_FALSE(main.Enabled());
}

} // namespace
} // namespace telk::ui
