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
#include "store/restore/Restore.h"
#include "store/restore/Journal.h"
#include "store/restore/SafetyFolder.h"
#include "store/Transfer.h"
#include "store/TransferFixture.h"
#include "store/restore/UndoRestore.h"
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
    EXPECT_EQ(dir.Names(safetyRel), (std::vector<std::string>{kNow, std::string(kNow) + " (2)", kActionsName, kOrderName, kSafetyNoteName}));
    EXPECT_EQ(dir.Names("Settings"), (std::vector<std::string>{"0", "1", "2", "3", "4", "BeforeRestore"}));

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
    EXPECT_EQ(points[1].takenAway, std::vector<std::string>{"uo.cfg"}); // the first restore added it
    EXPECT_EQ(points[0].action->kind, GenerationAction::Kind::Restore);
    EXPECT_TRUE(points[1].action->first);
    EXPECT_FALSE(points[0].action->first);
    EXPECT_EQ(points[1].action->slot, 2);
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
    EXPECT_EQ(older.generation, "");
    EXPECT_EQ(older.files, (std::vector<std::string>{"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul"}));
    EXPECT_EQ(UndoRestore(*real, app, charFolder, older, kNow, ui::kSafetyNoteLines), std::vector<std::string>{"uo.cfg"});
    client["desktop.uos"] = "older desktop.uos";
    client["uo.cfg"] = "later uo.cfg";
    EXPECT_EQ(Char(), client);
}

TEST_F(TransferTest, RestoreIntoAMissingCharacterFolderFailsAndChangesNothing) {
    Reset();
    FillSlot2();
    const Snapshot before = Store();
    EXPECT_THROW(Restore(*real), FileError);
    EXPECT_FALSE(dir.IsFolder(kCharRel));
    EXPECT_EQ(Store(), before);
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

} // namespace
} // namespace telk
