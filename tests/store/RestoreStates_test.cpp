// The states a restore's records can be found in on disk, copied in from
// elsewhere as often as left by a crash: one row each, and what a start,
// the undo window and a restore of the character do with it.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/restore/Journal.h"
#include "store/TransferFixture.h"
#include "store/restore/UndoRestore.h"

namespace telk {
namespace {

TEST_F(TransferTest, EachStateOnDiskIsSettledOnlyInsideItsOwnCharacter) {
    const std::string docsRel = "Documents";
    const std::string docs = dir.Win(docsRel) + "\\";
    const std::string root = "Settings\\BeforeRestore\\";
    const std::string note = safetyRel + "\\" + kSafetyNoteName;
    const std::string journal = safetyRel + "\\" + kJournalName;
    const std::string lookAlike = root + "x\\y\\z~00000000";
    const std::string wrongDigits = root + "acct\\shard\\Name~00000000";
    // A journal of this release's shape, naming charFolder, from source.
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
    struct Row {
        const char* state;
        std::function<void()> build;
        std::string left;                 // a folder that stays byte for byte as built
        std::size_t told = 0;             // folders the start tells it leaves alone
        std::string held;                 // a record of the safety folder the start cannot read, and tells
        bool stops = false;               // the undo window and a restore stop, nothing changed
        std::vector<std::string> rows{};  // the undo window's generations
        std::function<void()> after{};    // what else the start leaves
    };
    const std::string desktop = std::string(kCharRel) + "\\desktop.uos";
    const Row table[] = {
        {"a journal in the character's folder naming another folder, restoring",
         [&] { dir.WriteBytes(journal, journalOf("restoring", docs, slotFolder, added(docs))); }, safetyRel, 1, "", true},
        {"the same, restored, with a staged file beside the other folder's",
         [&] {
             dir.WriteBytes(docsRel + "\\desktop.uos.telk-new", "theirs");
             dir.WriteBytes(journal, journalOf("restored", docs, slotFolder, added(docs)));
         },
         safetyRel, 1, "", true},
        {"a folder that only looks like a safety folder, its records naming another folder",
         [&] {
             dir.WriteBytes(lookAlike + "\\" + kSafetyNoteName, SafetyNote(docs, ui::kSafetyNoteLines));
             dir.WriteBytes(lookAlike + "\\" + kJournalName, journalOf("restoring", docs, slotFolder, added(docs)));
         },
         lookAlike, 1, "", false, {kNow}},
        {"the character's names with digits not its own, its records naming the character",
         [&] {
             dir.WriteBytes(wrongDigits + "\\" + kSafetyNoteName, SafetyNote(charFolder, ui::kSafetyNoteLines));
             dir.WriteBytes(wrongDigits + "\\" + kJournalName,
                            journalOf("restoring", charFolder, slotFolder, added(charFolder)));
         },
         wrongDigits, 1, "", false, {kNow}},
        {"a safety folder that lost its note, with a generation",
         [&] { std::filesystem::remove(dir.Native(note)); }, safetyRel, 1, "", false, {}},
        {"a first restore cut off before its note",
         [&] {
             std::filesystem::remove_all(dir.Native(safetyRel));
             dir.WriteBytes(note + kIncomingSuffix, "cut");
         },
         "", 0, "", false, {}, [&] { EXPECT_FALSE(dir.IsFolder(safetyRel)); }},
        {"the first name gone, the character's folder after the gap",
         [&] { std::filesystem::rename(dir.Native(safetyRel), dir.Native(safetyRel + "-2")); }, "", 0, "", false, {kNow},
         [&] { EXPECT_TRUE(dir.IsFolder(safetyRel + "-2\\" + kNow)); }},
        {"a journal that cannot be read",
         [&] { dir.WriteBytes(journal, journalOf("restoring", charFolder, slotFolder, "")); }, "", 0, kJournalName,
         false, {kNow}},
        {"a note that cannot be read", [] {}, "", 0, kSafetyNoteName, false, {kNow}},
        {"an older copy's journal whose source is a folder outside the store",
         [&] {
             dir.WriteBytes(docsRel + "\\desktop.uos", "slot desktop.uos");
             dir.WriteBytes(desktop + kBackupSuffix, "client desktop.uos");
             dir.WriteBytes(journal, "TELK restore journal\r\nrestoring\r\n" + charFolder + "\r\n" + docs +
                                         "\r\n1 desktop.uos\r\n");
         },
         "", 0, "", false, {kNow, kUndatedGeneration},
         // Nothing proves the file is what was put in: it stays, its
         // previous bytes kept.
         [&] { EXPECT_EQ(dir.ReadBytes(desktop), "slot desktop.uos"); }},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.state);
        auto setUp = [&] {
            Reset();
            std::filesystem::remove_all(dir.Native(docsRel));
            FillSlot2();
            FillChar(true);
            Restore(*real);
            dir.WriteBytes(docsRel + "\\desktop.uos", "theirs");
            row.build();
            // As after a copy-in: the start looks at every folder.
            std::filesystem::remove(dir.Native(root + kChangedName));
        };
        auto left = [&] { return row.left.empty() ? Snapshot{} : test::FolderSnapshot(dir.Native(row.left)); };
        setUp();
        const Snapshot before = left(), theirs = test::FolderSnapshot(dir.Native(docsRel));
        faulty.FailNth(0);
        const std::string held = SafetyFolderPath(app, charFolder) + "\\" + row.held;
        if (!row.held.empty()) faulty.Hold(held);
        const RepairReport report = RepairSlotStore(faulty, app);
        faulty.ReleaseAll();
        EXPECT_EQ(report.notOurs.size(), row.told);
        EXPECT_EQ(report.waiting.size(), row.held.empty() ? 0u : 1u);
        if (!row.held.empty() && !report.waiting.empty()) {
            EXPECT_EQ(report.waiting[0].file, held);
        }
        EXPECT_EQ(left(), before);
        EXPECT_EQ(test::FolderSnapshot(dir.Native(docsRel)), theirs);
        if (row.after) row.after();
        // Told once: the record the start wrote no longer names it.
        if (row.held.empty()) {
            EXPECT_TRUE(RepairSlotStore(*real, app).notOurs.empty());
        }

        setUp();
        const Snapshot world = World();
        if (row.stops) {
            EXPECT_THROW(ListUndoPoints(*real, app, charFolder), ForeignJournal);
            EXPECT_THROW(Restore(*real), ForeignJournal);
            EXPECT_THROW(BackUp(*real), ForeignJournal);
            EXPECT_EQ(World(), world);
        } else {
            std::vector<std::string> rows;
            for (const UndoPoint& point : ListUndoPoints(*real, app, charFolder)) rows.push_back(point.generation);
            EXPECT_EQ(rows, row.rows);
            EXPECT_NO_THROW(Restore(*real));
            EXPECT_EQ(dir.ReadBytes(desktop), "slot desktop.uos");
        }
        EXPECT_EQ(left(), before);
        EXPECT_EQ(test::FolderSnapshot(dir.Native(docsRel)), theirs);
    }
}

} // namespace
} // namespace telk
