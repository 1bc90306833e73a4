// Back-up into a slot, and the start's repair of a slot whose swap was
// cut off.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "store/SlotStore.h"
#include "store/TextValues.h"
#include "store/Transfer.h"
#include "store/TransferFixture.h"
#include "support/FolderSnapshot.h"

namespace telk {
namespace {

TEST_F(TransferTest, BackUpReplacesTheFilesAndKeepsWhatItDoesNotReplace) {
    Reset();
    FillSlot2();
    FillChar(false);
    const Snapshot charBefore = Char();
    Snapshot expected = Store();
    for (const std::string& name : kFiles)
        if (name != "uo.cfg") expected["2/" + name] = "client " + name;
    expected["2/DATA.INI"] = EncodeValues(*codec, {kDate, kName});
    BackUp(*real);
    EXPECT_EQ(Store(), expected); // older uo.cfg, notes and sub-folder carried over
    EXPECT_EQ(Char(), charBefore);
    const SlotData data = ReadSlotData(*real, *codec, slotFolder);
    EXPECT_EQ(data.label, kDate);
    EXPECT_EQ(data.name, kName);

    FillChar(true);
    BackUp(*real);
    EXPECT_EQ(Store().at("2/uo.cfg"), "client uo.cfg");
}

// A file the slot already has keeps its name as it stands; a slot folder
// removed behind the program's back is made anew.
TEST_F(TransferTest, BackUpKeepsTheNamesAsTheSlotHasThem) {
    for (const bool removed : {false, true}) {
        Reset();
        if (removed) std::filesystem::remove_all(dir.Native("Settings\\2"));
        else dir.WriteBytes("Settings\\2\\CharData.MUL", "old");
        FillChar(removed);
        BackUp(*real);
        const std::vector<std::string> names = removed ? std::vector<std::string>{"chardata.mul", "data.ini", "desktop.uos", "macros.txt", "skillgrp.mul", "uo.cfg"}
                                                       : std::vector<std::string>{"CharData.MUL", "DATA.INI", "desktop.uos", "macros.txt", "skillgrp.mul"};
        EXPECT_EQ(dir.Names("Settings\\2"), names);
        EXPECT_EQ(dir.ReadBytes("Settings\\2\\" + dir.Names("Settings\\2")[0]), "client chardata.mul");
        EXPECT_EQ(dir.Names("Settings"), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
    }
}

// The repair decides from what the folders hold, never from which exist.
TEST_F(TransferTest, RepairKeepsTheSlotThatHoldsTheFiles) {
    struct Case {
        const char* what;
        std::function<void()> damage;
    } cases[] = {
        {"cut off while staging", [&] { dir.WriteBytes("Settings\\2.new\\chardata.mul", "half"); }},
        {"cut off between the renames",
         [&] {
             std::filesystem::rename(dir.Native("Settings/2"), dir.Native("Settings/2.old"));
             dir.WriteBytes("Settings\\2.new\\chardata.mul", "new");
         }},
        {"a failed start made a stand-in",
         [&] {
             std::filesystem::rename(dir.Native("Settings/2"), dir.Native("Settings/2.old"));
             dir.WriteBytes("Settings\\2\\DATA.INI", "未使用\r\nSlot2\r\n");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        FillSlot2();
        dir.WriteBytes("Settings\\2\\DATA.INI", "01-02-2026\r\nmain\r\n");
        const Snapshot before = Store();
        c.damage();
        RepairSlotStore(*real, app);
        EXPECT_EQ(Store(), before);
    }
    // After the renames: the new slot stays, whatever is left of the old goes.
    Reset();
    FillSlot2();
    dir.WriteBytes("Settings\\2\\DATA.INI", "01-02-2026\r\nmain\r\n");
    const Snapshot after = Store();
    dir.WriteBytes("Settings\\2.old\\chardata.mul", "old");
    RepairSlotStore(*real, app);
    EXPECT_EQ(Store(), after);
    // Neither whole: both stay, and the player hears it is theirs to
    // choose. A uo.cfg alone is a character's file too.
    std::filesystem::remove(dir.Native("Settings/2/DATA.INI"));
    for (const char* file : {"chardata.mul", "uo.cfg"}) {
        std::filesystem::remove_all(dir.Native("Settings/2.old"));
        dir.WriteBytes(std::string("Settings\\2.old\\") + file, "old");
        const Snapshot undecided = Store();
        EXPECT_EQ(RepairSlotStore(*real, app).undecided.size(), 1u) << file;
        EXPECT_EQ(Store(), undecided) << file;
    }
}

// A back-up settles a restore that did not end before it lists the
// character's files: a file that restore added is not backed up.
TEST_F(TransferTest, BackUpSettlesAWaitingRestoreFirst) {
    Reset();
    FillSlot2();
    FillChar(false);
    const Snapshot before = Char();
    faulty.FailNth(0);
    Restore(faulty);
    const int added = IndexOf("Rename " + charFolder + "uo.cfg" + kIncomingSuffix);
    Reset();
    FillSlot2();
    FillChar(false);
    faulty.CrashAtNth(added + 1);
    EXPECT_THROW(Restore(faulty), test::SimulatedCrash);
    BackUpToSlot(*real, *codec, app, charFolder, SlotFolderPath(app, 3), kDate, kName);
    EXPECT_EQ(Char(), before);
    EXPECT_FALSE(dir.IsFile("Settings\\3\\uo.cfg"));
}

TEST_F(TransferTest, AFailedRollbackSaysWhereTheOldSlotWaits) {
    auto setUp = [&] {
        Reset();
        FillSlot2();
        FillChar(false);
    };
    setUp();
    const Snapshot before = Store();
    // The second rename fails, and so does putting the old slot back.
    faulty.FailNth(0);
    BackUp(faulty);
    const int swap = IndexOf("Rename " + app + "SETTINGS\\2.new");
    setUp();
    faulty.FailNth(swap);
    EXPECT_THROW(BackUp(faulty), FileError);
    const int putBack = IndexOf("Rename " + app + "SETTINGS\\2.old");
    ASSERT_GT(putBack, swap);
    setUp();
    faulty.FailAt({swap, putBack});
    try {
        BackUp(faulty);
        ADD_FAILURE() << "no failure";
    } catch (const RollbackFailed& e) {
        ASSERT_EQ(e.Kept().size(), 1u);
        EXPECT_EQ(e.Kept()[0].copy, app + "SETTINGS\\2.old");
    }
    EXPECT_TRUE(dir.IsFolder("Settings\\2.old"));
    EXPECT_TRUE(SlotAwaitsRepair(*real, slotFolder));
    RepairSlotStore(*real, app);
    EXPECT_EQ(Store(), before);
}

// Neither removing nor copying a slot's folders ever follows a link.
TEST_F(TransferTest, LinksInASlotAreCopiedAndRemovedAsThemselves) {
    Reset();
    FillSlot2();
    FillChar(false);
    dir.WriteBytes("outside\\keep.txt", "not the program's");
    std::filesystem::create_directory_symlink(dir.Native("outside"), dir.Native("Settings/2/linked"));
    std::filesystem::create_directory_symlink(dir.Native("Settings/2"), dir.Native("Settings/2/extra/loop"));
    const Snapshot outside = test::FolderSnapshot(dir.Native("outside"));
    BackUp(*real);
    BackUp(*real);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Native("Settings/2/linked")));
    EXPECT_EQ(std::filesystem::read_symlink(dir.Native("Settings/2/linked")), dir.Native("outside"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Native("Settings/2/extra/loop")));
    EXPECT_FALSE(dir.IsFolder("Settings\\2.old"));
    EXPECT_EQ(test::FolderSnapshot(dir.Native("outside")), outside);

    // A linked slot that an older copy of the program renamed aside goes
    // back as the link (a linked slot itself is refused: the window's tests).
    std::filesystem::remove_all(dir.Native("Settings/2"));
    std::filesystem::create_directory_symlink(dir.Native("outside"), dir.Native("Settings/2.old"));
    EXPECT_TRUE(RepairSlotStore(*real, app).waiting.empty());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Native("Settings/2")));
    // A dangling link left aside beside a complete slot goes as itself.
    std::filesystem::remove(dir.Native("Settings/2"));
    FillSlot2();
    dir.WriteBytes("Settings\\2\\DATA.INI", "01-02-2026\r\nmain\r\n");
    std::filesystem::create_directory_symlink(dir.Native("gone"), dir.Native("Settings/2.old"));
    BackUp(*real);
    EXPECT_FALSE(std::filesystem::is_symlink(dir.Native("Settings/2.old")));
    EXPECT_EQ(test::FolderSnapshot(dir.Native("outside")), outside);
}

} // namespace
} // namespace telk
