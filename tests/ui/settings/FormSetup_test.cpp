// The client settings window: opening from the client folder window, the
// program picker for each box, save and discard with telk.ini, and what a
// failing telk.ini does to them.
#include <filesystem>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "support/StartWindows.h"
#include "ui/Messages.h"
#include "ui/Texts.h"

namespace telk::test {
namespace {

namespace stdfs = std::filesystem;


class SettingsWindow : public StartWindows {
protected:
    void SetUp() override {
        MakeFile("C:\\Clients\\New2D\\client.exe");
        MakeFile("C:\\Clients\\New2D\\readme.txt");
        MakeFile("D:\\UO.exe");
        Start();
    }

    FormSetup& Open() {
        EXPECT_TRUE(Owner().Command4.UserClick());
        FormSetup* setup = Get<FormSetup>();
        if (setup == nullptr) throw std::logic_error("the settings window did not open");
        return *setup;
    }

    // Selects name in the picker's file list and presses "選択".
    static void Choose(FormSelFile& picker, const std::string& folder, const std::string& name) {
        Browse(picker, folder);
        ASSERT_TRUE(picker.File1.UserSelect(IndexOf(picker.File1, name)));
        EXPECT_TRUE(picker.Command1.UserClick());
    }

    void ExpectState(const std::string& client2D, const std::string& client3D, const std::string& uoFolder) {
        EXPECT_EQ(State().Client2DPath, client2D);
        EXPECT_EQ(State().Client3DPath, client3D);
        EXPECT_EQ(State().UoFolder, uoFolder);
    }
};

TEST_F(SettingsWindow, OpensOverTheDisabledClientFolderWindowAndCloseGivesItBack) {
    const std::string iniBefore = IniBytes();
    FormSetup& setup = Open();
    EXPECT_TRUE(setup.Shown());
    EXPECT_TRUE(Centred(Ui(), setup));
    EXPECT_FALSE(Owner().Enabled());
    EXPECT_FALSE(Owner().Command3.UserClick());

    // A pick and an edit that are never saved are dropped without a question.
    InPicker<FormSelFile>(setup.Command1, [](FormSelFile& picker) { Choose(picker, "C:\\Clients\\New2D", "client.exe"); });
    EXPECT_TRUE(setup.Text2.UserType("C:\\Unsaved\\UO.exe"));
    EXPECT_TRUE(setup.Command5.UserClick());
    EXPECT_EQ(Get<FormSetup>(), nullptr);
    EXPECT_TRUE(Owner().Enabled());
    EXPECT_EQ(Ui().FocusedForm(), &Owner());
    EXPECT_TRUE(Ui().Boxes().empty());
    ExpectState(k2D, k3D, "C:\\Games\\UO");
    EXPECT_EQ(IniBytes(), iniBefore);
    FormSetup& again = Open();
    EXPECT_EQ(again.Text1.Text(), k2D);
    EXPECT_EQ(again.Text2.Text(), k3D);
}

TEST_F(SettingsWindow, PickedProgramLandsInItsOwnBoxOnly) {
    FormSetup& setup = Open();
    InPicker<FormSelFile>(setup.Command1, [&](FormSelFile& picker) {
        EXPECT_EQ(State().ProgramPickTarget, 1);
        EXPECT_FALSE(setup.Enabled());
        EXPECT_FALSE(setup.Command5.UserClick());
        Choose(picker, "C:\\Clients\\New2D", "client.exe");
    });
    EXPECT_EQ(Get<FormSelFile>(), nullptr);
    EXPECT_EQ(State().ProgramPickTarget, 0);
    EXPECT_EQ(setup.Text1.Text(), "C:\\Clients\\New2D\\client.exe");
    EXPECT_EQ(setup.Text2.Text(), k3D);
    EXPECT_TRUE(setup.Enabled());
    EXPECT_EQ(Ui().FocusedForm(), &setup);

    // A file in a drive root: one "\" between root and name.
    InPicker<FormSelFile>(setup.Command2, [&](FormSelFile& picker) {
        EXPECT_EQ(State().ProgramPickTarget, 2);
        Choose(picker, "D:\\", "UO.exe");
    });
    EXPECT_EQ(State().ProgramPickTarget, 0);
    EXPECT_EQ(setup.Text1.Text(), "C:\\Clients\\New2D\\client.exe");
    EXPECT_EQ(setup.Text2.Text(), "D:\\UO.exe");
    // Only the boxes change; the paths wait for "保存".
    ExpectState(k2D, k3D, "C:\\Games\\UO");
}

TEST_F(SettingsWindow, PickWithoutAFileAsksForOneAndKeepsTheTarget) {
    FormSetup& setup = Open();
    InPicker<FormSelFile>(setup.Command2, [&](FormSelFile& picker) {
        Browse(picker, "C:\\Clients\\New2D");
        ASSERT_GT(picker.File1.ListCount(), 0);
        EXPECT_TRUE(picker.Command1.UserClick());
        ASSERT_EQ(Ui().Boxes().size(), 1u);
        EXPECT_TRUE(Told(Ui().Boxes()[0], ui::kNoFileText));
        EXPECT_EQ(State().ProgramPickTarget, 2);
        EXPECT_EQ(Get<FormSelFile>(), &picker);
        // Still browsing; then "中断".
        EXPECT_TRUE(picker.Command2.UserClick());
    });
    EXPECT_EQ(State().ProgramPickTarget, 0);
    EXPECT_EQ(Get<FormSelFile>(), nullptr);
    EXPECT_EQ(setup.Text1.Text(), k2D);
    EXPECT_EQ(setup.Text2.Text(), k3D);
    EXPECT_TRUE(setup.Enabled());
}

TEST_F(SettingsWindow, SaveWritesTheBoxesWithTheCurrentUoFolderAndReadsThemBack) {
    // Typed into the client folder window but never accepted: not saved.
    EXPECT_TRUE(Owner().Text1.UserType("C:\\Typed\\Elsewhere"));
    FormSetup& setup = Open();
    EXPECT_TRUE(setup.Text1.UserType("C:\\New\\2D.exe"));
    EXPECT_TRUE(setup.Command3.UserClick());
    EXPECT_EQ(IniBytes(), DataIni({"C:\\New\\2D.exe", k3D, "C:\\Games\\UO"}));
    ExpectState("C:\\New\\2D.exe", k3D, "C:\\Games\\UO");
    EXPECT_EQ(Get<FormSetup>(), &setup);
    EXPECT_EQ(setup.Text1.Text(), "C:\\New\\2D.exe");
    EXPECT_TRUE(Ui().Boxes().empty());
    EXPECT_TRUE(setup.Command5.UserClick());

    // A picked folder is the current one, with its "\".
    MakeFolder("C:\\Games\\Picked");
    Ui().DuringWait([this] {
        FormSelDir* picker = Get<FormSelDir>();
        ASSERT_NE(picker, nullptr);
        Browse(*picker, "C:\\Games\\Picked");
        EXPECT_TRUE(picker->Command1.UserClick());
    });
    EXPECT_TRUE(Owner().Command1.UserClick());
    EXPECT_TRUE(Owner().Text1.UserType("C:\\Typed\\Again"));
    EXPECT_TRUE(Open().Command3.UserClick());
    EXPECT_EQ(IniBytes(), DataIni({"C:\\New\\2D.exe", k3D, "C:\\Games\\Picked\\"}));
    ExpectState("C:\\New\\2D.exe", k3D, "C:\\Games\\Picked\\");
}

TEST_F(SettingsWindow, SaveReadsBackEmptyAndCommaPathsWhole) {
    FormSetup& setup = Open();
    EXPECT_TRUE(setup.Text1.UserType(""));
    EXPECT_TRUE(setup.Command3.UserClick());
    EXPECT_EQ(IniBytes(), DataIni({"", k3D, "C:\\Games\\UO"}));
    ExpectState("", k3D, "C:\\Games\\UO");

    // A comma would split the value and shift the rest up a line; the store
    // writes it so that it reads back whole.
    EXPECT_TRUE(setup.Text1.UserType("C:\\Games,Old\\UO.exe"));
    EXPECT_TRUE(setup.Text2.UserType("  C:\\Spaced\\UO.exe"));
    EXPECT_TRUE(setup.Command3.UserClick());
    ExpectState("C:\\Games,Old\\UO.exe", "  C:\\Spaced\\UO.exe", "C:\\Games\\UO");
    EXPECT_TRUE(Ui().Boxes().empty());

    // A path the code page cannot hold, with no short form here: told.
    EXPECT_TRUE(setup.Text1.UserType("C:\\한국\\UO.exe"));
    EXPECT_TRUE(setup.Command3.UserClick());
    EXPECT_EQ(Ui().LastBoxText(), ui::kPathNotKeptText);
}

TEST_F(SettingsWindow, DiscardShowsWhatTheFileHoldsAndLeavesUoFolder) {
    FormSetup& setup = Open();
    // Another writer changed the file since the start, line 3 too.
    WriteIni({"C:\\Other\\2D.exe", "C:\\Other\\3D.exe", "C:\\Elsewhere\\"});
    EXPECT_TRUE(setup.Text1.UserType("C:\\Typed\\2D.exe"));
    EXPECT_TRUE(setup.Command4.UserClick());
    EXPECT_EQ(setup.Text1.Text(), "C:\\Other\\2D.exe");
    EXPECT_EQ(setup.Text2.Text(), "C:\\Other\\3D.exe");
    ExpectState("C:\\Other\\2D.exe", "C:\\Other\\3D.exe", "C:\\Games\\UO");

    // After a save, discard brings back what was saved.
    EXPECT_TRUE(setup.Text2.UserType("C:\\Saved\\3D.exe"));
    EXPECT_TRUE(setup.Command3.UserClick());
    EXPECT_TRUE(setup.Text1.UserType("C:\\Junk1"));
    EXPECT_TRUE(setup.Text2.UserType("C:\\Junk2"));
    EXPECT_TRUE(setup.Command4.UserClick());
    EXPECT_EQ(setup.Text1.Text(), "C:\\Other\\2D.exe");
    EXPECT_EQ(setup.Text2.Text(), "C:\\Saved\\3D.exe");
    EXPECT_TRUE(Ui().Boxes().empty());
    EXPECT_TRUE(setup.Command5.UserClick());
    EXPECT_EQ(Open().Text2.Text(), "C:\\Saved\\3D.exe");
}

TEST_F(SettingsWindow, SettingsFileThatCannotBeWrittenOrReadIsToldAndChangesNothing) {
    FormSetup& setup = Open();
    // A folder where telk.ini should be: neither written nor read.
    stdfs::remove(dir.Native("telk.ini"));
    stdfs::create_directory(dir.Native("telk.ini"));
    EXPECT_TRUE(setup.Text1.UserType("C:\\New\\2D.exe"));
    for (ui::CommandButton* button : {&setup.Command3, &setup.Command4}) {
        SCOPED_TRACE(button->Text());
        Ui().ClearBoxes();
        EXPECT_TRUE(button->UserClick());
        ASSERT_EQ(Ui().Boxes().size(), 1u);
        EXPECT_NE(Ui().Boxes()[0].text.find("telk.ini"), std::string::npos);
        EXPECT_TRUE(Told(Ui().Boxes()[0]));
        ExpectState(k2D, k3D, "C:\\Games\\UO");
        EXPECT_EQ(setup.Text1.Text(), "C:\\New\\2D.exe");
        EXPECT_EQ(setup.Text2.Text(), k3D);
        EXPECT_TRUE(setup.Enabled());
        EXPECT_EQ(Get<FormSetup>(), &setup);
    }

    // Once the file can be written again, the same window saves.
    stdfs::remove(dir.Native("telk.ini"));
    Ui().ClearBoxes();
    EXPECT_TRUE(setup.Command3.UserClick());
    EXPECT_TRUE(Ui().Boxes().empty());
    ExpectState("C:\\New\\2D.exe", k3D, "C:\\Games\\UO");
    EXPECT_TRUE(setup.Command5.UserClick());
    EXPECT_TRUE(Owner().Enabled());
}

TEST_F(SettingsWindow, SaveFailingAtEitherStepLeavesTheStateAsItWas) {
    FormSetup& setup = Open();
    EXPECT_TRUE(setup.Text1.UserType("C:\\New\\2D.exe"));
    // 1: writing the new file fails; 2: putting it in place fails, so the
    // file keeps its old lines and is not read; 3: it cannot be read back.
    for (int n : {1, 2, 3}) {
        SCOPED_TRACE(n);
        Ui().ClearBoxes();
        fs.FailNth(n);
        EXPECT_TRUE(setup.Command3.UserClick());
        EXPECT_TRUE(fs.Fired());
        EXPECT_EQ(Ui().Boxes().size(), 1u);
        ExpectState(k2D, k3D, "C:\\Games\\UO");
        EXPECT_EQ(setup.Text1.Text(), "C:\\New\\2D.exe");
    }
    fs.FailNth(0);

    // A discard whose read fails keeps the boxes as the user left them.
    WriteIni({"C:\\Other\\2D.exe", "C:\\Other\\3D.exe", "C:\\Games\\UO\\"});
    Ui().ClearBoxes();
    fs.FailNth(1);
    EXPECT_TRUE(setup.Command4.UserClick());
    EXPECT_TRUE(fs.Fired());
    EXPECT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_EQ(setup.Text1.Text(), "C:\\New\\2D.exe");
    EXPECT_EQ(setup.Text2.Text(), k3D);
    ExpectState(k2D, k3D, "C:\\Games\\UO");
    fs.FailNth(0);
    EXPECT_TRUE(setup.Command4.UserClick());
    EXPECT_EQ(setup.Text1.Text(), "C:\\Other\\2D.exe");
}

} // namespace
} // namespace telk::test
