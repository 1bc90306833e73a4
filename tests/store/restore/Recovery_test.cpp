// The recovery of a restore that did not end: settled where it belongs,
// by the next start or before the next action on the character.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "store/TransferFixture.h"
#include "store/restore/Restore.h"

namespace telk {
namespace {

// A 2D and a 3D install with the same names: one's unfinished restore
// neither blocks nor steers the other's, and a back-up of the waiting one
// settles it first. (Under Wine the e2e tests look into both safety copies.)
TEST_F(TransferTest, TwoInstallsWithTheSameNamesShareNothing) {
    const std::string other = "UO3D\\DESKTOP\\acct\\shard\\Name";
    Reset();
    FillSlot2();
    FillChar(true);
    for (const std::string& name : kFiles) dir.WriteBytes(other + "\\" + name, "3d " + name);
    const Snapshot before = Char();
    faulty.FailNth(0);
    Restore(faulty);
    const int secondReplace = IndexOf("ReplaceFile " + charFolder + "desktop.uos");
    for (const std::string& name : kFiles) dir.WriteBytes(std::string(kCharRel) + "\\" + name, "client " + name);
    std::filesystem::remove_all(dir.Native(safetyRel));
    faulty.CrashAtNth(secondReplace);
    EXPECT_THROW(Restore(faulty), test::SimulatedCrash);
    RestoreFromSlot(*real, app, slotFolder, dir.Win(other) + "\\", kNow, ui::kSafetyNoteLines);
    EXPECT_EQ(dir.ReadBytes(StoreRel(SafetyFolderPath(app, dir.Win(other))) + "\\" + kNow + "\\macros.txt"),
              "3d macros.txt");
    EXPECT_TRUE(dir.IsFile(safetyRel + "\\" + kJournalName)); // the 2D restore still waits
    BackUpToSlot(*real, *codec, app, charFolder, SlotFolderPath(app, 3), kDate, kName);
    for (const std::string& name : kFiles) EXPECT_EQ(dir.ReadBytes("Settings\\3\\" + name), "client " + name);
    EXPECT_EQ(Char(), before);
    EXPECT_FALSE(dir.IsFolder(safetyRel)); // it had none before
    // A restore settles a first restore cut off anywhere the same way,
    // though settling may take the emptied folder away under it.
    for (int n = 1, crashed = 1; crashed; ++n) {
        for (const std::string& name : kFiles) dir.WriteBytes(std::string(kCharRel) + "\\" + name, "client " + name);
        std::filesystem::remove_all(dir.Native(safetyRel));
        faulty.CrashAtNth(n);
        crashed = 0;
        try {
            Restore(faulty);
        } catch (const test::SimulatedCrash&) {
            crashed = 1;
        }
        Restore(*real);
        for (const std::string& name : kFiles) EXPECT_EQ(dir.ReadBytes(std::string(kCharRel) + "\\" + name), "slot " + name);
    }
}

// A start that could not list the safety folders writes no record that
// would hide them from the next.
TEST_F(TransferTest, AStartCutShortLeavesTheRestToTheNext) {
    // The first restore after an upgrade cut off, and a start that could
    // not list the folders: the next start still settles it.
    auto crashedRestore = [&] {
        for (int n = 1; n < kMaxOperations && !dir.IsFile(safetyRel + "\\" + kJournalName); ++n) {
            Reset();
            FillSlot2();
            FillChar(true);
            faulty.CrashAtNth(n);
            EXPECT_ANY_THROW(Restore(faulty));
        }
    };
    for (int n = 1; n < kMaxOperations; ++n) {
        crashedRestore();
        faulty.FailNth(n);
        RepairSlotStore(faulty, app);
        if (faulty.FiredAt().starts_with("List " + SafetyRoot(app) + "\\")) break;
    }
    ASSERT_TRUE(faulty.FiredAt().starts_with("List " + SafetyRoot(app))) << faulty.FiredAt();
    RepairSlotStore(*real, app);
    EXPECT_FALSE(dir.IsFile(safetyRel + "\\" + kJournalName));
}

} // namespace
} // namespace telk
