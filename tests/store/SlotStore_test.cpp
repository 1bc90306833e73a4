// DATA.INI as the slot rows read it: whatever a missing, short or empty
// file still gives, and whether it was whole.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "store/SlotStore.h"
#include "support/TempDir.h"

namespace telk {
namespace {

TEST(SlotStoreTest, SlotDataGivesWhateverCouldBeRead) {
    test::TempDir dir;
    std::unique_ptr<FileSystem> fs = test::MakePlatformFileSystem();
    std::unique_ptr<TextCodec> codec = test::MakeJapaneseTextCodec();
    const std::string app = dir.Win() + "\\";
    dir.MakeFolder("Settings\\0");
    dir.WriteBytes("Settings\\1\\DATA.INI", "12-07-2026\r\n");
    dir.WriteBytes("Settings\\2\\DATA.INI", "\x96\xa2\x8e\x67\x97\x70\r\nSlot2\r\n");
    dir.WriteBytes("Settings\\3\\DATA.INI", "");

    const SlotData missing = ReadSlotData(*fs, *codec, SlotFolderPath(app, 0));
    EXPECT_EQ(missing.label + missing.name, "");

    const SlotData shortFile = ReadSlotData(*fs, *codec, SlotFolderPath(app, 1));
    EXPECT_EQ(shortFile.label, "12-07-2026");
    EXPECT_EQ(shortFile.name, "");

    const SlotData full = ReadSlotData(*fs, *codec, SlotFolderPath(app, 2));
    EXPECT_EQ(full.label, "未使用");
    EXPECT_EQ(full.name, "Slot2");

    const SlotData empty = ReadSlotData(*fs, *codec, SlotFolderPath(app, 3));
    EXPECT_EQ(empty.label + empty.name, "");
}

} // namespace
} // namespace telk
