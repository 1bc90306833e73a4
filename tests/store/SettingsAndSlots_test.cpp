// telk.ini and DATA.INI as files: what a reader gets from short, damaged
// or missing files, and the bytes the writers leave.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "store/Settings.h"
#include "store/SlotStore.h"
#include "support/TempDir.h"

namespace telk {
namespace {

class SettingsAndSlotsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ScopedCurrentFolder cwd{dir.Native()};
    std::unique_ptr<FileSystem> fs = test::MakePlatformFileSystem();
    std::unique_ptr<TextCodec> codec = test::MakeJapaneseTextCodec();
};

TEST_F(SettingsAndSlotsTest, DefaultSettingsHaveTwoLinesAndNoThirdValue) {
    WriteDefaultSettings(*fs, *codec);
    EXPECT_EQ(dir.ReadBytes("telk.ini"),
              "c:\\Program Files\\Ultima Online 2D\\UO.exe\r\nc:\\Program Files\\Ultima Online 3D\\UO.exe\r\n");
    const SettingsValues values = ReadSettings(*fs, *codec);
    EXPECT_EQ(values.client2DPath, kDefaultClient2DPath);
    EXPECT_EQ(values.client3DPath, kDefaultClient3DPath);
    EXPECT_FALSE(values.uoFolder.has_value());
}

TEST_F(SettingsAndSlotsTest, SettingsReaderTakesThreeValuesAtMost) {
    dir.WriteBytes("telk.ini", "a\r\nb\r\n\r\nfourth\r\n");
    SettingsValues values = ReadSettings(*fs, *codec);
    EXPECT_EQ(values.uoFolder, ""); // an empty third line is a value

    dir.WriteBytes("telk.ini", "only\r\n");
    values = ReadSettings(*fs, *codec);
    EXPECT_EQ(values.client2DPath, "only");
    EXPECT_FALSE(values.client3DPath.has_value());
    EXPECT_FALSE(values.uoFolder.has_value());

    // A comma in the 2D path moves every later value up by one.
    dir.WriteBytes("telk.ini", "c:\\a,b\\UO.exe\r\nc:\\3d.exe\r\nc:\\UO\\\r\n");
    values = ReadSettings(*fs, *codec);
    EXPECT_EQ(values.client2DPath, "c:\\a");
    EXPECT_EQ(values.client3DPath, "b\\UO.exe");
    EXPECT_EQ(values.uoFolder, "c:\\3d.exe");
}

TEST_F(SettingsAndSlotsTest, SettingsRoundTripAndMissingFileThrows) {
    EXPECT_THROW(ReadSettings(*fs, *codec), FileError);
    WriteSettings(*fs, *codec, "c:\\2d, copy\\UO.exe", "c:\\3d.exe", "c:\\UO\\");
    const SettingsValues values = ReadSettings(*fs, *codec);
    EXPECT_EQ(values.client2DPath, "c:\\2d, copy\\UO.exe");
    EXPECT_EQ(values.client3DPath, "c:\\3d.exe");
    EXPECT_EQ(values.uoFolder, "c:\\UO\\");
}

TEST_F(SettingsAndSlotsTest, SlotPaths) {
    EXPECT_EQ(SlotFolderPath("Z:\\app\\", 3), "Z:\\app\\SETTINGS\\3\\");
    EXPECT_EQ(SlotDataPath("Z:\\app\\", 0), "Z:\\app\\SETTINGS\\0\\DATA.INI");
    EXPECT_EQ(DefaultSlotName(4), "Slot4");
}

TEST_F(SettingsAndSlotsTest, SlotDataGivesWhateverCouldBeRead) {
    const std::string app = dir.Win() + "\\";
    dir.MakeFolder("Settings\\0");
    dir.WriteBytes("Settings\\1\\DATA.INI", "12-07-2026\r\n");
    dir.WriteBytes("Settings\\2\\DATA.INI", "\x96\xa2\x8e\x67\x97\x70\r\nSlot2\r\n");
    dir.WriteBytes("Settings\\3\\DATA.INI", "");

    SlotData missing = ReadSlotData(*fs, *codec, SlotFolderPath(app, 0));
    EXPECT_FALSE(missing.complete);
    EXPECT_EQ(missing.label, "");
    EXPECT_EQ(missing.name, "");

    SlotData shortFile = ReadSlotData(*fs, *codec, SlotFolderPath(app, 1));
    EXPECT_FALSE(shortFile.complete);
    EXPECT_EQ(shortFile.label, "12-07-2026");
    EXPECT_EQ(shortFile.name, "");

    SlotData full = ReadSlotData(*fs, *codec, SlotFolderPath(app, 2));
    EXPECT_TRUE(full.complete);
    EXPECT_EQ(full.label, kUnusedLabel);
    EXPECT_EQ(full.name, "Slot2");

    EXPECT_FALSE(ReadSlotData(*fs, *codec, SlotFolderPath(app, 3)).complete);
}

TEST_F(SettingsAndSlotsTest, SlotDataIsWrittenInTheCodePage) {
    const std::string app = dir.Win() + "\\";
    dir.MakeFolder("Settings\\4");
    WriteSlotData(*fs, *codec, SlotFolderPath(app, 4), kUnusedLabel, "Slot4");
    EXPECT_EQ(dir.ReadBytes("Settings\\4\\DATA.INI"), "\x96\xa2\x8e\x67\x97\x70\r\nSlot4\r\n");
    EXPECT_THROW(WriteSlotData(*fs, *codec, SlotFolderPath(app, 9), "a", "b"), FileError);
}

} // namespace
} // namespace telk
