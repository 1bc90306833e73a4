// Every state that src/store/restore/RESTORE_STATES.md lists, as a row:
// the row builds it on disk, left by a crash or copied in from elsewhere,
// then checks what a start does with it, what the undo window lists, and
// what a restore and a back-up of the character do.
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/restore/Journal.h"
#include "store/restore/UndoRestore.h"
#include "store/TransferFixture.h"

namespace telk {
namespace {

// What a start tells of a state.
struct Told {
    std::size_t notOurs = 0;     // folders it leaves alone
    std::size_t waiting = 0;     // what it could not settle
    std::size_t leftAsSaved = 0; // files settling left as the client saved them
};

// What the undo window, a restore and a back-up of the character do.
enum class Act {
    Goes,  // the restore goes through, whatever waited settled first
    Stops, // a journal naming another folder: nothing changes (ForeignJournal)
    Fails, // a journal that is not the program's: nothing changes (RollbackFailed)
};

struct Row {
    const char* state;
    std::function<void()> build;
    std::string left = "";     // a folder that stays byte for byte as built
    Told told = {};
    std::string held = "";     // a record in the safety folder that the start cannot read
    Act act = Act::Goes;
    std::vector<std::string> rows = {}; // the undo window's generations, before the restore
    std::function<void()> after = {};   // what else the start leaves
    bool cut = false;                   // a start cut off at each operation leaves the same
    std::function<void()> restored = {}; // what else the restore leaves
    // Copied in, or left by an earlier version: the record of the folders
    // to look at does not name it. Else a crash of this version left it.
    bool copiedIn = true;
};

TEST_F(TransferTest, EachStateOnDiskAsThePageListsIt) {
    const std::string docsRel = "Documents";
    const std::string docs = dir.Win(docsRel) + "\\";
    const std::string root = "Settings\\BeforeRestore\\";
    const std::string safety = SafetyFolderPath(app, charFolder);
    const std::string note = safetyRel + "\\" + kSafetyNoteName;
    const std::string journal = safetyRel + "\\" + kJournalName;
    const std::string lookAlike = root + "x\\y\\z~00000000";
    const std::string wrongDigits = root + "acct\\shard\\Name~00000000";
    const std::string legacy = StoreRel(LegacySafetyFolderPath(app, charFolder));
    const std::string desktop = std::string(kCharRel) + "\\desktop.uos";
    const std::string second = std::string(kNow) + " (2)";
    const std::string other = "UO3D\\DESKTOP\\acct\\shard\\Name";

    auto journalOf = [&](const std::string& state, const std::string& target, const std::string& source,
                         const std::string& items) {
        return "TELK restore journal\r\n" + state + "\r\n" + target + "\r\n" + source + "\r\nG 2026-12-09 08-00-00\r\n" +
               items;
    };
    // "0 desktop.uos" with the digest of what is there now: settling takes it away.
    auto added = [&](const std::string& folder) {
        const FileDigest d = real->Digest(folder + "desktop.uos");
        return "0 desktop.uos\r\nW " + std::to_string(d.size) + " " + d.sha256 + "\r\n";
    };
    auto charFiles = [&](const std::string& rel, const std::string& prefix) {
        for (const std::string& name : kFiles) dir.WriteBytes(rel + "\\" + name, prefix + name);
    };
    // One restore of slot 2 done; the player's own folder elsewhere.
    auto world = [&] {
        Reset();
        std::filesystem::remove_all(dir.Native(docsRel));
        std::filesystem::remove_all(dir.Native("UO3D"));
        FillSlot2();
        FillChar(true);
        Restore(*real);
        RepairSlotStore(*real, app); // the record of the folders to look at
        dir.WriteBytes(docsRel + "\\desktop.uos", "theirs");
    };
    // A second restore, of other bytes, stopped at the n-th operation.
    auto later = [&] { charFiles("Settings\\2", "later "); };
    world();
    later();
    faulty.FailNth(0);
    Restore(faulty);
    const int replacing = IndexOf("ReplaceFile " + charFolder + "macros.txt");
    const int named = IndexOf("Rename " + safety + "\\" + second + kStagingSuffix + " -> ");
    const int journaled = IndexOf("Rename " + safety + "\\" + kJournalName + kIncomingSuffix + " -> ");
    auto cutSecond = [&](int at) {
        later();
        faulty.CrashAtNth(at);
        EXPECT_THROW(Restore(faulty), test::SimulatedCrash);
        faulty.FailNth(0);
    };
    // The layout before the digits, cut off after its first file was
    // replaced, its journal naming crashed.
    auto legacyCut = [&](const std::string& crashed) {
        std::filesystem::remove_all(dir.Native(safetyRel));
        charFiles(kCharRel, "client ");
        charFiles(crashed, "client ");
        charFiles(legacy, "older ");
        dir.WriteBytes(crashed + "\\chardata.mul.telk-old", "client chardata.mul");
        dir.WriteBytes(crashed + "\\chardata.mul", "slot chardata.mul");
        std::string items;
        for (const std::string& name : kFiles) items += "1 " + name + "\r\n";
        dir.WriteBytes(legacy + "\\" + kJournalName, "TELK restore journal\r\nrestoring\r\n" + dir.Win(crashed) +
                                                         "\\\r\n" + slotFolder + "\r\n" + items);
    };
    auto generation = [&](const std::string& name) { return safetyRel + "\\" + name; };
    // Eleven generations written after the first restore's, newest first.
    const auto Day = [](int day) { return "2026-12-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + " 10-00-00"; };
    std::vector<std::string> twelve;
    for (int day = 11; day >= 1; --day) twelve.push_back(Day(day));
    twelve.push_back(kNow);

    const Row table[] = {
        // --- Whose folder it is.
        {.state = "the character's own folder, nothing waiting", .build = [] {}, .rows = {kNow}},
        {.state = "a journal in the character's folder naming another folder, restoring",
         .build = [&] { dir.WriteBytes(journal, journalOf("restoring", docs, slotFolder, added(docs))); },
         .left = safetyRel, .told = {.notOurs = 1}, .act = Act::Stops},
        {.state = "the same, restored, with a staged file beside the other folder's",
         .build =
             [&] {
                 dir.WriteBytes(docsRel + "\\desktop.uos.telk-new", "theirs");
                 dir.WriteBytes(journal, journalOf("restored", docs, slotFolder, added(docs)));
             },
         .left = safetyRel, .told = {.notOurs = 1}, .act = Act::Stops},
        {.state = "a folder that only looks like a safety folder, its records naming another folder",
         .build =
             [&] {
                 dir.WriteBytes(lookAlike + "\\" + kSafetyNoteName, SafetyNote(docs, ui::kSafetyNoteLines));
                 dir.WriteBytes(lookAlike + "\\" + kJournalName, journalOf("restoring", docs, slotFolder, added(docs)));
             },
         .left = lookAlike, .told = {.notOurs = 1}, .rows = {kNow}},
        {.state = "the character's names with digits not its own, its records naming the character",
         .build =
             [&] {
                 dir.WriteBytes(wrongDigits + "\\" + kSafetyNoteName, SafetyNote(charFolder, ui::kSafetyNoteLines));
                 dir.WriteBytes(wrongDigits + "\\" + kJournalName,
                                journalOf("restoring", charFolder, slotFolder, added(charFolder)));
             },
         .left = wrongDigits, .told = {.notOurs = 1}, .rows = {kNow}},
        {.state = "a copy of the safety folder beside it, with a journal",
         .build =
             [&] {
                 std::filesystem::copy(dir.Native(safetyRel), dir.Native(safetyRel + " - コピー"),
                                       std::filesystem::copy_options::recursive);
                 dir.WriteBytes(safetyRel + " - コピー\\" + kJournalName,
                                journalOf("restoring", charFolder, slotFolder, added(charFolder)));
             },
         .left = safetyRel + " - コピー", .told = {.notOurs = 1}, .rows = {kNow}},
        {.state = "a safety folder that lost its note, with a generation",
         .build = [&] { std::filesystem::remove(dir.Native(note)); }, .left = safetyRel, .told = {.notOurs = 1}},
        {.state = "a first restore cut off before its note",
         .build =
             [&] {
                 std::filesystem::remove_all(dir.Native(safetyRel));
                 dir.WriteBytes(note + kIncomingSuffix, "cut");
             },
         .after = [&] { EXPECT_FALSE(dir.IsFolder(safetyRel)); }},
        {.state = "the first name gone, the character's folder after the gap",
         .build = [&] { std::filesystem::rename(dir.Native(safetyRel), dir.Native(safetyRel + "-2")); },
         .rows = {kNow}, .after = [&] { EXPECT_TRUE(dir.IsFolder(safetyRel + "-2\\" + kNow)); }},
        {.state = "a note that cannot be read", .build = [] {}, .told = {.waiting = 1}, .held = kSafetyNoteName,
         .rows = {kNow}},
        {.state = "the layout before the digits, its journal naming this character, a file saved since",
         .build =
             [&] {
                 legacyCut(kCharRel);
                 dir.WriteBytes(std::string(kCharRel) + "\\chardata.mul", kClientSave);
             },
         .told = {.leftAsSaved = 1},
         .after =
             [&] {
                 EXPECT_EQ(dir.ReadBytes(std::string(kCharRel) + "\\chardata.mul"), kClientSave);
                 EXPECT_FALSE(dir.IsFile(legacy + "\\" + kJournalName));
                 EXPECT_EQ(dir.ReadBytes(legacy + "\\chardata.mul"), "older chardata.mul");
             }},
        {.state = "the layout before the digits, its journal naming another install's character",
         .build = [&] { legacyCut(other); },
         .after =
             [&] {
                 EXPECT_EQ(dir.ReadBytes(other + "\\chardata.mul"), "client chardata.mul");
                 EXPECT_EQ(dir.ReadBytes(legacy + "\\chardata.mul"), "older chardata.mul");
             }},
        {.state = "an older copy's journal whose source is a folder outside the store",
         .build =
             [&] {
                 dir.WriteBytes(docsRel + "\\desktop.uos", "slot desktop.uos");
                 dir.WriteBytes(desktop + kBackupSuffix, "client desktop.uos");
                 dir.WriteBytes(journal, "TELK restore journal\r\nrestoring\r\n" + charFolder + "\r\n" + docs +
                                             "\r\n1 desktop.uos\r\n");
             },
         .told = {.leftAsSaved = 1}, .rows = {kNow, kUndatedGeneration},
         // Nothing proves the file is what was put in: it stays, its
         // previous bytes kept.
         .after = [&] { EXPECT_EQ(dir.ReadBytes(desktop), "slot desktop.uos"); }},

        // --- In the character's safety folder.
        {.state = "a restore cut off before every file was in",
         .build = [&] { cutSecond(replacing); }, .rows = {kNow},
         .after =
             [&] {
                 EXPECT_EQ(dir.Names(kCharRel), kFiles);
                 for (const std::string& name : kFiles)
                     EXPECT_EQ(dir.ReadBytes(std::string(kCharRel) + "\\" + name), "slot " + name);
             },
         .cut = true, .copiedIn = false},
        {.state = "a restore cut off just after its journal was written",
         .build = [&] { cutSecond(journaled + 1); }, .rows = {kNow},
         .after = [&] { EXPECT_FALSE(dir.IsFile(journal)); EXPECT_EQ(dir.ReadBytes(desktop), "slot desktop.uos"); },
         .copiedIn = false},
        {.state = "a restore cut off before every file was in, a file saved since",
         .build =
             [&] {
                 cutSecond(replacing);
                 dir.WriteBytes(desktop, kClientSave);
             },
         .told = {.leftAsSaved = 1}, .rows = {second, kNow},
         .after = [&] { EXPECT_EQ(dir.ReadBytes(desktop), kClientSave); }, .cut = true, .copiedIn = false},
        {.state = "a restore cut off once its generation had its name",
         .build = [&] { cutSecond(named + 1); }, .rows = {second, kNow},
         .after = [&] { EXPECT_EQ(Generation(second).at("macros.txt"), "slot macros.txt"); }, .cut = true,
         .copiedIn = false},
        {.state = "an older copy's journal, no generation named",
         .build =
             [&] {
                 std::string items;
                 for (const std::string& name : kFiles) {
                     items += "1 " + name + "\r\n";
                     dir.WriteBytes(std::string(kCharRel) + "\\" + name + kBackupSuffix, "client " + name);
                 }
                 dir.WriteBytes(journal, "TELK restore journal\r\nrestored\r\n" + charFolder + "\r\n" + slotFolder +
                                             "\r\n" + items);
             },
         .rows = {kNow, kUndatedGeneration},
         .after =
             [&] {
                 EXPECT_EQ(dir.Names(safetyRel),
                           (std::vector<std::string>{kUndatedGeneration, kNow, kActionsName, kOrderName, kSafetyNoteName}));
                 EXPECT_EQ(Generation(kUndatedGeneration).at("uo.cfg"), "client uo.cfg");
             },
         .cut = true},
        {.state = "an older copy's leftovers beside the character's files",
         .build =
             [&] {
                 std::filesystem::rename(dir.Native(desktop), dir.Native(desktop + kBackupSuffix));
                 dir.WriteBytes(desktop + kBackupSuffix + "2", "stranded later");
                 dir.WriteBytes(std::string(kCharRel) + "\\chardata.mul.telk-new", "stale");
             },
         .rows = {kNow},
         // The stray backup back in place first, then every leftover's
         // bytes in the generation.
         .restored =
             [&] {
                 EXPECT_EQ(dir.Names(kCharRel), kFiles);
                 const Snapshot kept = Generation(second);
                 EXPECT_EQ(kept.at("desktop.uos"), "slot desktop.uos");
                 EXPECT_EQ(kept.at("desktop.uos.telk-old2"), "stranded later");
                 EXPECT_EQ(kept.at("chardata.mul.telk-new"), "stale");
             }},
        {.state = "a journal that cannot be read",
         .build = [&] { dir.WriteBytes(journal, journalOf("restoring", charFolder, slotFolder, "")); },
         .told = {.waiting = 1}, .held = kJournalName, .rows = {kNow}},
        {.state = "a journal that is not the program's", .build = [&] { dir.WriteBytes(journal, "not a journal"); },
         .left = safetyRel, .told = {.waiting = 1}, .act = Act::Fails},
        {.state = "a staging folder restore.order names, no journal",
         .build =
             [&] {
                 dir.WriteBytes(generation(second + kStagingSuffix) + "\\macros.txt", "whole");
                 dir.WriteBytes(generation(second + kStagingSuffix) + "\\uo.cfg" + kPartSuffix, "cut short");
                 RecordWritten(*real, safety, Entries(*real, safety), {second, {}});
             },
         .rows = {second, kNow},
         .after = [&] { EXPECT_EQ(Generation(second), (Snapshot{{"macros.txt", "whole"}})); }},
        {.state = "a staging folder restore.order does not name",
         .build = [&] { dir.WriteBytes(generation(second + kStagingSuffix) + "\\macros.txt", "the player's"); },
         .left = generation(second + kStagingSuffix), .rows = {kNow}},
        {.state = "a generation pruning put out of sight",
         .build = [&] { dir.WriteBytes(generation(second + kPrunedSuffix) + "\\extra\\macros.txt", "pruned"); },
         .rows = {kNow}, .after = [&] { EXPECT_FALSE(dir.IsFolder(generation(second + kPrunedSuffix))); }},
        {.state = "a generation's name with .old",
         .build = [&] { dir.WriteBytes(generation(second + kRetiredSuffix) + "\\macros.txt", "the player's"); },
         .left = generation(second + kRetiredSuffix), .rows = {kNow}},
        {.state = "restore.order naming a generation that is gone",
         .build = [&] { dir.WriteBytes(safetyRel + "\\" + kOrderName, EncodeOrder({{second, {}}, {kNow, {}}})); },
         .rows = {kNow},
         .after = [&] { EXPECT_EQ(dir.ReadBytes(safetyRel + "\\" + kOrderName), EncodeOrder({{kNow, {}}})); }},
        {.state = "restore.order that is not the program's",
         .build = [&] { dir.WriteBytes(safetyRel + "\\" + kOrderName, "spoilt"); }, .rows = {kNow}},
        {.state = "restore.untold",
         .build =
             [&] {
                 dir.WriteBytes(safetyRel + "\\" + kUntoldName,
                                charFolder + "desktop.uos\r\n" + dir.Win(generation(kNow)) + "\\desktop.uos\r\n");
             },
         .told = {.leftAsSaved = 1}, .rows = {kNow}},
        {.state = "records whose write was cut off before its rename",
         .build =
             [&] {
                 for (const char* name : {kJournalName, kUntoldName, kSafetyNoteName, kOrderName, kActionsName})
                     dir.WriteBytes(safetyRel + "\\" + name + kIncomingSuffix, "cut");
                 dir.WriteBytes(root + kChangedName + kIncomingSuffix, "cut");
                 dir.WriteBytes("Settings\\BeforeRestore.new\\x", "an earlier version's");
             },
         .rows = {kNow},
         .after =
             [&] {
                 EXPECT_EQ(dir.Names(safetyRel), (std::vector<std::string>{kNow, kActionsName, kOrderName, kSafetyNoteName}));
                 EXPECT_FALSE(dir.IsFile(root + kChangedName + kIncomingSuffix));
                 EXPECT_FALSE(dir.IsFolder("Settings\\BeforeRestore.new"));
             }},
        {.state = "an older copy's files straight in the safety folder, and its copy beside",
         .build =
             [&] {
                 dir.WriteBytes(safetyRel + "\\desktop.uos", "older");
                 dir.WriteBytes(safetyRel + kBackupSuffix + "\\desktop.uos", "older still");
             },
         .left = safetyRel + kBackupSuffix, .rows = {kNow, ""},
         .after = [&] { EXPECT_EQ(dir.ReadBytes(safetyRel + "\\desktop.uos"), "older"); }},
        {.state = "more than ten generations written",
         .build =
             [&] {
                 for (int day = 1; day <= 11; ++day) {
                     dir.WriteBytes(generation(Day(day)) + "\\macros.txt", Day(day));
                     RecordWritten(*real, safety, Entries(*real, safety), {Day(day), {}});
                 }
                 MarkChanged(*real, SafetyRoot(app), safety);
             },
         .rows = twelve,
         .after =
             [&] {
                 // The first, from before any restore, stays beside the ten.
                 EXPECT_TRUE(dir.IsFolder(generation(kNow)));
                 EXPECT_FALSE(dir.IsFolder(generation(Day(1))));
                 EXPECT_TRUE(dir.IsFolder(generation(Day(2))));
             },
         .cut = true, .copiedIn = false},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.state);
        auto setUp = [&] {
            world();
            row.build();
            // No record names it: the start looks at every folder.
            if (row.copiedIn) std::filesystem::remove(dir.Native(root + kChangedName));
        };
        auto left = [&] { return row.left.empty() ? Snapshot{} : test::FolderSnapshot(dir.Native(row.left)); };
        if (row.cut) {
            // Whatever the cut, a generation's name holds the whole of it.
            std::map<std::string, Snapshot> generations;
            auto snap = [&] {
                generations.clear();
                for (const std::string& name : dir.Names(safetyRel))
                    if (IsGenerationName(name)) generations[name] = Generation(name);
            };
            EachCutStart(
                [&] {
                    setUp();
                    snap();
                },
                [&](const RepairReport& report, const std::string& cut) {
                    SCOPED_TRACE("cut at " + cut);
                    EXPECT_EQ(report.leftAsSaved.size(), row.told.leftAsSaved);
                    if (row.after) row.after();
                },
                [&] {
                    for (const auto& [name, files] : generations)
                        if (dir.IsFolder(safetyRel + "\\" + name)) {
                            EXPECT_EQ(Generation(name), files) << name;
                        }
                });
        }
        setUp();
        const Snapshot before = left(), theirs = test::FolderSnapshot(dir.Native(docsRel));
        const std::string held = safety + "\\" + row.held;
        faulty.FailNth(0);
        if (!row.held.empty()) faulty.Hold(held);
        const RepairReport report = RepairSlotStore(faulty, app);
        faulty.ReleaseAll();
        EXPECT_EQ(report.notOurs.size(), row.told.notOurs);
        EXPECT_EQ(report.waiting.size(), row.told.waiting);
        EXPECT_EQ(report.leftAsSaved.size(), row.told.leftAsSaved);
        if (!row.held.empty() && !report.waiting.empty()) {
            EXPECT_EQ(report.waiting[0].file, held);
        }
        EXPECT_EQ(left(), before);
        EXPECT_EQ(test::FolderSnapshot(dir.Native(docsRel)), theirs);
        if (row.after) row.after();
        // Told once: the record the start wrote no longer names it.
        if (row.told.notOurs) {
            EXPECT_TRUE(RepairSlotStore(*real, app).notOurs.empty());
        }

        setUp();
        const Snapshot world0 = World();
        switch (row.act) {
        case Act::Stops:
            EXPECT_THROW(ListUndoPoints(*real, app, charFolder), ForeignJournal);
            EXPECT_THROW(Restore(*real), ForeignJournal);
            EXPECT_THROW(BackUp(*real), ForeignJournal);
            EXPECT_EQ(World(), world0);
            break;
        case Act::Fails:
            EXPECT_THROW(ListUndoPoints(*real, app, charFolder), RollbackFailed);
            EXPECT_THROW(Restore(*real), RollbackFailed);
            EXPECT_EQ(World(), world0);
            break;
        case Act::Goes: {
            // A start before wrote the record without this folder (an
            // earlier version's restore leaves it so).
            if (!dir.IsFile(root + kChangedName)) dir.WriteBytes(root + kChangedName, "TELK safety folders to look at\r\n");
            std::vector<std::string> rows;
            for (const UndoPoint& point : ListUndoPoints(*real, app, charFolder)) rows.push_back(point.generation);
            EXPECT_EQ(rows, row.rows);
            EXPECT_NO_THROW(Restore(*real));
            EXPECT_EQ(dir.ReadBytes(desktop), dir.ReadBytes("Settings\\2\\desktop.uos"));
            if (row.restored) row.restored();
            // What settling left as the client saved it, the next start tells.
            EXPECT_EQ(RepairSlotStore(*real, app).leftAsSaved.size(), row.told.leftAsSaved);
            break;
        }
        }
        EXPECT_EQ(left(), before);
        EXPECT_EQ(test::FolderSnapshot(dir.Native(docsRel)), theirs);
    }
}

} // namespace
} // namespace telk
