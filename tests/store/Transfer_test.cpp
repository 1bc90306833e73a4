// Back-up and restore are all or nothing. Every file operation of a run is
// failed in turn (the 1st, the 2nd, ... until a run completes), cleanly and
// half-done; each time the folders must be byte for byte as before, with
// nothing temporary left, and the completed run must leave the state of a
// successful operation. A crash at each operation, followed by the start-up
// repair, must leave the slot either as before or as after.
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FolderSnapshot.h"
#include "platform/FileError.h"
#include "store/SlotStore.h"
#include "store/TextValues.h"
#include "store/Transfer.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"

namespace telk {
namespace {

using Snapshot = std::map<std::string, std::string>;
using Mode = test::FaultyFileSystem::Mode;

// A runaway loop would mean an operation that never completes.
constexpr int kMaxOperations = 300;
const char* const kCharRel = "UO\\DESKTOP\\acct\\shard\\Name";
const char* const kDate = "12-07-2026";
const char* const kName = "狩り用, メイン";

class TransferTest : public ::testing::Test {
protected:
    std::string Native(const std::string& rel) const { return dir.Native(rel); }
    Snapshot Store() const { return test::FolderSnapshot(dir.Native("Settings")); }
    Snapshot Char() const { return test::FolderSnapshot(dir.Native(kCharRel)); }

    void Reset() {
        std::filesystem::remove_all(dir.Native("Settings"));
        std::filesystem::remove_all(dir.Native("UO"));
        for (int i = 0; i < kSlotCount; ++i)
            dir.WriteBytes("Settings\\" + std::to_string(i) + "\\DATA.INI", "old label\r\nSlot" + std::to_string(i) + "\r\n");
    }

    // A slot filled by an earlier back-up, with things the user put there.
    void FillSlot2() {
        for (const char* name : {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul", "uo.cfg"})
            dir.WriteBytes(std::string("Settings\\2\\") + name, std::string("slot ") + name);
        dir.WriteBytes("Settings\\2\\notes.txt", "kept by the user");
        dir.WriteBytes("Settings\\2\\extra\\deep.txt", "nested");
    }

    void FillChar(bool withUoCfg) {
        for (const char* name : {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul"})
            dir.WriteBytes(std::string(kCharRel) + "\\" + name, std::string("client ") + name + " with more bytes");
        if (withUoCfg) dir.WriteBytes(std::string(kCharRel) + "\\uo.cfg", "client uo.cfg");
    }

    void BackUp(FileSystem& fileSystem) {
        BackUpToSlot(fileSystem, *codec, charFolder, slotFolder, kDate, kName);
    }

    void Restore(FileSystem& fileSystem) { RestoreFromSlot(fileSystem, slotFolder, charFolder); }

    // What a successful back-up from FillChar into FillSlot2 leaves.
    Snapshot StoreAfterBackUp(bool charHasUoCfg) {
        Snapshot after = Store();
        for (const char* name : {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul"})
            after[std::string("2/") + name] = std::string("client ") + name + " with more bytes";
        if (charHasUoCfg) after["2/uo.cfg"] = "client uo.cfg";
        after["2/DATA.INI"] = EncodeValues(*codec, {kDate, kName});
        return after;
    }

    // Fails each operation of run in turn; checks before/after each time.
    // Returns how many runs failed.
    int FailEachOperation(Mode mode, const std::function<void()>& setUp, const std::function<void()>& run,
                          const std::function<Snapshot()>& watched, const Snapshot& before, const Snapshot& after,
                          const std::function<void(const std::string&)>& toleratedLeftover) {
        int failures = 0;
        for (int n = 1; n < kMaxOperations; ++n) {
            setUp();
            EXPECT_EQ(watched(), before) << "set-up";
            faulty.FailNth(n, mode);
            bool threw = false;
            try {
                run();
            } catch (const FileError& e) {
                threw = true;
                EXPECT_TRUE(e.HeldOpen());
                EXPECT_FALSE(e.Path().empty());
            }
            if (!faulty.Fired()) {
                EXPECT_FALSE(threw);
                EXPECT_EQ(watched(), after) << "clean run after " << n - 1 << " operations";
                return failures;
            }
            const std::string failed = faulty.FiredAt();
            if (threw) {
                ++failures;
                EXPECT_EQ(watched(), before) << "failing operation " << n << ": " << failed;
            } else {
                // Only clean-up after the operation took effect may fail unseen.
                toleratedLeftover(failed);
                EXPECT_EQ(watched(), after) << "failing operation " << n << ": " << failed;
            }
        }
        ADD_FAILURE() << "no run completed";
        return failures;
    }

    test::TempDir dir;
    std::unique_ptr<FileSystem> real = test::MakePlatformFileSystem();
    test::FaultyFileSystem faulty{*real};
    std::unique_ptr<TextCodec> codec = test::MakeJapaneseTextCodec();
    std::string app = dir.Win() + "\\";
    std::string slotFolder = SlotFolderPath(app, 2);
    std::string charFolder = dir.Win(kCharRel) + "\\";
};

TEST_F(TransferTest, BackUpReplacesTheFilesAndKeepsWhatItDoesNotReplace) {
    Reset();
    FillSlot2();
    FillChar(false);
    const Snapshot charBefore = Char();
    const Snapshot expected = StoreAfterBackUp(false);
    BackUp(*real);
    EXPECT_EQ(Store(), expected); // older uo.cfg, notes and sub-folder carried over
    EXPECT_EQ(Char(), charBefore);

    FillChar(true);
    BackUp(*real);
    EXPECT_EQ(Store().at("2/uo.cfg"), "client uo.cfg");
}

TEST_F(TransferTest, BackUpKeepsTheNamesAsTheSlotHasThem) {
    Reset();
    dir.WriteBytes("Settings\\2\\CharData.MUL", "old");
    FillChar(false);
    BackUp(*real);
    EXPECT_EQ(dir.Names("Settings\\2"),
              (std::vector<std::string>{"CharData.MUL", "DATA.INI", "desktop.uos", "macros.txt", "skillgrp.mul"}));
    EXPECT_EQ(dir.ReadBytes("Settings\\2\\CharData.MUL"), "client chardata.mul with more bytes");
    EXPECT_EQ(dir.Names("Settings"), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
}

TEST_F(TransferTest, BackUpNameReadsBackWholeAndAnEmptyNameStaysEmpty) {
    Reset();
    FillChar(false);
    BackUp(*real);
    SlotData data = ReadSlotData(*real, *codec, slotFolder);
    EXPECT_TRUE(data.complete);
    EXPECT_EQ(data.label, kDate);
    EXPECT_EQ(data.name, kName);

    BackUpToSlot(*real, *codec, charFolder, slotFolder, kDate, "");
    data = ReadSlotData(*real, *codec, slotFolder);
    EXPECT_TRUE(data.complete);
    EXPECT_EQ(data.name, "");
}

TEST_F(TransferTest, BackUpMakesASlotFolderRemovedBehindItsBack) {
    Reset();
    std::filesystem::remove_all(dir.Native("Settings\\2"));
    FillChar(true);
    BackUp(*real);
    EXPECT_EQ(dir.Names("Settings\\2"), (std::vector<std::string>{"chardata.mul", "data.ini", "desktop.uos",
                                                                  "macros.txt", "skillgrp.mul", "uo.cfg"}));
    EXPECT_EQ(dir.Names("Settings"), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
}

TEST_F(TransferTest, BackUpClearsLeftoversOfAnEarlierBackUp) {
    Reset();
    FillSlot2();
    FillChar(false);
    const Snapshot expected = StoreAfterBackUp(false);
    dir.WriteBytes("Settings\\2.old\\chardata.mul", "retired");
    dir.WriteBytes("Settings\\2.new\\chardata.mul", "unfinished");
    BackUp(*real);
    EXPECT_EQ(Store(), expected);
}

TEST_F(TransferTest, BackUpLeavesTheSlotAsItWasWhicheverOperationFails) {
    for (bool withUoCfg : {false, true}) {
        for (Mode mode : {Mode::Clean, Mode::HalfDone}) {
            SCOPED_TRACE(std::string(withUoCfg ? "with" : "without") + " uo.cfg, " +
                         (mode == Mode::Clean ? "clean" : "half-done") + " failures");
            auto setUp = [&] {
                Reset();
                FillSlot2();
                FillChar(withUoCfg);
            };
            setUp();
            const Snapshot before = Store();
            const Snapshot after = StoreAfterBackUp(withUoCfg);
            const Snapshot charBefore = Char();
            const int failures = FailEachOperation(
                mode, setUp, [&] { BackUp(faulty); }, [&] { return Store(); }, before, after,
                [&](const std::string& failed) {
                    // The swap is done; the old slot waits for start-up repair.
                    EXPECT_NE(failed.find("2.old"), std::string::npos) << failed;
                    RepairSlotStore(*real, app);
                });
            EXPECT_EQ(Char(), charBefore);
            // Staging copies the slot's files, the new files and DATA.INI, then two renames.
            EXPECT_GE(failures, 12);
        }
    }
}

TEST_F(TransferTest, AnInterruptedBackUpIsRepairedToBeforeOrAfter) {
    auto setUp = [&] {
        Reset();
        FillSlot2();
        FillChar(false);
    };
    setUp();
    const Snapshot before = Store();
    const Snapshot after = StoreAfterBackUp(false);
    int rolledBack = 0, rolledForward = 0;
    for (int n = 1; n < kMaxOperations; ++n) {
        setUp();
        faulty.CrashAtNth(n);
        try {
            BackUp(faulty);
        } catch (const test::SimulatedCrash&) {
        }
        if (!faulty.Fired()) break;
        const std::string crashed = faulty.FiredAt();
        RepairSlotStore(*real, app);
        const Snapshot repaired = Store();
        if (repaired == before)
            ++rolledBack;
        else if (repaired == after)
            ++rolledForward;
        else
            ADD_FAILURE() << "crash at operation " << n << " (" << crashed << ") repaired to neither state";
    }
    EXPECT_GE(rolledBack, 12);  // up to and including the second rename
    EXPECT_GE(rolledForward, 1); // while the old slot was being removed
}

TEST_F(TransferTest, RepairSettlesEachInterruptionPoint) {
    // Cut off while staging: only the staging folder is extra.
    Reset();
    FillSlot2();
    Snapshot before = Store();
    dir.WriteBytes("Settings\\2.new\\chardata.mul", "half");
    RepairSlotStore(*real, app);
    EXPECT_EQ(Store(), before);

    // Cut off between the renames: the old slot is renamed back.
    Reset();
    FillSlot2();
    before = Store();
    std::filesystem::rename(dir.Native("Settings/2"), dir.Native("Settings/2.old"));
    dir.WriteBytes("Settings\\2.new\\chardata.mul", "new");
    RepairSlotStore(*real, app);
    EXPECT_EQ(Store(), before);

    // Cut off after the renames: the new slot stays, the old one goes.
    Reset();
    FillSlot2();
    before = Store();
    dir.WriteBytes("Settings\\2.old\\chardata.mul", "old");
    dir.WriteBytes("Settings\\2.old\\sub\\x", "old");
    RepairSlotStore(*real, app);
    EXPECT_EQ(Store(), before);
}

TEST_F(TransferTest, RestoreCopiesTheSlotIntoTheCharacterFolder) {
    Reset();
    FillSlot2();
    dir.WriteBytes(std::string(kCharRel) + "\\chardata.mul", "client");
    dir.WriteBytes(std::string(kCharRel) + "\\other.txt", "not ours");
    Restore(*real);
    EXPECT_EQ(dir.Names(kCharRel), (std::vector<std::string>{"chardata.mul", "desktop.uos", "macros.txt",
                                                             "other.txt", "skillgrp.mul", "uo.cfg"}));
    EXPECT_EQ(dir.ReadBytes(std::string(kCharRel) + "\\chardata.mul"), "slot chardata.mul");
    EXPECT_EQ(dir.ReadBytes(std::string(kCharRel) + "\\uo.cfg"), "slot uo.cfg");
    EXPECT_EQ(dir.ReadBytes(std::string(kCharRel) + "\\other.txt"), "not ours");
}

TEST_F(TransferTest, RestoreWithoutUoCfgInTheSlotLeavesTheClientsOne) {
    Reset();
    FillSlot2();
    std::filesystem::remove(dir.Native("Settings/2/uo.cfg"));
    FillChar(true);
    Restore(*real);
    EXPECT_EQ(dir.ReadBytes(std::string(kCharRel) + "\\uo.cfg"), "client uo.cfg");
    EXPECT_EQ(dir.ReadBytes(std::string(kCharRel) + "\\macros.txt"), "slot macros.txt");
}

TEST_F(TransferTest, RestoreClearsLeftoversOfAnInterruptedRestore) {
    Reset();
    FillSlot2();
    FillChar(true);
    dir.WriteBytes(std::string(kCharRel) + "\\chardata.mul.telk-new", "stale");
    dir.WriteBytes(std::string(kCharRel) + "\\uo.cfg.telk-old", "stale");
    Restore(*real);
    EXPECT_EQ(dir.Names(kCharRel), (std::vector<std::string>{"chardata.mul", "desktop.uos", "macros.txt",
                                                             "skillgrp.mul", "uo.cfg"}));
}

TEST_F(TransferTest, RestoreIntoAMissingCharacterFolderFailsAndChangesNothing) {
    Reset();
    FillSlot2();
    const Snapshot before = Store();
    EXPECT_THROW(Restore(*real), FileError);
    EXPECT_FALSE(dir.IsFolder(kCharRel));
    EXPECT_EQ(Store(), before);
}

TEST_F(TransferTest, RestoreLeavesTheCharacterFolderAsItWasWhicheverOperationFails) {
    for (Mode mode : {Mode::Clean, Mode::HalfDone}) {
        SCOPED_TRACE(mode == Mode::Clean ? "clean failures" : "half-done failures");
        // One target missing, so both the replace and the plain rename run.
        auto setUp = [&] {
            Reset();
            FillSlot2();
            for (const char* name : {"chardata.mul", "desktop.uos", "macros.txt", "uo.cfg"})
                dir.WriteBytes(std::string(kCharRel) + "\\" + name, std::string("client ") + name);
            dir.WriteBytes(std::string(kCharRel) + "\\other.txt", "not ours");
        };
        setUp();
        const Snapshot before = Char();
        Snapshot after = before;
        for (const char* name : {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul", "uo.cfg"})
            after[name] = std::string("slot ") + name;
        const Snapshot storeBefore = Store();

        std::string leftover;
        const int failures = FailEachOperation(
            mode, setUp, [&] { Restore(faulty); },
            [&] {
                Snapshot now = Char();
                if (!leftover.empty()) now.erase(leftover);
                return now;
            },
            before, after,
            [&](const std::string& failed) {
                // Only removing a backup after success may fail; the
                // backup stays beside its file.
                ASSERT_EQ(failed.rfind("RemoveFile ", 0), 0u) << failed;
                const std::string path = failed.substr(failed.find(' ') + 1);
                ASSERT_EQ(path.substr(path.size() - 9), ".telk-old") << failed;
                leftover = path.substr(path.rfind('\\') + 1);
                EXPECT_TRUE(dir.IsFile(std::string(kCharRel) + "\\" + leftover));
            });
        EXPECT_EQ(Store(), storeBefore);
        // Check, copy and replace of five files.
        EXPECT_GE(failures, 15);
    }
}

} // namespace
} // namespace telk
