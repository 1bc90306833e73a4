// Restore into a character folder, and the start's repair of one that
// did not end.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/PathText.h"

#include "platform/FileError.h"
#include "store/CharFiles.h"
#include "store/Restore.h"
#include "store/RestoreJournal.h"
#include "store/SafetyFolder.h"
#include "store/Transfer.h"
#include "store/TransferFixture.h"
#include "store/UndoRestore.h"
#include "support/FaultyFileSystem.h"
#include "support/FolderSnapshot.h"
#include "ui/Texts.h"

namespace telk {
namespace {

TEST_F(TransferTest, RestoreCopiesTheSlotAndKeepsTheCharactersFilesAside) {
    Reset();
    FillSlot2();
    std::filesystem::remove(dir.Native("Settings/2/uo.cfg"));
    FillChar(true);
    dir.WriteBytes(std::string(kCharRel) + "\\other.txt", "not ours");
    Restore(*real);
    Snapshot expected = {{"other.txt", "not ours"}, {"uo.cfg", "client uo.cfg"}};
    for (const std::string& name : kFiles)
        if (name != "uo.cfg") expected[name] = "slot " + name;
    EXPECT_EQ(Char(), expected); // the client's uo.cfg stays when the slot has none

    Snapshot kept;
    for (const std::string& name : kFiles)
        if (name != "uo.cfg") kept[name] = "client " + name;
    EXPECT_EQ(Generation(), kept); // only what the restore replaced

    // The next restore adds its own generation; the first stays.
    Restore(*real);
    Snapshot second = kept;
    for (auto& [name, bytes] : second) bytes = "slot " + name;
    EXPECT_EQ(Generation(std::string(kNow) + " (2)"), second);
    EXPECT_EQ(Generation(), kept);
    EXPECT_EQ(dir.Names(safetyRel), (std::vector<std::string>{kNow, std::string(kNow) + " (2)", kOrderName, kSafetyNoteName}));
    EXPECT_EQ(dir.Names("Settings"), (std::vector<std::string>{"0", "1", "2", "3", "4", "BeforeRestore"}));

    // The start keeps a generation cut off while it was built as far as it
    // holds whole files; folders that only look like the program's stay.
    dir.WriteBytes(safetyRel + "\\2026-12-08 09-00-00.new\\macros.txt", "whole");
    dir.WriteBytes(safetyRel + "\\2026-12-08 09-00-00.new\\uo.cfg.telk-part", "cut short");
    const std::string safety = dir.Win(safetyRel);
    RecordWritten(*real, safety, Entries(*real, safety), {"2026-12-08 09-00-00", {}});
    const std::vector<std::string> lookalikes = {"2026-12-01 09-00-00.new", "2026-12-01 09-00-00.old",
                                                 "2026-12-02 09-00-00 (2).old"};
    for (const std::string& lookalike : lookalikes)
        dir.WriteBytes(safetyRel + "\\" + lookalike + "\\macros.txt", "the player's");
    RepairSlotStore(*real, app);
    const std::vector<std::string> generations = dir.Names(safetyRel);
    ASSERT_EQ(generations.size(), 8u);
    for (const std::string& lookalike : lookalikes)
        EXPECT_EQ(Generation(lookalike), (Snapshot{{"macros.txt", "the player's"}}));
    const auto tidied = std::find_if(generations.begin(), generations.end(),
                                     [](const std::string& name) { return name.starts_with("2026-12-08 09-00-00"); });
    ASSERT_NE(tidied, generations.end());
    EXPECT_EQ(Generation(*tidied), (Snapshot{{"macros.txt", "whole"}}));
}

// An undo puts each file back as the earliest restore from the chosen one
// on found it, and takes away what that restore added; what the folder
// held becomes a generation of its own, so the undo can be undone too.
TEST_F(TransferTest, UndoPutsTheFolderBackAsTheChosenRestoreFoundIt) {
    const std::string undone = std::string(kNow) + " (3)";
    Snapshot client, slot, afterBoth;
    auto twoRestores = [&] {
        Reset();
        FillSlot2();
        FillChar(false);
        EXPECT_FALSE(HasUndoPoints(*real, app, charFolder));
        client = Char();
        Restore(*real); // uo.cfg added
        slot = Char();
        for (const std::string& name : kFiles) dir.WriteBytes("Settings\\2\\" + name, "later " + name);
        Restore(*real);
        afterBoth = Char();
    };
    twoRestores();
    EXPECT_TRUE(HasUndoPoints(*real, app, charFolder));
    const std::vector<UndoPoint> points = ListUndoPoints(*real, app, charFolder);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].generation + points[1].generation, std::string(kNow) + " (2)" + kNow);
    EXPECT_EQ(points[1].files, std::vector<std::string>(kFiles.begin(), kFiles.end() - 1));
    const Snapshot world = World();
    EXPECT_THROW(UndoRestore(*real, app, charFolder, {"2020-01-01 00-00-00", {}}, kNow, ui::kSafetyNoteLines), UndoPointGone);
    EXPECT_EQ(World(), world);
    for (const auto& [point, expected] : {std::pair{points[0], &slot}, std::pair{points[1], &client}}) {
        SCOPED_TRACE("undo of " + point.generation);
        twoRestores();
        EXPECT_TRUE(UndoRestore(*real, app, charFolder, point, kNow, ui::kSafetyNoteLines).empty());
        EXPECT_EQ(Char(), *expected);
        EXPECT_EQ(Generation(undone), afterBoth);
        EXPECT_EQ(Generation(), client); // read, never changed
        UndoRestore(*real, app, charFolder, ListUndoPoints(*real, app, charFolder).at(0), kNow, ui::kSafetyNoteLines);
        EXPECT_EQ(Char(), afterBoth);
    }
    // A spoilt record names none: the rows go by name whatever the listing's
    // order (FAT's), and a row puts back only what its generation holds.
    twoRestores();
    dir.WriteBytes(safetyRel + "\\" + kOrderName, "spoilt");
    faulty.ListReversed();
    const std::vector<UndoPoint> byName = ListUndoPoints(faulty, app, charFolder);
    EXPECT_EQ(byName.at(0).generation, std::string(kNow) + " (2)");
    EXPECT_EQ(UndoRestore(faulty, app, charFolder, byName.at(1), kNow, ui::kSafetyNoteLines), std::vector<std::string>{"uo.cfg"});
    faulty.ListReversed(false);
    client["uo.cfg"] = "later uo.cfg";
    EXPECT_EQ(Char(), client);
    // An older copy's files straight in the safety folder and a generation
    // of before the record: what none of them holds stays, and is told.
    twoRestores();
    std::filesystem::remove_all(dir.Native(safetyRel + "/" + kNow + " (2)"));
    dir.WriteBytes(safetyRel + "\\desktop.uos", "older desktop.uos");
    std::filesystem::remove(dir.Native(safetyRel + "/" + kOrderName));
    const UndoPoint older = ListUndoPoints(*real, app, charFolder).at(1);
    EXPECT_EQ(older.generation + older.files.at(0), "desktop.uos");
    EXPECT_EQ(UndoRestore(*real, app, charFolder, older, kNow, ui::kSafetyNoteLines), std::vector<std::string>{"uo.cfg"});
    client["desktop.uos"] = "older desktop.uos";
    client["uo.cfg"] = "later uo.cfg";
    EXPECT_EQ(Char(), client);
}

TEST_F(TransferTest, RestoreSettlesWhatAnOlderCopyOfTheProgramLeft) {
    // A backup whose target is missing is put back, the plain name before a
    // numbered one (and so kept in the generation); stray backups and staged
    // copies go into it whole. Cut off once the generation has its name,
    // the next start finishes it the same way.
    auto setUp = [&] {
        Reset();
        FillSlot2();
        FillChar(true);
        std::filesystem::rename(dir.Native(std::string(kCharRel) + "/macros.txt"),
                                dir.Native(std::string(kCharRel) + "/macros.txt.telk-old"));
        dir.WriteBytes(std::string(kCharRel) + "\\macros.txt.telk-old2", "stranded later");
        dir.WriteBytes(std::string(kCharRel) + "\\chardata.mul.telk-new", "stale");
        dir.WriteBytes(std::string(kCharRel) + "\\uo.cfg.telk-old", "stale");
    };
    setUp();
    faulty.FailNth(0);
    Restore(faulty);
    const std::string staging = SafetyFolderPath(app, charFolder) + "\\" + kNow + kStagingSuffix;
    const int named = IndexOf("Rename " + staging + " -> ");
    for (const bool cutOff : {false, true}) {
        SCOPED_TRACE(cutOff ? "cut off once the generation had its name" : "in one run");
        setUp();
        faulty.CrashAtNth(cutOff ? named + 1 : 0);
        if (cutOff) EXPECT_THROW(Restore(faulty), test::SimulatedCrash);
        else Restore(faulty);
        RepairSlotStore(*real, app);
        EXPECT_EQ(dir.Names(kCharRel), (std::vector<std::string>{"chardata.mul", "desktop.uos", "macros.txt",
                                                                 "skillgrp.mul", "uo.cfg"}));
        EXPECT_EQ(Generation(), (Snapshot{{"chardata.mul", "client chardata.mul"},
                                          {"chardata.mul.telk-new", "stale"},
                                          {"desktop.uos", "client desktop.uos"},
                                          {"macros.txt", "client macros.txt"},
                                          {"macros.txt.telk-old2", "stranded later"},
                                          {"skillgrp.mul", "client skillgrp.mul"},
                                          {"uo.cfg", "client uo.cfg"},
                                          {"uo.cfg.telk-old", "stale"}}));
    }
}

// An older copy's journal names no generation: the start names one and
// writes it into the journal before it builds it, so that a start cut off
// at any step leaves every previous file to that one generation.
// A file the client saved after a crash stays as saved, and the player
// hears of it even when the start that settles the restore is cut off:
// the record is written before the generation that holds what it replaced.
TEST_F(TransferTest, AStartCutOffAnywhereLeavesTheNextToSettleAsOne) {
    Snapshot previous;
    std::string journal = "TELK restore journal\r\nrestored\r\n" + charFolder + "\r\n" + slotFolder + "\r\n";
    for (const std::string& name : kFiles) {
        previous[name] = "client " + name;
        journal += "1 " + name + "\r\n";
    }
    EachCutStart(
        [&] {
            Reset();
            for (const std::string& name : kFiles) {
                dir.WriteBytes(std::string(kCharRel) + "\\" + name, "slot " + name);
                dir.WriteBytes(std::string(kCharRel) + "\\" + name + kBackupSuffix, "client " + name);
            }
            dir.WriteBytes(safetyRel + "\\" + kJournalName, journal);
        },
        [&](const RepairReport&, const std::string& cut) {
            EXPECT_EQ(dir.Names(safetyRel), std::vector<std::string>{kUndatedGeneration}) << cut;
            EXPECT_EQ(Generation(kUndatedGeneration), previous) << cut;
        });

    const std::string charFile = std::string(kCharRel) + "\\desktop.uos";
    Reset();
    FillSlot2();
    FillChar(true);
    faulty.FailNth(0);
    Restore(faulty);
    const int replacing = IndexOf("ReplaceFile " + charFolder + "macros.txt");
    EachCutStart(
        [&] {
            Reset();
            FillSlot2();
            FillChar(true);
            faulty.CrashAtNth(replacing);
            EXPECT_THROW(Restore(faulty), test::SimulatedCrash);
            dir.WriteBytes(charFile, kClientSave);
        },
        [&](const RepairReport& report, const std::string& cut) {
            ASSERT_EQ(report.leftAsSaved.size(), 1u) << cut;
            EXPECT_EQ(report.leftAsSaved[0].file, charFolder + "desktop.uos");
            EXPECT_EQ(real->ReadFile(report.leftAsSaved[0].copy), "client desktop.uos");
            EXPECT_EQ(dir.ReadBytes(charFile), kClientSave);
        });
}

TEST_F(TransferTest, RestoreIntoAMissingCharacterFolderFailsAndChangesNothing) {
    Reset();
    FillSlot2();
    const Snapshot before = Store();
    EXPECT_THROW(Restore(*real), FileError);
    EXPECT_FALSE(dir.IsFolder(kCharRel));
    EXPECT_EQ(Store(), before);
}

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

// Copies of the program before the whole-path key left their journals and
// safety copies under the last three names; they are settled, and kept.
TEST_F(TransferTest, ASafetyFolderOfTheOlderLayoutIsSettledAndKept) {
    const std::string legacy = StoreRel(LegacySafetyFolderPath(app, charFolder));
    for (const bool ours : {true, false}) {
        SCOPED_TRACE(ours ? "its journal names this character" : "another install's");
        Reset();
        std::filesystem::remove_all(dir.Native("UO3D"));
        FillSlot2();
        FillChar(true);
        // Cut off after the first file was replaced.
        const std::string crashed = ours ? std::string(kCharRel) : "UO3D\\DESKTOP\\acct\\shard\\Name";
        for (const std::string& name : kFiles) {
            dir.WriteBytes(crashed + "\\" + name, "client " + name);
            dir.WriteBytes(legacy + "\\" + name, "client " + name);
        }
        dir.WriteBytes(legacy + ".telk-old\\desktop.uos", "an earlier restore's");
        dir.WriteBytes(crashed + "\\chardata.mul.telk-old", "client chardata.mul");
        dir.WriteBytes(crashed + "\\chardata.mul", "slot chardata.mul");
        std::string journal = "TELK restore journal\r\nrestoring\r\n" + dir.Win(crashed) + "\\\r\n" + slotFolder + "\r\n";
        for (const std::string& name : kFiles) journal += "1 " + name + "\r\n";
        dir.WriteBytes(legacy + "\\" + kJournalName, journal);
        Snapshot kept = test::FolderSnapshot(dir.Native(legacy));
        kept.erase(kJournalName);
        Restore(*real); // the older restore first, when it is this character's
        EXPECT_EQ(Generation().at("chardata.mul"), "client chardata.mul");
        EXPECT_EQ(dir.IsFile(legacy + "\\" + kJournalName), !ours);
        EXPECT_TRUE(RepairSlotStore(*real, app).waiting.empty());
        EXPECT_EQ(dir.ReadBytes(crashed + "\\chardata.mul"), ours ? "slot chardata.mul" : "client chardata.mul");
        EXPECT_EQ(test::FolderSnapshot(dir.Native(legacy)), kept);
        EXPECT_EQ(test::FolderSnapshot(dir.Native(legacy + ".telk-old")), (Snapshot{{"desktop.uos", "an earlier restore's"}}));
        // What settling it left untold, a start tells: its files say whose it is.
        dir.WriteBytes(legacy + "\\" + kUntoldName, dir.Win(crashed) + "\\desktop.uos\r\n" + dir.Win(legacy) + "\\desktop.uos\r\n");
        std::filesystem::remove(dir.Native(std::string("Settings\\BeforeRestore\\") + kChangedName));
        EXPECT_EQ(RepairSlotStore(*real, app).leftAsSaved.size(), 1u);
    }
}

// Whether a file is there comes from the listing: one the client holds
// fails the transfer with the running-client hint, naming the file, and
// changes nothing; it is never "missing" or skipped.
TEST_F(TransferTest, AHeldFileFailsTheTransferByName) {
    const std::pair<bool, std::string> cases[] = {
        {false, "uo.cfg"}, {false, "chardata.mul"}, {true, "uo.cfg"}, {true, "macros.txt"}};
    for (const auto& [restore, name] : cases) {
        SCOPED_TRACE((restore ? "restore, held slot file " : "back-up, held ") + name);
        Reset();
        FillSlot2();
        FillChar(true);
        const Snapshot before = World();
        test::FaultyFileSystem holding(*real);
        holding.Hold((restore ? slotFolder : charFolder) + name);
        EXPECT_TRUE(CharFilesExist(holding, restore ? slotFolder : charFolder));
        try {
            restore ? Restore(holding) : BackUp(holding);
            ADD_FAILURE() << "no failure";
        } catch (const FileError& e) {
            EXPECT_TRUE(e.HeldOpen());
            EXPECT_TRUE(e.Path().ends_with(name)) << e.Path();
        }
        EXPECT_EQ(World(), before);
    }
}

// The store on a small volume of its own that fills while the previous
// files move in: the restore says so and names where each waits, and the
// first start with room completes the generation. Needs a real mount.
TEST_F(TransferTest, AFullStoreVolumeKeepsThePreviousFilesBesideTheirTargets) {
    Reset();
    std::filesystem::remove_all(dir.Native("Settings"));
    std::filesystem::create_directory(dir.Native("Settings"));
    const std::string mount = "mount -t tmpfs -o size=64k tmpfs '" + dir.Native("Settings") + "' 2>/dev/null";
    if (std::system(mount.c_str()) != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
    struct Unmount {
        std::string folder;
        ~Unmount() { std::system(("umount '" + folder + "'").c_str()); }
    } unmount{dir.Native("Settings")};
    for (const std::string& name : kFiles) {
        dir.WriteBytes("Settings\\2\\" + name, "slot " + name);
        dir.WriteBytes(std::string(kCharRel) + "\\" + name, std::string(20000, name[0]));
    }
    const Snapshot character = Char();
    try {
        Restore(*real);
        ADD_FAILURE() << "the store never filled";
    } catch (const PreviousFilesWait& e) {
        EXPECT_EQ(e.Cause(), FileCause::DiskFull);
        ASSERT_EQ(e.Kept().size(), kFiles.size());
        for (const KeptCopy& kept : e.Kept()) {
            const std::string name = kept.file.substr(kept.file.find_last_of('\\') + 1);
            EXPECT_EQ(real->ReadFile(kept.copy), character.at(name)) << kept.copy;
        }
    }
    EXPECT_EQ(Char().at("macros.txt"), "slot macros.txt");
    ASSERT_EQ(std::system(("mount -o remount,size=1m '" + dir.Native("Settings") + "'").c_str()), 0);
    EXPECT_TRUE(RepairSlotStore(*real, app).waiting.empty());
    EXPECT_EQ(Generation(), character);
    EXPECT_EQ(dir.Names(kCharRel), kFiles);
}

// A start cut off anywhere leaves what it did not finish to the next: a
// generation pruning put out of sight goes whatever was cut, and one that
// could not list the safety folders writes no record that would hide them.
TEST_F(TransferTest, AStartCutShortLeavesTheRestToTheNext) {
    auto seedEleven = [&] {
        Reset();
        FillSlot2();
        FillChar(true);
        Restore(*real);
        for (int day = 1; day <= 10; ++day) {
            const std::string name = "2026-11-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + " 10-00-00";
            dir.WriteBytes(safetyRel + "\\" + name + "\\macros.txt", name);
            RecordWritten(*real, dir.Win(safetyRel), dir.Names(safetyRel), {name, {}});
        }
    };
    EachCutStart(seedEleven, [&](const RepairReport&, const std::string& cut) {
        const std::vector<std::string> left = dir.Names(safetyRel);
        EXPECT_EQ(left.size(), 12u) << cut;
        EXPECT_FALSE(Holds(left, kNow)) << cut; // the oldest written
    });
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
