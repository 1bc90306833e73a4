// The client folder window: accepting a typed folder with its two checks,
// picking one with the folder picker, quitting.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/StartWindows.h"
#include "ui/launch/FormWait.h"
#include "ui/main/FormMain.h"
#include "ui/Texts.h"

namespace telk::test {
namespace {

namespace stdfs = std::filesystem;

using ui::FormMain;
using ui::FormWait;

class ClientFolderWindow : public StartWindows {
protected:
    void SetUp() override { MakeClientFolder("C:\\Games\\UO"); }

    // Types folder and presses "いいよん"; true when the run ended.
    bool Accept(const std::string& folder) {
        EXPECT_TRUE(Owner().Text1.UserType(folder));
        try {
            EXPECT_TRUE(Owner().Command2.UserClick());
        } catch (const ProgramEnded&) {
            return true;
        }
        return false;
    }

    void ExpectHandedOver() {
        EXPECT_TRUE(Ui().Boxes().empty());
        EXPECT_EQ(Get<FormUoSel>(), nullptr);
        EXPECT_EQ(Get<FormWait>(), nullptr);
        ASSERT_NE(Get<FormMain>(), nullptr);
        EXPECT_TRUE(Get<FormMain>()->Shown());
        // The wait window came up just before the main window.
        const std::vector<std::string>& shown = Ui().ShownCaptions();
        ASSERT_GE(shown.size(), 3u);
        EXPECT_EQ(shown.front(), ui::kUoSelCaption);
        EXPECT_EQ(shown[shown.size() - 2], "");
        EXPECT_EQ(shown.back(), Get<FormMain>()->Caption());
    }

    void ExpectEndedWith(const std::string& text) {
        ASSERT_EQ(Ui().Boxes().size(), 1u);
        EXPECT_TRUE(Told(Ui().Boxes()[0], text));
        EXPECT_EQ(Get<FormMain>(), nullptr);
    }
};

TEST_F(ClientFolderWindow, OpensCentredOnTheFolderTheStartRead) {
    Start();
    const FormUoSel& form = Owner();
    // The folder as the start read it, less its "\"; the version lines filled.
    EXPECT_EQ(form.Text1.Text(), "C:\\Games\\UO");
    EXPECT_FALSE(form.Label3.Text().empty());
    EXPECT_FALSE(form.Label4.Text().empty());
    EXPECT_TRUE(Centred(Ui(), form));
    EXPECT_TRUE(form.Shown());
}

TEST_F(ClientFolderWindow, TypedFolderWithOrWithoutBackslashGivesOneUoFolder) {
    for (const char* typed : {"C:\\Games\\UO", "C:\\Games\\UO\\", "c:\\games\\uo"}) {
        SCOPED_TRACE(typed);
        Start();
        const std::string iniBefore = IniBytes();
        EXPECT_FALSE(Accept(typed));
        std::string expected = typed;
        if (expected.back() != '\\') expected += '\\';
        EXPECT_EQ(State().UoFolder, expected);
        ExpectHandedOver();
        // Accepting keeps the folder in memory only.
        EXPECT_EQ(IniBytes(), iniBefore);
    }
}

TEST_F(ClientFolderWindow, DriveRootIsTestedAsTyped) {
    MakeClientFolder("D:\\");
    Start();
    EXPECT_FALSE(Accept("D:\\"));
    EXPECT_EQ(State().UoFolder, "D:\\");
    ExpectHandedOver();

    // The same root without its Desktop folder fails the second check.
    stdfs::remove_all(Native("D:\\Desktop"));
    Start();
    EXPECT_TRUE(Accept("D:\\"));
    ExpectEndedWith(ui::kNeverLoggedInText);
}

TEST_F(ClientFolderWindow, MissingFolderIsToldAndEndsTheRunWithoutSaving) {
    MakeFile("C:\\Games\\notes.txt");
    for (const char* typed : {"C:\\Games\\Nowhere", "", "C:\\Games\\notes.txt", "Q:\\"}) {
        SCOPED_TRACE(typed);
        Start();
        const std::string iniBefore = IniBytes();
        EXPECT_TRUE(Accept(typed));
        ExpectEndedWith(ui::kNoFolderText);
        // Ended before the wait window.
        EXPECT_EQ(Get<FormWait>(), nullptr);
        EXPECT_EQ(Ui().ShownCaptions(), std::vector<std::string>{ui::kUoSelCaption});
        EXPECT_EQ(IniBytes(), iniBefore);
    }
}

TEST_F(ClientFolderWindow, FolderWithoutDesktopEndsWithTheWaitWindowUp) {
    MakeFolder("C:\\Games\\Fresh");
    Start();
    const std::string iniBefore = IniBytes();
    EXPECT_TRUE(Accept("C:\\Games\\Fresh"));
    ExpectEndedWith(ui::kNeverLoggedInText);
    ASSERT_NE(Get<FormWait>(), nullptr);
    EXPECT_TRUE(Get<FormWait>()->Shown());
    ASSERT_NE(Get<FormUoSel>(), nullptr);
    EXPECT_FALSE(Get<FormUoSel>()->Enabled());
    EXPECT_EQ(State().UoFolder, "C:\\Games\\Fresh\\");
    EXPECT_EQ(IniBytes(), iniBefore);
}

TEST_F(ClientFolderWindow, PickedFolderFillsTheBoxAndTheEditedBoxIsWhatCounts) {
    MakeClientFolder("C:\\Games\\Other");
    Start();
    InPicker<FormSelDir>(Owner().Command1, [this](FormSelDir& picker) {
        // The window waits disabled: none of its buttons works meanwhile.
        EXPECT_FALSE(Owner().Enabled());
        EXPECT_FALSE(Owner().Command2.UserClick());
        EXPECT_EQ(State().FolderPickDone, 0);
        Browse(picker, "C:\\Games\\UO");
        EXPECT_TRUE(picker.Command1.UserClick());
    });
    EXPECT_EQ(Get<FormSelDir>(), nullptr);
    EXPECT_EQ(State().FolderPickDone, 1);
    EXPECT_EQ(Owner().Text1.Text(), "C:\\Games\\UO");
    EXPECT_EQ(State().UoFolder, "C:\\Games\\UO\\");
    EXPECT_TRUE(Owner().Enabled());
    EXPECT_EQ(Ui().FocusedForm(), &Owner());

    EXPECT_FALSE(Accept("C:\\Games\\Other"));
    EXPECT_EQ(State().UoFolder, "C:\\Games\\Other\\");
    ExpectHandedOver();
}

TEST_F(ClientFolderWindow, CancelledPickChangesNothingAndGivesTheWindowBack) {
    Start();
    EXPECT_TRUE(Owner().Text1.UserType("C:\\Typed"));
    const std::string folderBefore = State().UoFolder;
    InPicker<FormSelDir>(Owner().Command1, [](FormSelDir& picker) {
        Browse(picker, "C:\\Games\\UO");
        EXPECT_TRUE(picker.Command2.UserClick());
    });
    EXPECT_EQ(Get<FormSelDir>(), nullptr);
    EXPECT_EQ(State().FolderPickDone, 1);
    EXPECT_EQ(Owner().Text1.Text(), "C:\\Typed");
    EXPECT_EQ(State().UoFolder, folderBefore);
    EXPECT_TRUE(Owner().Enabled());
    EXPECT_EQ(Ui().FocusedForm(), &Owner());
    EXPECT_TRUE(Ui().Boxes().empty());
}

TEST_F(ClientFolderWindow, QuitEndsTheRunAndStoresNothingEvenAfterAPick) {
    MakeFolder("C:\\Games\\Picked");
    Start();
    const std::string iniBefore = IniBytes();
    InPicker<FormSelDir>(Owner().Command1, [](FormSelDir& picker) {
        Browse(picker, "C:\\Games\\Picked");
        EXPECT_TRUE(picker.Command1.UserClick());
    });
    ASSERT_EQ(State().UoFolder, "C:\\Games\\Picked\\");
    EXPECT_THROW(Owner().Command3.UserClick(), ProgramEnded);
    EXPECT_TRUE(Ui().Boxes().empty());
    EXPECT_EQ(IniBytes(), iniBefore);
    // The next start still shows the folder of the file.
    Start();
    EXPECT_EQ(Owner().Text1.Text(), "C:\\Games\\UO");
}

} // namespace
} // namespace telk::test
