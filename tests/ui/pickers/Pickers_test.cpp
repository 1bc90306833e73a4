// The folder picker and the client program picker: where they open, what
// they deliver, the drive and folder lists moving together, and drives or
// folders that cannot be read.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/StartWindows.h"
#include "ui/Texts.h"

namespace telk::test {
namespace {

namespace stdfs = std::filesystem;


class Pickers : public StartWindows {
protected:
    void SetUp() override {
        MakeFolder("C:\\Program Files\\Ultima Online\\Desktop");
        MakeFolder("C:\\Games\\UO\\Desktop");
        MakeFile("C:\\Games\\UO\\client.exe");
        MakeFolder("D:\\Games");
        MakeFile("D:\\UO.exe");
        MakeFile("D:\\Games\\uo3d.exe");
        Start();
    }

    // Opens the folder picker from the client folder window and runs inside
    // its wait; inside must close it.
    void InFolderPicker(std::function<void(FormSelDir&)> inside) {
        InPicker(Owner().Command1, inside);
        EXPECT_EQ(Get<FormSelDir>(), nullptr);
        EXPECT_EQ(State().FolderPickDone, 1);
    }

    // Opens the program picker for the 2D box from the settings window.
    void InProgramPicker(std::function<void(FormSelFile&)> inside) {
        if (Get<FormSetup>() == nullptr) {
            EXPECT_TRUE(Owner().Command4.UserClick());
        }
        InPicker(Get<FormSetup>()->Command1, inside);
        EXPECT_EQ(Get<FormSelFile>(), nullptr);
        EXPECT_EQ(State().ProgramPickTarget, 0);
    }
};

TEST_F(Pickers, BothOpenCentred) {
    InFolderPicker([this](FormSelDir& picker) {
        EXPECT_TRUE(picker.Shown());
        EXPECT_TRUE(Centred(Ui(), picker));
        EXPECT_TRUE(picker.Command2.UserClick());
    });
    InProgramPicker([this](FormSelFile& picker) {
        EXPECT_TRUE(picker.Shown());
        EXPECT_TRUE(Centred(Ui(), picker));
        EXPECT_TRUE(picker.Command2.UserClick());
    });
}

TEST_F(Pickers, FolderPickerDeliversTheOpenedFolder) {
    // Each opening starts from the working folder, not the last choice.
    for (int round = 0; round < 2; ++round) {
        InFolderPicker([this](FormSelDir& picker) {
            EXPECT_EQ(picker.Drive1.Drive(), "Z:\\");
            EXPECT_EQ(picker.Dir1.Path(), dir.Win());
            Browse(picker, "C:\\Program Files\\Ultima Online");
            EXPECT_TRUE(picker.Command1.UserClick());
        });
        EXPECT_EQ(Owner().Text1.Text(), "C:\\Program Files\\Ultima Online");
        EXPECT_EQ(State().UoFolder, "C:\\Program Files\\Ultima Online\\");
    }

    // A drive root keeps its one "\" in both places.
    InFolderPicker([](FormSelDir& picker) {
        Browse(picker, "D:\\");
        EXPECT_TRUE(picker.Command1.UserClick());
    });
    EXPECT_EQ(Owner().Text1.Text(), "D:\\");
    EXPECT_EQ(State().UoFolder, "D:\\");

    // A highlighted folder is not the opened one.
    InFolderPicker([](FormSelDir& picker) {
        Browse(picker, "C:\\Games");
        EXPECT_TRUE(picker.Dir1.UserHighlight(IndexOf(picker.Dir1, "UO")));
        EXPECT_TRUE(picker.Command1.UserClick());
    });
    EXPECT_EQ(Owner().Text1.Text(), "C:\\Games");
    EXPECT_EQ(State().UoFolder, "C:\\Games\\");
}

TEST_F(Pickers, UnreadableDriveIsToldAndTheListsStayPut) {
    InFolderPicker([this](FormSelDir& picker) {
        Browse(picker, "C:\\Games");
        const std::vector<std::string> folders = picker.Dir1.Items();
        const int driveC = picker.Drive1.ListIndex();
        EXPECT_TRUE(picker.Drive1.UserSelect(DriveIndex(picker.Drive1, 'Q')));
        ASSERT_EQ(Ui().Boxes().size(), 1u);
        EXPECT_TRUE(Told(Ui().Boxes()[0], ui::kDriveUnreadableText));
        EXPECT_EQ(picker.Drive1.Drive(), "C:\\");
        EXPECT_EQ(picker.Drive1.ListIndex(), driveC);
        EXPECT_EQ(picker.Dir1.Path(), "C:\\Games");
        EXPECT_EQ(picker.Dir1.Items(), folders);
        // Still usable: another drive, then a pick.
        Browse(picker, "D:\\Games");
        EXPECT_TRUE(picker.Command1.UserClick());
    });
    EXPECT_EQ(State().UoFolder, "D:\\Games\\");

    Ui().ClearBoxes();
    InProgramPicker([this](FormSelFile& picker) {
        Browse(picker, "D:\\Games");
        const std::vector<std::string> files = picker.File1.Items();
        EXPECT_TRUE(picker.Drive1.UserSelect(DriveIndex(picker.Drive1, 'Q')));
        ASSERT_EQ(Ui().Boxes().size(), 1u);
        EXPECT_TRUE(Told(Ui().Boxes()[0], ui::kDriveUnreadableText));
        EXPECT_EQ(picker.Drive1.Drive(), "D:\\");
        EXPECT_EQ(picker.Dir1.Path(), "D:\\Games");
        EXPECT_EQ(picker.File1.Path(), "D:\\Games");
        EXPECT_EQ(picker.File1.Items(), files);
        ASSERT_TRUE(picker.File1.UserSelect(IndexOf(picker.File1, "uo3d.exe")));
        EXPECT_TRUE(picker.Command1.UserClick());
    });
    EXPECT_EQ(Get<FormSetup>()->Text1.Text(), "D:\\Games\\uo3d.exe");
}

TEST_F(Pickers, FolderGoneBeforeItIsOpenedIsToldAndThePickerGoesOn) {
    InFolderPicker([this](FormSelDir& picker) {
        Browse(picker, "C:\\Games");
        const std::vector<std::string> folders = picker.Dir1.Items();
        const int uo = IndexOf(picker.Dir1, "UO");
        stdfs::remove_all(Native("C:\\Games\\UO"));
        EXPECT_TRUE(picker.Dir1.UserOpen(uo));
        EXPECT_EQ(Ui().Boxes().size(), 1u);
        EXPECT_EQ(picker.Dir1.Path(), "C:\\Games");
        EXPECT_EQ(picker.Dir1.Items(), folders);
        EXPECT_TRUE(picker.Command1.UserClick());
    });
    // The waiting window got its answer and is usable again.
    EXPECT_EQ(State().UoFolder, "C:\\Games\\");
    EXPECT_TRUE(Owner().Enabled());
}

TEST_F(Pickers, ProgramPickerFileListFollowsTheFolderAndDriveLists) {
    InProgramPicker([this](FormSelFile& picker) {
        EXPECT_EQ(picker.Dir1.Path(), dir.Win());
        EXPECT_EQ(picker.File1.Path(), dir.Win());
        // Every ordinary file, not only programs; no folders.
        EXPECT_EQ(picker.File1.Items(), std::vector<std::string>{"telk.ini"});
        EXPECT_TRUE(picker.Drive1.UserSelect(DriveIndex(picker.Drive1, 'D')));
        EXPECT_EQ(picker.Dir1.Path(), "D:\\");
        EXPECT_EQ(picker.File1.Path(), "D:\\");
        EXPECT_EQ(picker.File1.Items(), std::vector<std::string>{"UO.exe"});
        EXPECT_EQ(picker.File1.FileName(), "");
        Browse(picker, "C:\\Games\\UO");
        EXPECT_EQ(picker.Drive1.Drive(), "C:\\");
        EXPECT_EQ(picker.File1.Items(), std::vector<std::string>{"client.exe"});
        ASSERT_TRUE(picker.File1.UserSelect(0));
        EXPECT_TRUE(picker.Command1.UserClick());
    });
    EXPECT_EQ(Get<FormSetup>()->Text1.Text(), "C:\\Games\\UO\\client.exe");
}

TEST_F(Pickers, ProgramPickerFolderWhoseFilesCannotBeListedStepsBack) {
    EXPECT_TRUE(Owner().Command4.UserClick());
    fs.FailNth(0);
    InProgramPicker([this](FormSelFile& picker) {
        // One walk of a folder fills both lists.
        EXPECT_EQ(fs.Count(), 1);
        Browse(picker, "C:\\Games");
        fs.FailNth(1);
        EXPECT_TRUE(picker.Dir1.UserOpen(IndexOf(picker.Dir1, "UO")));
        EXPECT_TRUE(fs.Fired());
        fs.FailNth(0);
        ASSERT_EQ(Ui().Boxes().size(), 1u);
        EXPECT_TRUE(Told(Ui().Boxes()[0], ui::kFolderUnreadableText));
        // Both lists show the folder before, so a pick names a real file.
        EXPECT_EQ(picker.Dir1.Path(), "C:\\Games");
        EXPECT_EQ(picker.File1.Path(), "C:\\Games");

        // The same through a drive change: the drive list steps back too.
        Ui().ClearBoxes();
        fs.FailNth(1);
        EXPECT_TRUE(picker.Drive1.UserSelect(DriveIndex(picker.Drive1, 'D')));
        EXPECT_TRUE(fs.Fired());
        fs.FailNth(0);
        EXPECT_EQ(Ui().Boxes().size(), 1u);
        EXPECT_EQ(picker.Drive1.Drive(), "C:\\");
        EXPECT_EQ(picker.Dir1.Path(), "C:\\Games");
        EXPECT_EQ(picker.File1.Path(), "C:\\Games");

        EXPECT_TRUE(picker.Dir1.UserOpen(IndexOf(picker.Dir1, "UO")));
        EXPECT_EQ(fs.Count(), 1);
        EXPECT_EQ(picker.File1.Items(), std::vector<std::string>{"client.exe"});
        EXPECT_TRUE(picker.Command2.UserClick());
    });
    EXPECT_EQ(Get<FormSetup>()->Text1.Text(), "C:\\Clients\\2D\\UO.exe");
}

} // namespace
} // namespace telk::test
