// Back-up and restore are all or nothing, and no fault ever costs a file.
// Every file operation of a run is failed in turn (cleanly and half-done),
// then every pair of them, then the process is stopped at each one; after
// each run every file of the player's must still exist somewhere, and
// after the next start's repair both folders must be byte for byte as
// before or as after, with nothing temporary left. Crashes are also
// followed by what may happen before the next start: the install not
// reachable, the client saving a file, a slot file removed by hand.
#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/FolderSnapshot.h"
#include "platform/FileError.h"
#include "store/CharFiles.h"
#include "store/FolderTree.h"
#include "store/Generations.h"
#include "store/Restore.h"
#include "store/SafetyFolder.h"
#include "store/RestoreJournal.h"
#include "store/SlotStore.h"
#include "store/TextValues.h"
#include "store/Transfer.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"
#include "ui/Texts.h"

namespace telk {
namespace {

using Snapshot = std::map<std::string, std::string>;
using Mode = test::FaultyFileSystem::Mode;

// A runaway loop would mean an operation that never completes.
constexpr int kMaxOperations = 300;
// Chains of three actions explored, of the 729 there are.
constexpr int kSampledTriples = 24;
const char* const kCharRel = "UO\\DESKTOP\\acct\\shard\\Name";
const char* const kDate = "12-07-2026";
const char* const kName = "狩り用, メイン";
// Every restore of a test falls in one second: its generations are this,
// then " (2)", " (3)" …
const char* const kNow = "2026-12-09 07-45-00";
const std::vector<std::string> kFiles = {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul", "uo.cfg"};

// How a run under faults ended.
struct Tally {
    int runs = 0;
    int lost = 0;
};

// What happens between a crash and the next start.
enum class Between { Nothing, Unreachable, ClientSaves, SlotFileGone };
const char* const kClientSave = "saved by the client after the crash";

class TransferTest : public ::testing::Test {
protected:
    Snapshot Store() const { return test::FolderSnapshot(dir.Native("Settings")); }
    Snapshot Char() const { return test::FolderSnapshot(dir.Native(kCharRel)); }
    // A generation of the character's safety folder.
    Snapshot Generation(const std::string& name = kNow) const {
        return test::FolderSnapshot(dir.Native(safetyRel + "\\" + name));
    }
    // A restore puts a backup whose file is missing back into place before
    // it starts: the state either way, as the put-back leaves it.
    static Snapshot PutBack(Snapshot state) {
        for (const std::string& name : kFiles) {
            const auto stranded = state.find("char/" + name + kBackupSuffix);
            if (stranded == state.end() || state.count("char/" + name)) continue;
            state["char/" + name] = stranded->second;
            state.erase(stranded);
        }
        return state;
    }
    // The slot store with the safety copies, and the character folder: what
    // must be as before or after.
    Snapshot World() const {
        Snapshot world;
        for (auto& [rel, bytes] : Store()) world["Settings/" + rel] = bytes;
        // Where the start is to look next time: its own, not the player's.
        world.erase(std::string("Settings/BeforeRestore/") + kChangedName);
        for (auto& [rel, bytes] : Char()) world["char/" + rel] = bytes;
        return world;
    }

    void Reset() {
        std::filesystem::remove_all(dir.Native("Settings"));
        std::filesystem::remove_all(dir.Native("UO"));
        for (int i = 0; i < kSlotCount; ++i)
            dir.WriteBytes("Settings\\" + std::to_string(i) + "\\DATA.INI", "old label\r\nSlot" + std::to_string(i) + "\r\n");
    }

    // A slot filled by an earlier back-up, with things the user put there,
    // one of them hidden (by its name on POSIX and in Wine).
    void FillSlot2() {
        for (const std::string& name : kFiles) dir.WriteBytes("Settings\\2\\" + name, "slot " + name);
        dir.WriteBytes("Settings\\2\\notes.txt", "kept by the user");
        dir.WriteBytes("Settings\\2\\.hidden", "hidden by the user");
        dir.WriteBytes("Settings\\2\\extra\\deep.txt", "nested");
    }

    void FillChar(bool withUoCfg) {
        for (const std::string& name : kFiles)
            if (withUoCfg || name != "uo.cfg") dir.WriteBytes(std::string(kCharRel) + "\\" + name, "client " + name);
    }

    void BackUp(FileSystem& fileSystem) { BackUpToSlot(fileSystem, *codec, app, charFolder, slotFolder, kDate, kName); }
    void Restore(FileSystem& fileSystem) {
        RestoreFromSlot(fileSystem, app, slotFolder, charFolder, kNow, ui::kSafetyNoteLines);
    }

    // The files of state that are nowhere in the store or the character
    // folder, under any name.
    std::vector<std::string> Missing(const Snapshot& state) const {
        std::vector<std::string> now;
        for (auto& [rel, bytes] : Store()) now.push_back(bytes);
        for (auto& [rel, bytes] : Char()) now.push_back(bytes);
        std::vector<std::string> missing;
        for (auto& [rel, bytes] : state)
            if (bytes != "<folder>" && std::find(now.begin(), now.end(), bytes) == now.end()) missing.push_back(rel);
        return missing;
    }

    // The 1-based number of the first logged operation that starts with prefix.
    int IndexOf(const std::string& prefix) const {
        const std::vector<std::string>& log = faulty.Log();
        const auto at = std::find_if(log.begin(), log.end(), [&](const std::string& l) { return l.starts_with(prefix); });
        return static_cast<int>(at - log.begin()) + 1;
    }

    // Nothing of the player's is lost: every file of before is still
    // somewhere, or the run got as far as after, which drops only what a
    // back-up overwrites by design.
    int LostFiles(const Snapshot& before, const Snapshot& after) const {
        const std::vector<std::string> missing = Missing(before);
        if (missing.empty() || Missing(after).empty()) return 0;
        for (const std::string& rel : missing) ADD_FAILURE() << "lost " << rel;
        return static_cast<int>(missing.size());
    }

    // One run of run under the faults that arm() sets; then what happens
    // before the next start, and the next start.
    void RunOnce(const std::function<void()>& setUp, const std::function<void(FileSystem&)>& run,
                 const std::function<void()>& arm, const Snapshot& before, const Snapshot& after, Between between,
                 Tally& tally) {
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
    void ExpectAllOrNothing(const char* direction, const std::function<void()>& setUp,
                            const std::function<void(FileSystem&)>& run, bool restore = false) {
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

    test::TempDir dir;
    std::unique_ptr<FileSystem> real = test::MakePlatformFileSystem();
    test::FaultyFileSystem faulty{*real};
    std::unique_ptr<TextCodec> codec = test::MakeJapaneseTextCodec();
    std::string app = dir.Win() + "\\";
    std::string slotFolder = SlotFolderPath(app, 2);
    std::string charFolder = dir.Win(kCharRel) + "\\";
    // As the native helpers name it: below "Settings", as it is made.
    std::string StoreRel(const std::string& path) const { return "Settings" + path.substr(app.size() + 8); }
    std::string safetyRel = StoreRel(SafetyFolderPath(app, charFolder));
};

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
    } cases[] = {
        {"restore", true, false, false},
        {"restore, no earlier safety copy", false, false, false},
        {"restore over an interrupted run's leftovers", true, true, false},
        {"restore, the store on another volume", true, true, true},
        {"restore, another volume that answers as the same", true, false, true, false},
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
        }, [&](FileSystem& fs) { Restore(fs); }, /*restore=*/true);
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
    // Neither whole: both stay, and the player hears it is theirs to choose.
    std::filesystem::remove(dir.Native("Settings/2/DATA.INI"));
    dir.WriteBytes("Settings\\2.old\\chardata.mul", "old");
    const Snapshot undecided = Store();
    EXPECT_EQ(RepairSlotStore(*real, app).undecided.size(), 1u);
    EXPECT_EQ(Store(), undecided);
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

    // The start keeps the last written ten, those an earlier version wrote
    // below, and a generation cut off while it was built as far as it
    // holds whole files; folders that only look like the program's stay.
    for (int day = 1; day <= 9; ++day)
        dir.WriteBytes(safetyRel + "\\2026-12-0" + std::to_string(day) + " 10-00-00\\macros.txt", "earlier");
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
    ASSERT_EQ(generations.size(), 15u);
    EXPECT_EQ(generations.front(), "2026-12-01 09-00-00.new");
    EXPECT_EQ(generations[3], "2026-12-03 10-00-00");
    for (const std::string& lookalike : lookalikes)
        EXPECT_EQ(Generation(lookalike), (Snapshot{{"macros.txt", "the player's"}}));
    const auto tidied = std::find_if(generations.begin(), generations.end(),
                                     [](const std::string& name) { return name.starts_with("2026-12-08 09-00-00"); });
    ASSERT_NE(tidied, generations.end());
    EXPECT_EQ(Generation(*tidied), (Snapshot{{"macros.txt", "whole"}}));
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

TEST_F(TransferTest, RestoreIntoAMissingCharacterFolderFailsAndChangesNothing) {
    Reset();
    FillSlot2();
    const Snapshot before = Store();
    EXPECT_THROW(Restore(*real), FileError);
    EXPECT_FALSE(dir.IsFolder(kCharRel));
    EXPECT_EQ(Store(), before);
}

// One safety folder a character folder, named so that Windows keeps each
// name as written; the older layout by the last three names only.
TEST_F(TransferTest, SafetyFoldersStayInsideTheStore) {
    const std::string root = app + "SETTINGS\\BeforeRestore\\";
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\UO\\Desktop\\a\\s\\c\\", "a\\s\\c~"},
        {"C:\\UO\\Desktop\\a\\..\\\\..\\", "a\\_\\_~"},
        {"C:\\UO\\Desktop\\trail \\s\\Name.\\", "trail_\\s\\Name_~"},
        {"C:\\UO\\Desktop\\a\\CON\\com1.txt\\", "a\\_CON\\_com1.txt~"},
    };
    for (const auto& [folder, names] : cases) {
        const std::string safety = SafetyFolderPath(app, folder);
        EXPECT_EQ(safety.substr(0, root.size() + std::string(names).size()), root + names) << folder;
        EXPECT_EQ(safety.size(), root.size() + std::string(names).size() + 8) << safety;
    }
    EXPECT_EQ(SafetyFolderPath(app, "C:\\UO\\DESKTOP\\a\\s\\c"), SafetyFolderPath(app, "c:\\uo\\Desktop\\\\a\\s\\c\\"));
    EXPECT_NE(SafetyFolderPath(app, "C:\\UO\\Desktop\\a\\s\\c\\"), SafetyFolderPath(app, "C:\\UO3D\\Desktop\\a\\s\\c\\"));
    EXPECT_EQ(LegacySafetyFolderPath(app, "C:\\UO\\Desktop\\a\\..\\c\\"), root + "a\\_\\c");
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

// A journal reads back as it was written, and nothing else passes for one:
// a line out of place could steer the repair outside the character.
TEST(RestoreJournal, ReadsBackAsWrittenAndRefusesWhatItDidNotWrite) {
    Journal journal;
    journal.state = kRestoring;
    journal.charFolder = "C:\\UO\\Desktop\\a\\s\\c\\";
    journal.slotFolder = "C:\\TELK\\SETTINGS\\2\\";
    journal.items = {{"chardata.mul", true, FileDigest{3, std::string(64, 'a')}}, {"uo.cfg", false, FileDigest{0, std::string(64, 'f')}}};
    journal.suffix = 2;
    journal.leftovers = {"desktop.uos.telk-old"};
    journal.generation = "2026-12-09 07-45-00 (2)";
    journal.backupsInGeneration = true;
    const std::string bytes = EncodeJournal(journal);
    ASSERT_TRUE(DecodeJournal(bytes));
    EXPECT_EQ(EncodeJournal(*DecodeJournal(bytes)), bytes);
    const std::string head = bytes.substr(0, bytes.find("G "));
    for (const char* line : {"G 2026-12-09 07-45-0", "G ..\\x", "B 2", "W 3 " /* before any file */, "L ..\\desktop.uos",
                             "1 ..\\chardata.mul", "1 chardata.mul\r\nW 3 abc", "1 chardata.mul\r\nW x " })
        EXPECT_FALSE(DecodeJournal(head + line + "\r\n")) << line;
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

// Chains of what a player does, with a crash or a failure at each file
// operation of each step, then a clean start. Whatever happens, every
// version of a character file the player had is still in the character
// folder, a slot or a whole generation; every file a message names holds
// one of those versions; a restore that succeeds leaves a generation of
// exactly what it replaced; and the start leaves nothing temporary, no
// journal and every generation it ever showed.
class RestoreChains : public TransferTest {
protected:
    enum class Act { RestoreA, RestoreB, BackUpThis, BackUpOtherIntoA, Start, ClientSaves, Unreachable, StoreFull, JournalUnread };
    static constexpr std::array kActs = {Act::RestoreA, Act::RestoreB,   Act::BackUpThis,  Act::BackUpOtherIntoA, Act::Start,
                                         Act::ClientSaves, Act::Unreachable, Act::StoreFull, Act::JournalUnread};
    static const char* Name(Act act) {
        static const char* const names[] = {"restore A", "restore B", "back up", "back up another into A", "start",
                                            "client saves", "install away", "store full", "journal unreadable"};
        return names[static_cast<int>(act)];
    }
    static constexpr const char* kOther = "UO\\DESKTOP\\acct\\shard\\Other";

    struct Fault {
        enum class Kind { None, Crash, Clean, HalfDone } kind = Kind::None;
        std::size_t step = 0;
        int n = 0;
    };

    // Where the store lies: with the character, on a volume of its own, or
    // on one that answers as the character's (Wine, two file systems of one kind).
    enum class Volumes { One, Two, TwoAsOne };

    void SetUpChain(Volumes volumes) {
        Reset();
        for (const std::string& name : kFiles) {
            dir.WriteBytes("Settings\\2\\" + name, "A " + name);
            if (name != "uo.cfg") dir.WriteBytes("Settings\\3\\" + name, "B " + name);
            dir.WriteBytes(std::string(kCharRel) + "\\" + name, "client " + name);
            dir.WriteBytes(std::string(kOther) + "\\" + name, "other " + name);
        }
        faulty.FailNth(0);
        faulty.SeparateVolumes(volumes != Volumes::One, volumes == Volumes::Two);
        faulty.FillStore(false);
        faulty.ReleaseAll();
        versions.clear();
        keep.clear();
        generations.clear();
        saves = 0;
    }

    // The bytes of a character file a restore in waiting wrote: not yet
    // the player's, and undone by the next start.
    bool WrittenByPendingRestore(const std::string& name, const std::string& bytes) {
        if (!dir.IsFile(safetyRel + "\\" + kJournalName)) return false;
        const std::optional<Journal> journal = DecodeJournal(dir.ReadBytes(safetyRel + "\\" + kJournalName));
        if (!journal) return false;
        dir.WriteBytes("probe", bytes);
        const FileDigest digest = real->Digest(dir.Win("probe"));
        for (const JournalItem& item : journal->items)
            if (item.name == name && item.written == digest) return true;
        return false;
    }

    // The character's files as the player has them now, unless a slot
    // holds the same bytes (a back-up may replace those by design).
    void Capture() {
        Snapshot slots;
        for (int i = 0; i < kSlotCount; ++i)
            for (auto& [rel, bytes] : test::FolderSnapshot(dir.Native("Settings\\" + std::to_string(i)))) slots[rel + std::to_string(i)] = bytes;
        for (const auto& [name, bytes] : Char()) {
            if (std::find(kFiles.begin(), kFiles.end(), name) == kFiles.end()) continue;
            versions[name].insert(bytes);
            const bool inSlot = std::any_of(slots.begin(), slots.end(), [&](const auto& s) { return s.second == bytes; });
            if (!inSlot && !WrittenByPendingRestore(name, bytes)) keep.insert(bytes);
        }
    }

    // Every file a message names holds a version of its file.
    void ExpectTrue(const std::vector<KeptCopy>& kept) {
        for (const KeptCopy& k : kept) {
            const std::string name = k.file.substr(k.file.find_last_of('\\') + 1);
            if (k.kind == KeptCopy::Kind::Journal) {
                EXPECT_TRUE(real->CanOpenForReading(k.file)) << k.file;
            } else if (!k.copy.empty() && (k.kind == KeptCopy::Kind::PreviousInCopy || real->CanOpenForReading(k.copy))) {
                std::string bytes;
                EXPECT_FALSE(FailureOf([&] { bytes = real->ReadFile(k.copy); })) << k.copy;
                EXPECT_TRUE(versions[name].count(bytes)) << k.copy << " holds " << bytes;
            }
        }
    }

    // Only a file the client saved is ever left as the client saved it.
    void ExpectLeftAsSaved(const std::vector<KeptCopy>& kept) {
        if (saves == 0) {
            EXPECT_TRUE(kept.empty()) << kept.front().file;
        }
        ExpectTrue(kept);
    }

    Snapshot Newest() {
        std::string newest;
        std::pair<std::string, int> order;
        for (const std::string& name : dir.Names(safetyRel)) {
            if (!IsGenerationName(name)) continue;
            const int n = name.size() > 19 ? std::stoi(name.substr(21)) : 1;
            if (newest.empty() || std::pair(name.substr(0, 19), n) > order) newest = name, order = {name.substr(0, 19), n};
        }
        return newest.empty() ? Snapshot{} : Generation(newest);
    }

    void Step(Act act, FileSystem& fs) {
        const std::string charFile = std::string(kCharRel) + "\\desktop.uos";
        const bool pending = dir.IsFile(safetyRel + "\\" + kJournalName);
        const Snapshot before = Char();
        auto restore = [&](int slot) {
            RestoreFromSlot(fs, app, SlotFolderPath(app, slot), charFolder, kNow, ui::kSafetyNoteLines);
            if (pending) return;
            // A success: the newest generation holds exactly what was replaced.
            Snapshot replaced;
            for (const std::string& name : dir.Names("Settings\\" + std::to_string(slot)))
                if (before.count(name) && std::find(kFiles.begin(), kFiles.end(), name) != kFiles.end()) replaced[name] = before.at(name);
            EXPECT_EQ(Newest(), replaced);
        };
        auto start = [&] {
            const RepairReport report = RepairSlotStore(fs, app);
            ExpectTrue(report.waiting);
            ExpectLeftAsSaved(report.leftAsSaved);
            ForgetUntold(fs, report);
        };
        try {
            switch (act) {
            case Act::RestoreA: restore(2); break;
            case Act::RestoreB: restore(3); break;
            case Act::BackUpThis: BackUpToSlot(fs, *codec, app, charFolder, SlotFolderPath(app, 3), kDate, kName); break;
            case Act::BackUpOtherIntoA:
                BackUpToSlot(fs, *codec, app, dir.Win(kOther) + "\\", SlotFolderPath(app, 2), kDate, kName);
                break;
            case Act::Start: start(); break;
            case Act::ClientSaves:
                if (!dir.IsFile(charFile)) break;
                keep.erase(dir.ReadBytes(charFile));
                dir.WriteBytes(charFile, "client save " + std::to_string(++saves));
                versions["desktop.uos"].insert("client save " + std::to_string(saves));
                keep.insert("client save " + std::to_string(saves));
                break;
            case Act::Unreachable:
                std::filesystem::rename(dir.Native("UO"), dir.Native("UO.away"));
                try {
                    start();
                } catch (...) {
                    std::filesystem::rename(dir.Native("UO.away"), dir.Native("UO"));
                    throw;
                }
                std::filesystem::rename(dir.Native("UO.away"), dir.Native("UO"));
                break;
            case Act::StoreFull: faulty.FillStore(); break;
            case Act::JournalUnread:
                faulty.Hold(SafetyFolderPath(app, charFolder) + "\\" + kJournalName);
                start();
                faulty.ReleaseAll();
                break;
            }
        } catch (const RollbackFailed& e) {
            ExpectTrue(e.Kept());
        } catch (const FileError&) {
            // Told as it is; what it left, the invariants below look at.
        }
        faulty.ReleaseAll();
        ExpectLeftAsSaved(UntoldKept(*real, app, charFolder));
        ForgetUntold(*real, app, charFolder);
    }

    // Runs chain with fault, then a clean start; answers how many
    // operations the faulted step counted.
    int Run(const std::vector<Act>& chain, Volumes volumes, Fault fault) {
        SetUpChain(volumes);
        int count = 0;
        for (std::size_t i = 0; i < chain.size(); ++i) {
            Capture();
            const bool faulted = fault.kind != Fault::Kind::None && fault.step == i;
            if (!faulted) faulty.FailNth(0);
            else if (fault.kind == Fault::Kind::Crash) faulty.CrashAtNth(fault.n);
            else faulty.FailNth(fault.n, fault.kind == Fault::Kind::HalfDone ? Mode::HalfDone : Mode::Clean);
            try {
                Step(chain[i], faulty);
            } catch (const test::SimulatedCrash&) {
                // The process died here: the next step meets what it left.
            }
            if (faulted) {
                count = faulty.Fired() ? fault.n : 0;
                faultLog = faulty.Log();
            }
            for (const auto& [rel, bytes] : test::FolderSnapshot(dir.Native(safetyRel)))
                if (IsGenerationName(rel.substr(0, rel.find('/'))) && !generations.count(rel)) generations[rel] = bytes;
        }
        faulty.FillStore(false);
        faulty.FailNth(0);
        Capture();
        Step(Act::Start, faulty);
        Capture();
        ExpectSettled();
        return count;
    }

    void ExpectSettled() {
        std::vector<std::string> present;
        for (auto& [rel, bytes] : World()) {
            present.push_back(bytes);
            EXPECT_EQ(rel.find(".telk-"), std::string::npos) << rel;
            EXPECT_FALSE(rel.ends_with(".new") || rel.ends_with(".old") || rel.ends_with(kJournalName)) << rel;
        }
        for (const std::string& bytes : keep)
            EXPECT_NE(std::find(present.begin(), present.end(), bytes), present.end()) << "lost " << bytes;
        const Snapshot safety = test::FolderSnapshot(dir.Native(safetyRel));
        for (const auto& [rel, bytes] : generations) {
            const auto now = safety.find(rel);
            EXPECT_TRUE(now != safety.end() && now->second == bytes) << "generation changed: " << rel;
        }
    }

    // Every fault at every operation of every step of chain but the last,
    // whose faults the single-action runs above cover; a half-done fault
    // only where it differs from a clean one.
    int Explore(const std::vector<Act>& chain, Volumes volumes) {
        int runs = 1;
        std::string what = volumes == Volumes::One ? "one volume:" : volumes == Volumes::Two ? "two volumes:" : "two as one:";
        for (Act act : chain) what += std::string(" ") + Name(act) + ",";
        SCOPED_TRACE(what);
        Run(chain, volumes, {});
        for (std::size_t step = 0; step + 1 < chain.size() && !HasFailure(); ++step) {
            for (int n = 1; n < kMaxOperations && !HasFailure(); ++n) {
                bool fired = false;
                for (Fault::Kind kind : {Fault::Kind::Crash, Fault::Kind::Clean, Fault::Kind::HalfDone}) {
                    SCOPED_TRACE("fault " + std::to_string(static_cast<int>(kind)) + " at step " + std::to_string(step) +
                                 " operation " + std::to_string(n));
                    ++runs;
                    if (Run(chain, volumes, {kind, step, n}) == 0) break;
                    fired = true;
                    const std::string& op = faultLog[static_cast<std::size_t>(n) - 1];
                    if (kind == Fault::Kind::Clean && !op.starts_with("CopyFile") && !op.starts_with("WriteFile") &&
                        !op.starts_with("ReplaceFile"))
                        break;
                }
                if (!fired) break;
            }
        }
        return runs;
    }

    std::map<std::string, std::set<std::string>> versions;
    std::vector<std::string> faultLog; // the faulted step's operations
    std::set<std::string> keep;
    Snapshot generations;
    int saves = 0;
};

TEST_F(RestoreChains, EveryFaultOfEveryStepOfTwoAndThreeActions) {
    std::vector<std::vector<Act>> chains;
    for (Act a : kActs)
        for (Act b : kActs) chains.push_back({a, b});
    // Three actions: a fixed sample, so that every run explores the same.
    std::mt19937 pick(20261209);
    const std::size_t twos = chains.size();
    for (int i = 0; i < kSampledTriples; ++i)
        chains.push_back({kActs[pick() % kActs.size()], kActs[pick() % kActs.size()], kActs[pick() % kActs.size()]});
    int runs[2] = {0, 0};
    // Where the safety copy lies matters only to a restore; two volumes
    // that say so and two that answer as one take turns.
    for (std::size_t i = 0; i < chains.size() && !HasFailure(); ++i) {
        const bool restores = std::any_of(chains[i].begin(), chains[i].end(),
                                          [](Act act) { return act == Act::RestoreA || act == Act::RestoreB; });
        for (Volumes volumes : {Volumes::One, i % 2 ? Volumes::Two : Volumes::TwoAsOne})
            if (volumes == Volumes::One || restores) runs[i >= twos] += Explore(chains[i], volumes);
    }
    std::cout << "restore chains: " << twos << " of two actions, " << runs[0] << " runs; " << kSampledTriples
              << " of three (sampled), " << runs[1] << " runs; those with a restore on one volume and two\n";
}

} // namespace
} // namespace telk
