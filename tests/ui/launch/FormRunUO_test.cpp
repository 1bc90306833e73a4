// The launch prompt after a restore: start a client and end, or go back.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/MainWindowFixture.h"
#include "ui/Messages.h"
#include "ui/launch/FormRunUO.h"
#include "ui/main/FormMain.h"

namespace telk::ui {
namespace {

using test::MainWindowFixture;
using Paths = std::vector<std::string>;

class FormRunUOTest : public ::testing::Test, public MainWindowFixture {
protected:
    std::string TelkIni() const { return dir.ReadBytes("telk.ini"); }
    std::string SavedSettings() const { return DataIni({state.Client2DPath, state.Client3DPath, state.UoFolder}); }
};

TEST_F(FormRunUOTest, OpensCentredWithTheFocusOnStart2DAndTheMainWindowLocked) {
    FormRunUO& prompt = RestoreToPrompt();

    ASSERT_FALSE(ui.ShownCaptions().empty());
    EXPECT_EQ(ui.ShownCaptions().back(), "ＵＯ起動します？");
    EXPECT_EQ(ui.FocusedControl(), &prompt.Command1);
    EXPECT_DOUBLE_EQ(prompt.Top(), (ui.Screen().height - prompt.Height()) / 2);
    EXPECT_DOUBLE_EQ(prompt.Left(), (ui.Screen().width - prompt.Width()) / 2);
    EXPECT_FALSE(Main().Command3.UserClick());
    EXPECT_FALSE(Main().Option1(1).UserChoose());
    EXPECT_TRUE(prompt.Command1.CanTakeInput());
}

TEST_F(FormRunUOTest, EachStartButtonStartsItsClientSavesTheSettingsAndEnds) {
    for (int which : {2, 3}) {
        SCOPED_TRACE(which);
        MainWindowFixture world;
        world.state.Client2DPath = "C:\\Program Files\\Ultima Online 2D\\client.exe";
        world.state.Client3DPath = "C:\\Program Files\\Ultima Online 3D\\uotd.exe";
        FormRunUO& prompt = world.RestoreToPrompt();
        if (which == 3) world.state.UoFolder = "C:\\한국\\UO\\"; // no short form here: told after the question

        CommandButton& button = which == 2 ? prompt.Command1 : prompt.Command2;
        EXPECT_THROW(button.UserClick(), test::ProgramEnded);

        EXPECT_EQ(world.launcher.started, (Paths{which == 2 ? world.state.Client2DPath : world.state.Client3DPath}));
        EXPECT_EQ(world.dir.ReadBytes("telk.ini"),
                  world.DataIni({world.state.Client2DPath, world.state.Client3DPath, world.state.UoFolder}));
        EXPECT_EQ(world.ui.LastBoxText(), which == 2 ? world.ui.Boxes()[0].text : kPathNotKeptText);
    }
}

TEST_F(FormRunUOTest, AStartThatFailsIsToldAndThePromptStaysOpen) {
    FormRunUO& prompt = RestoreToPrompt();
    const std::string before = TelkIni();
    launcher.refusal = "指定されたファイルが見つかりません。";

    EXPECT_TRUE(prompt.Command1.UserClick());

    ASSERT_EQ(ui.Boxes().size(), 2u);
    EXPECT_EQ(ui.Boxes()[1].text, "起動できませんでした\r\n" + state.Client2DPath + "\r\n指定されたファイルが見つかりません。");
    EXPECT_EQ(ui.Boxes()[1].buttons, Buttons::Ok);
    EXPECT_EQ(ui.Boxes()[1].title, "TELK");
    EXPECT_EQ(TelkIni(), before);
    EXPECT_EQ(Prompt(), &prompt);
    EXPECT_FALSE(Main().Enabled());

    // The other client can still be tried.
    launcher.refusal.reset();
    EXPECT_THROW(prompt.Command2.UserClick(), test::ProgramEnded);
    EXPECT_EQ(launcher.started, (Paths{state.Client3DPath}));
    EXPECT_EQ(TelkIni(), SavedSettings());
}

TEST_F(FormRunUOTest, AnEmptyClientPathIsNamedAsSuch) {
    FormRunUO& prompt = RestoreToPrompt();
    state.Client3DPath.clear();
    launcher.refusal = "";

    prompt.Command2.UserClick();

    EXPECT_EQ(ui.LastBoxText(), "起動できませんでした\r\n（パスが設定されてないです）");
    EXPECT_EQ(Prompt(), &prompt);
}

TEST_F(FormRunUOTest, SettingsThatCannotBeWrittenAfterAStartAreToldAndTheProgramEnds) {
    FormRunUO& prompt = RestoreToPrompt();
    std::filesystem::remove(dir.Native("telk.ini"));
    dir.MakeFolder("telk.ini");

    EXPECT_THROW(prompt.Command1.UserClick(), test::ProgramEnded);

    EXPECT_EQ(launcher.started, (Paths{state.Client2DPath}));
    ASSERT_EQ(ui.Boxes().size(), 2u);
    EXPECT_NE(ui.Boxes()[1].text.find("telk.ini"), std::string::npos) << ui.Boxes()[1].text;
}

TEST_F(FormRunUOTest, DoNothingGivesTheMainWindowBackAsItWas) {
    FormRunUO& prompt = RestoreToPrompt();
    FormMain& main = Main();
    const std::string account = main.Combo1.Text();
    const std::string before = TelkIni();

    ASSERT_TRUE(prompt.Command3.UserClick());

    EXPECT_EQ(Prompt(), nullptr);
    EXPECT_TRUE(main.Enabled());
    EXPECT_EQ(ui.FocusedForm(), &main);
    EXPECT_EQ(main.Combo1.Text(), account);
    EXPECT_TRUE(main.Option1(0).Value());
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_EQ(TelkIni(), before);

    // A later restore opens the prompt again.
    ui.Answer(Answer::Ok);
    ASSERT_TRUE(main.Command5.UserClick());
    EXPECT_NE(Prompt(), nullptr);
    EXPECT_FALSE(main.Enabled());
}

} // namespace
} // namespace telk::ui
