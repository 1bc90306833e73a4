// Back-up and restore are all or nothing, and no fault ever costs a file.
// Every file operation of a run is failed in turn (cleanly and half-done),
// then every pair of them, then the process is stopped at each one; after
// each run every file of the player's must still exist somewhere, and
// after the next start's repair both folders must be byte for byte as
// before or as after, with nothing temporary left. Crashes are also
// followed by what may happen before the next start: the install not
// reachable, the client saving a file, a slot file removed by hand.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "store/restore/Restore.h"
#include "store/Transfer.h"
#include "store/TransferFixture.h"
#include "store/restore/UndoRestore.h"
#include "support/FaultyFileSystem.h"
#include "support/FolderSnapshot.h"

namespace telk {

// One run of run under the faults that arm() sets; then what happens
// before the next start, and the next start.
void TransferTest::RunOnce(const std::function<void()>& setUp, const std::function<void(FileSystem&)>& run,
                           const std::function<void()>& arm, const Snapshot& before, const Snapshot& after,
                           Between between, Tally& tally) {
    setUp();
    arm();
    bool threw = false;
    std::vector<KeptCopy> told; // what the failure says waits where
    bool restored = false; // every file in, the previous ones waiting beside them
    try {
        run(faulty);
    } catch (const PreviousFilesWait& e) {
        restored = true;
        EXPECT_FALSE(e.Kept().empty());
    } catch (const RollbackFailed& e) {
        threw = true;
        told = e.Kept();
    } catch (const FileError&) {
        threw = true;
    } catch (const test::SimulatedCrash&) {
    }
    SCOPED_TRACE(faulty.FiredAt());
    ++tally.runs;
    tally.lost += LostFiles(before, after);
    const std::string charFile = std::string(kCharRel) + "\\desktop.uos";
    const bool pending = dir.IsFile(safetyRel + "\\" + kJournalName);
    // A failure that leaves a restore waiting names each file that is
    // not back and where its previous contents are; told nothing, only
    // staged copies are left beside the files.
    if (threw && pending) {
        const Snapshot expected = PutBack(before);
        const Snapshot now = Char();
        for (const auto& [rel, bytes] : now)
            EXPECT_TRUE(!told.empty() || expected.count("char/" + rel) || rel.find(kIncomingSuffix) != std::string::npos) << rel;
        for (const auto& [rel, bytes] : expected) {
            const std::string name = rel.substr(5);
            if (!rel.starts_with("char/") || (now.count(name) && now.at(name) == bytes)) continue;
            const auto named = std::find_if(told.begin(), told.end(), [&](const KeptCopy& k) { return k.file == charFolder + name; });
            EXPECT_TRUE(named != told.end() && (named->kind != KeptCopy::Kind::PreviousInCopy || (!named->copy.empty() && real->ReadFile(named->copy) == bytes))) << "not told: " << name;
        }
    }
    if (between == Between::Unreachable) {
        // While the install is away, everything of the restore waits as it is.
        auto waiting = [&] {
            Snapshot tree = test::FolderSnapshot(dir.Native("Settings\\BeforeRestore"));
            std::erase_if(tree, [](const auto& entry) {
                return entry.first.ends_with(".telk-new") || entry.first.ends_with(".telk-part") ||
                       entry.first == kChangedName;
            });
            return tree;
        };
        const Snapshot crashed = waiting();
        std::filesystem::rename(dir.Native("UO"), dir.Native("UO.away"));
        const RepairReport report = RepairSlotStore(*real, app);
        // The window names the character folder as the cause.
        const auto missing = [&]() -> std::optional<FileCause> {
            try {
                SettlePendingRestore(*real, app, charFolder);
            } catch (const RollbackFailed& e) {
                return e.Cause();
            }
            return std::nullopt;
        }();
        std::filesystem::rename(dir.Native("UO.away"), dir.Native("UO"));
        if (pending) {
            EXPECT_EQ(missing, FileCause::FolderMissing);
            EXPECT_EQ(waiting(), crashed);
            EXPECT_FALSE(report.waiting.empty());
        }
    }
    const bool saves = between == Between::ClientSaves && dir.IsFile(charFile);
    if (saves) dir.WriteBytes(charFile, kClientSave);
    if (between == Between::SlotFileGone) std::filesystem::remove(dir.Native("Settings\\2\\uo.cfg"));
    const RepairReport report = RepairSlotStore(*real, app);
    const Snapshot now = World();
    EXPECT_TRUE(report.waiting.empty());
    if (between == Between::Nothing || between == Between::Unreachable) {
        EXPECT_TRUE(report.leftAsSaved.empty());
        if (threw) {
            EXPECT_EQ(PutBack(now), PutBack(before));
        } else if (restored) {
            EXPECT_EQ(now, after);
        } else {
            EXPECT_TRUE(PutBack(now) == PutBack(before) || now == after) << "neither before nor after";
        }
        if (!faulty.Fired()) {
            EXPECT_EQ(now, after);
        }
    } else {
        // The client's save stays; every other file of the character's
        // is somewhere, and so is what a kept file replaced.
        if (saves) {
            EXPECT_EQ(dir.ReadBytes(charFile), kClientSave);
        }
        Snapshot character;
        for (const auto& [rel, bytes] : before)
            if (rel.starts_with("char/") && !(saves && rel == "char/desktop.uos")) character[rel] = bytes;
        for (const std::string& rel : Missing(character)) ADD_FAILURE() << "lost " << rel;
        for (const std::string& name : dir.Names(kCharRel)) {
            if (!before.count("char/" + name)) {
                EXPECT_EQ(name.find(".telk-"), std::string::npos) << name;
            }
        }
        for (const KeptCopy& kept : report.leftAsSaved) EXPECT_TRUE(dir.IsFile(StoreRel(kept.copy))) << kept.copy;
    }
    for (const char* journal : {kJournalName, "restore.journal.telk-new"})
        EXPECT_FALSE(dir.IsFile(safetyRel + "\\" + journal));
    EXPECT_FALSE(dir.IsFolder("Settings\\BeforeRestore.new"));
}

// Single faults in both modes, every pair of faults, a crash at each
// operation (for a restore followed by each of the Between cases);
// prints the figures.
void TransferTest::ExpectAllOrNothing(const char* direction, const std::function<void()>& setUp,
                                      const std::function<void(FileSystem&)>& run, bool restore) {
    setUp();
    const Snapshot before = World();
    faulty.FailNth(0);
    run(faulty);
    const Snapshot after = World();
    for (const auto& [rel, bytes] : after)
        EXPECT_FALSE(rel.starts_with("char/") && rel.find(".telk-") != std::string::npos) << rel;

    Tally single, pairs;
    for (Mode mode : {Mode::Clean, Mode::HalfDone}) {
        for (int n = 1; n < kMaxOperations; ++n) {
            RunOnce(setUp, run, [&] { faulty.FailNth(n, mode); }, before, after, Between::Nothing, single);
            if (!faulty.Fired() || HasFailure()) break;
            int count = faulty.Count();
            for (int m = n + 1; m <= count + 1 && !HasFailure(); ++m) {
                RunOnce(setUp, run, [&] { faulty.FailAt({n, m}, mode); }, before, after, Between::Nothing, pairs);
                count = std::max(count, faulty.Count());
            }
        }
    }
    std::cout << direction << ": single faults " << single.runs << " runs, " << single.lost
              << " files lost; fault pairs " << pairs.runs << " runs, " << pairs.lost << " lost";
    const std::pair<Between, const char*> kinds[] = {{Between::Nothing, "crashes"},
                                                     {Between::Unreachable, "then the install away"},
                                                     {Between::ClientSaves, "then the client saves"},
                                                     {Between::SlotFileGone, "then a slot file removed"}};
    for (const auto& [between, what] : kinds) {
        if (!restore && between != Between::Nothing) break;
        Tally crashes;
        for (int n = 1; n < kMaxOperations && !HasFailure(); ++n) {
            RunOnce(setUp, run, [&] { faulty.CrashAtNth(n); }, before, after, between, crashes);
            if (!faulty.Fired()) break;
        }
        std::cout << "; " << what << " " << crashes.runs << " runs, " << crashes.lost << " lost";
    }
    std::cout << "\n";
    EXPECT_GE(single.runs, 20);
}

namespace {

TEST_F(TransferTest, BackUpIsAllOrNothing) {
    for (bool withUoCfg : {false, true}) {
        SCOPED_TRACE(withUoCfg ? "with uo.cfg" : "without uo.cfg");
        ExpectAllOrNothing(withUoCfg ? "back-up with uo.cfg" : "back-up", [&] {
            Reset();
            FillSlot2();
            FillChar(withUoCfg);
        }, [&](FileSystem& fs) { BackUp(fs); });
    }
}

TEST_F(TransferTest, RestoreIsAllOrNothing) {
    struct Case {
        const char* what;
        bool earlierSafetyCopy;
        bool leftovers;
        bool twoVolumes;
        bool told = true; // whether the file system says they are two
        const char* undo = nullptr; // the generation an undo goes back to, instead of a restore
    } cases[] = {
        {"restore", true, false, false},
        {"restore, no earlier safety copy", false, false, false},
        {"restore over an interrupted run's leftovers", true, true, false},
        {"restore, the store on another volume", true, true, true},
        {"restore, another volume that answers as the same", true, false, true, false},
        // From both generations, taking away what each added; from one, over leftovers.
        {"undo of an older restore", true, false, false, true, "2026-12-01 10-00-00"},
        {"undo of the newest, over leftovers, the store on another volume", true, true, true, true, "2026-12-02 10-00-00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        faulty.SeparateVolumes(c.twoVolumes, c.told);
        // One target missing, so both the replace and the plain rename run.
        ExpectAllOrNothing(c.what, [&] {
            Reset();
            FillSlot2();
            FillChar(true);
            std::filesystem::remove(dir.Native(std::string(kCharRel) + "\\skillgrp.mul"));
            dir.WriteBytes(std::string(kCharRel) + "\\other.txt", "not ours");
            if (c.earlierSafetyCopy) {
                dir.WriteBytes(safetyRel + "\\" + kSafetyNoteName, SafetyNote(charFolder, ui::kSafetyNoteLines));
                dir.WriteBytes(safetyRel + "\\2026-12-01 10-00-00\\desktop.uos", "an earlier restore's");
            }
            if (c.leftovers) {
                dir.WriteBytes(std::string(kCharRel) + "\\desktop.uos.telk-old", "left beside its file");
                dir.WriteBytes(std::string(kCharRel) + "\\skillgrp.mul.telk-old", "the file itself, stuck");
                dir.WriteBytes(std::string(kCharRel) + "\\skillgrp.mul.telk-old2", "stuck later");
                dir.WriteBytes(std::string(kCharRel) + "\\uo.cfg.telk-new2", "a stale copy");
            }
            if (c.undo) {
                dir.WriteBytes(safetyRel + "\\2026-12-01 10-00-00\\chardata.mul", "older chardata.mul");
                for (const char* name : {"chardata.mul", "macros.txt", "skillgrp.mul"})
                    dir.WriteBytes(safetyRel + "\\2026-12-02 10-00-00\\" + name, std::string("newer ") + name);
                dir.WriteBytes(safetyRel + "\\" + kOrderName, EncodeOrder({{"2026-12-01 10-00-00", {"macros.txt"}},
                                                                            {"2026-12-02 10-00-00", {"uo.cfg"}}}));
            }
        }, [&](FileSystem& fs) { c.undo ? (void)UndoRestore(fs, app, charFolder, {c.undo, {}}, kNow, ui::kSafetyNoteLines) : Restore(fs); },
        /*restore=*/true);
    }
}

} // namespace
} // namespace telk
