#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "store/restore/Generations.h"
#include "store/restore/Restore.h"
#include "store/restore/Journal.h"
#include "store/SlotStore.h"
#include "store/Transfer.h"
#include "store/TransferFixture.h"
#include "store/restore/UndoRestore.h"
#include "support/FaultyFileSystem.h"
#include "support/FolderSnapshot.h"
#include "ui/Texts.h"

namespace telk {
namespace {

// Chains of three actions explored, of the 1000 there are; most restore
// or undo (a chain without one is drawn but kept one time in eight).
constexpr int kSampledTriples = 4;
// The clock at each step's restore: 400 days behind, ahead, then on the
// second of the newest seed (" (2)"): names no longer sort as written.
constexpr std::array kClock = {"2025-11-04 07-45-00", "2027-02-01 07-45-00", "2026-12-08 10-00-00"};
// What a chain starts from, eleven, oldest written first: one an earlier
// version left (not in the record: listed below every one it names,
// whatever its name, and never pruned), then ten written while the clock
// jumped. One restore passes ten.
constexpr std::array kSeeds = {"2027-12-31 23-59-59", "2026-11-30 10-00-00", "2026-12-01 10-00-00", "2025-06-01 10-00-00",
                               "2026-12-02 10-00-00", "2027-03-01 10-00-00", "2026-12-03 10-00-00", "2026-12-04 10-00-00",
                               "2026-12-05 10-00-00", "2026-12-06 10-00-00", "2026-12-08 10-00-00"};
constexpr std::size_t kUnrecorded = 1;
// What a record copied in names: a share, and a generation of the
// player's, its name among the seeds'.
constexpr const char* kShare = "\\\\host\\share\\x\\";
constexpr const char* kCopiedGeneration = "2026-12-07 10-00-00";

// Forwards to fs, keeping each network path it is asked about, the
// existence tests' too, which the fault log does not count.
class NetworkWatch : public FileSystem {
public:
    explicit NetworkWatch(FileSystem& fs) : fs_(fs) {}
    bool CanOpenForReading(const std::string& p) override { return fs_.CanOpenForReading(Seen(p)); }
    bool IsLink(const std::string& p) override { return fs_.IsLink(Seen(p)); }
    bool CanEnterFolder(const std::string& p) override { return fs_.CanEnterFolder(Seen(p)); }
    std::vector<ListEntry> ListEntries(const std::string& p, std::uint16_t mask) override {
        return fs_.ListEntries(Seen(p), mask);
    }
    std::vector<Drive> Drives() override { return fs_.Drives(); }
    void CreateFolder(const std::string& p) override { fs_.CreateFolder(Seen(p)); }
    void RemoveFolder(const std::string& p) override { fs_.RemoveFolder(Seen(p)); }
    void CopyFile(const std::string& a, const std::string& b) override { fs_.CopyFile(Seen(a), Seen(b)); }
    void CopyLink(const std::string& a, const std::string& b) override { fs_.CopyLink(Seen(a), Seen(b)); }
    void Rename(const std::string& a, const std::string& b) override { fs_.Rename(Seen(a), Seen(b)); }
    void RemoveFile(const std::string& p) override { fs_.RemoveFile(Seen(p)); }
    void CheckReplaceable(const std::string& p) override { fs_.CheckReplaceable(Seen(p)); }
    void ReplaceFile(const std::string& t, const std::string& r, const std::string& b) override {
        fs_.ReplaceFile(Seen(t), Seen(r), Seen(b));
    }
    std::string ReadFile(const std::string& p) override { return fs_.ReadFile(Seen(p)); }
    FileDigest Digest(const std::string& p) override { return fs_.Digest(Seen(p)); }
    void WriteFile(const std::string& p, const std::string& bytes) override { fs_.WriteFile(Seen(p), bytes); }
    std::string ShortPath(const std::string& p) override { return fs_.ShortPath(Seen(p)); }
    bool SameVolume(const std::string& a, const std::string& b) override { return fs_.SameVolume(Seen(a), Seen(b)); }
    VirtualStoreLayout VirtualStore() override { return fs_.VirtualStore(); }
    std::vector<std::string> TemporaryFolders() override { return fs_.TemporaryFolders(); }
    std::string CurrentFolder() override { return fs_.CurrentFolder(); }

    std::vector<std::string> touched;

private:
    const std::string& Seen(const std::string& path) {
        auto separator = [&](std::size_t i) { return path.size() > i && (path[i] == '\\' || path[i] == '/'); };
        if (separator(0) && separator(1)) touched.push_back(path);
        return path;
    }
    FileSystem& fs_;
};

// Chains of what a player does, with a crash or a failure at each file
// operation of each step, then a clean start. Whatever happens, every
// version of a character file the player had is still in the character
// folder, a slot or a whole generation; every file a message names holds
// one of those versions; a restore that succeeds leaves a generation of
// exactly what it replaced; the generations go in the order written, and
// only the oldest the record names beyond ten; the start leaves nothing temporary,
// no journal, and every other generation it ever showed; what the player
// or the second install has below BeforeRestore stays byte for byte. Records
// copied in from elsewhere write nothing outside their own character,
// read no share, and are told once.
class RestoreChains : public TransferTest {
protected:
    enum class Act {
        RestoreA, RestoreB, BackUpThis, BackUpOtherIntoA, Start, ClientSaves, Unreachable, StoreFull, JournalUnread, Undo, CopyIn
    };
    static constexpr std::array kActs = {Act::RestoreA,      Act::RestoreB,    Act::BackUpThis,  Act::BackUpOtherIntoA,
                                         Act::Start,         Act::ClientSaves, Act::Unreachable, Act::StoreFull,
                                         Act::JournalUnread, Act::Undo,        Act::CopyIn};
    static const char* Name(Act act) {
        static const char* const names[] = {"restore A", "restore B", "back up", "back up another into A", "start", "client saves",
                                            "install away", "store full", "journal unreadable", "undo", "records copied in"};
        return names[static_cast<int>(act)];
    }
    // A second install: the same names, another safety folder.
    static constexpr const char* kOther = "UO3D\\DESKTOP\\acct\\shard\\Name";

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
        std::filesystem::remove_all(dir.Native("Documents"));
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
        outside.clear();
        toTell.clear();
        watched.touched.clear();
        std::vector<WrittenGeneration> order;
        for (std::size_t i = 0; i < kSeeds.size(); ++i) {
            dir.WriteBytes(safetyRel + "\\" + kSeeds[i] + "\\desktop.uos", std::string("seed ") + kSeeds[i]);
            if (i >= kUnrecorded) order.push_back({kSeeds[i], {}});
        }
        dir.WriteBytes(safetyRel + "\\" + kOrderName, EncodeOrder(order));
        dir.WriteBytes(safetyRel + "\\" + kSafetyNoteName, SafetyNote(charFolder, ui::kSafetyNoteLines));
        unrecorded.clear();
        unrecorded.insert(kSeeds.begin(), kSeeds.begin() + kUnrecorded);
        written.assign(kSeeds.begin() + kUnrecorded, kSeeds.end());
        // The second install's own, and the player's: a copy of the safety
        // folder with a journal, a folder, look-alikes of staging and trash.
        const std::string other = StoreRel(SafetyFolderPath(app, dir.Win(kOther) + "\\"));
        dir.WriteBytes(other + "\\" + kSafetyNoteName, SafetyNote(dir.Win(kOther) + "\\", ui::kSafetyNoteLines));
        dir.WriteBytes(other + "\\" + kOrderName, EncodeOrder({{kSeeds[3], {}}}));
        dir.WriteBytes(other + "\\" + kSeeds[3] + "\\desktop.uos", "3D seed");
        const Journal copied{kRestoring, charFolder, SlotFolderPath(app, 2), {{"desktop.uos", true}}, 1, {}, kSeeds.back(), true};
        dir.WriteBytes(safetyRel + " - コピー\\" + kJournalName, EncodeJournal(copied));
        for (const char* name : {kSafetyNoteName, kOrderName, kSeeds[3]})
            std::filesystem::copy(dir.Native(safetyRel + "\\" + name), dir.Native(safetyRel + " - コピー\\" + name),
                                  std::filesystem::copy_options::recursive);
        dir.WriteBytes(safetyRel + "\\2026-11-01 10-00-00.old\\desktop.uos", "the player's .old");
        dir.WriteBytes(safetyRel + "\\2026-12-07 10-00-00.new\\desktop.uos", "the player's .new");
        dir.WriteBytes("Settings\\BeforeRestore\\acct\\shard\\Name とっておき\\2026-12-01 10-00-00\\desktop.uos", "kept");
        untouched.clear();
        std::string own = safetyRel.substr(23) + "/"; // below BeforeRestore
        std::replace(own.begin(), own.end(), '\\', '/');
        for (auto& [rel, bytes] : test::FolderSnapshot(dir.Native("Settings\\BeforeRestore")))
            if (!rel.starts_with(own) || rel.find(".old") != rel.npos || rel.find(".new") != rel.npos)
                untouched["Settings/BeforeRestore/" + rel] = bytes;
        // On two volumes, a later start: the record names the one folder a
        // restore changed. On one, the first after an upgrade: every folder.
        if (volumes != Volumes::One) WriteChanged(*real, app, {safetyRel.substr(23)});
        Track("");
    }

    std::set<std::string> Whole() const {
        std::set<std::string> names;
        for (const std::string& name : dir.Names(safetyRel))
            if (IsGenerationName(name)) names.insert(name);
        return names;
    }

    // The generation a waiting restore writes, if one waits.
    std::string Pending() const {
        if (!dir.IsFile(safetyRel + "\\" + kJournalName)) return {};
        const std::optional<Journal> journal = DecodeJournal(dir.ReadBytes(safetyRel + "\\" + kJournalName));
        return journal ? journal->generation : std::string();
    }

    // The order written, by the harness's own count: a generation settled
    // in a step comes before the one the step's restore wrote. Pruned only
    // what the record names and has ten written after it; the program's
    // order is this one, then those the record does not name, by name.
    void Track(const std::string& pending) {
        const std::set<std::string> now = Whole();
        auto known = [&](const std::string& name) {
            return unrecorded.count(name) || std::find(written.begin(), written.end(), name) != written.end();
        };
        if (now.count(pending) && !known(pending)) written.push_back(pending);
        for (const std::string& name : now)
            if (!known(name)) written.push_back(name);
        std::vector<std::string> newestFirst;
        for (auto it = written.rbegin(); it != written.rend(); ++it) {
            if (now.count(*it)) {
                newestFirst.push_back(*it);
            } else if (generations.count(*it)) {
                EXPECT_NE(*it, kSeeds[0]) << "pruned";
                EXPECT_GE(newestFirst.size(), std::size_t{kGenerationsKept}) << "pruned " << *it;
            }
        }
        // One the record does not name goes, if ever, only while ten stay.
        for (auto it = unrecorded.rbegin(); it != unrecorded.rend(); ++it) {
            if (now.count(*it)) {
                newestFirst.push_back(*it);
            } else if (generations.count(*it)) {
                EXPECT_GE(now.size(), std::size_t{kGenerationsKept}) << "pruned " << *it;
            }
        }
        std::vector<std::string> told;
        EXPECT_FALSE(FailureOf([&] { told = GenerationsNewestFirst(*real, SafetyFolderPath(app, charFolder), dir.Names(safetyRel)); }));
        EXPECT_EQ(told, newestFirst);
        for (const auto& [rel, bytes] : test::FolderSnapshot(dir.Native(safetyRel)))
            if (IsGenerationName(rel.substr(0, rel.find('/'))) && !generations.count(rel)) generations[rel] = bytes;
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

    std::string LookAlike() const { return SafetyRoot(app) + "\\acct\\shard\\Name~00000000"; }

    // Records copied in from a friend's Settings or another PC's, each of
    // which writes outside its character if acted on: a look-alike safety
    // folder and a journal in the second install's, both naming the
    // player's Documents and deleting its file; an older copy's journal
    // where it kept them, its source a share; a generation the record does
    // not name. The record of changed folders goes with the copy, so that
    // the next start looks at every folder.
    void CopyIn() {
        dir.WriteBytes("Documents\\desktop.uos", "the player's own, elsewhere");
        outside = test::FolderSnapshot(dir.Native("Documents"));
        const std::string documents = dir.Win("Documents") + "\\";
        const Journal deletes{kRestoring, documents, SlotFolderPath(app, 2),
                              {{"desktop.uos", false, real->Digest(documents + "desktop.uos")}}, 1, {}, kNow, false};
        const std::string lookAlike = StoreRel(LookAlike());
        const std::string other = StoreRel(SafetyFolderPath(app, dir.Win(kOther) + "\\"));
        dir.WriteBytes(lookAlike + "\\" + kSafetyNoteName, SafetyNote(documents, ui::kSafetyNoteLines));
        for (const std::string& folder : {lookAlike, other}) {
            dir.WriteBytes(folder + "\\" + kJournalName, EncodeJournal(deletes));
            for (auto& [rel, bytes] : test::FolderSnapshot(dir.Native(folder))) untouched[WorldRel(folder) + "/" + rel] = bytes;
        }
        toTell = {LookAlike(), SafetyFolderPath(app, dir.Win(kOther) + "\\")};
        const Journal older{kRestoring, charFolder, kShare, {{"desktop.uos"}}, 1, {}, "", false};
        dir.WriteBytes(StoreRel(LegacySafetyFolderPath(app, charFolder)) + "\\" + kJournalName, EncodeJournal(older));
        dir.WriteBytes(safetyRel + "\\" + kCopiedGeneration + "\\desktop.uos", "a generation no record names");
        unrecorded.insert(kCopiedGeneration);
        std::filesystem::remove(dir.Native(std::string("Settings\\BeforeRestore\\") + kChangedName));
    }
    static std::string WorldRel(std::string rel) {
        std::replace(rel.begin(), rel.end(), '\\', '/');
        return rel;
    }

    void Step(Act act, FileSystem& fs) {
        const std::string charFile = std::string(kCharRel) + "\\desktop.uos";
        const bool pending = dir.IsFile(safetyRel + "\\" + kJournalName);
        const Snapshot before = Char();
        auto restore = [&](int slot) {
            const std::set<std::string> had = Whole();
            RestoreFromSlot(fs, app, SlotFolderPath(app, slot), charFolder, clock, ui::kSafetyNoteLines);
            if (pending) return;
            // A success: its one new generation holds exactly what was replaced.
            std::vector<std::string> made;
            for (const std::string& name : Whole())
                if (!had.count(name)) made.push_back(name);
            Snapshot replaced;
            for (const std::string& name : dir.Names("Settings\\" + std::to_string(slot)))
                if (before.count(name) && std::find(kFiles.begin(), kFiles.end(), name) != kFiles.end()) replaced[name] = before.at(name);
            ASSERT_EQ(made.size(), 1u);
            EXPECT_EQ(Generation(made[0]), replaced);
        };
        auto start = [&] {
            const RepairReport report = RepairSlotStore(fs, app);
            // Once, at the first start after they came, where no fault
            // cut a start short.
            std::set<std::string> told;
            for (const std::string& folder : report.notOurs)
                if (folder == LookAlike() || folder == SafetyFolderPath(app, dir.Win(kOther) + "\\")) told.insert(folder);
            if (clean) {
                EXPECT_EQ(told, toTell);
            }
            toTell.clear();
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
            case Act::Undo: // of the one before the last
                if (const auto points = ListUndoPoints(fs, app, charFolder); points.size() > 1)
                    UndoRestore(fs, app, charFolder, points[1], clock, ui::kSafetyNoteLines);
                break;
            case Act::JournalUnread:
                faulty.Hold(SafetyFolderPath(app, charFolder) + "\\" + kJournalName);
                start();
                faulty.ReleaseAll();
                break;
            case Act::CopyIn: CopyIn(); break;
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
        clean = fault.kind == Fault::Kind::None;
        int count = 0;
        for (std::size_t i = 0; i < chain.size(); ++i) {
            Capture();
            const std::string pending = Pending();
            clock = kClock[i % kClock.size()];
            const bool faulted = fault.kind != Fault::Kind::None && fault.step == i;
            if (!faulted) faulty.FailNth(0);
            else if (fault.kind == Fault::Kind::Crash) faulty.CrashAtNth(fault.n);
            else faulty.FailNth(fault.n, fault.kind == Fault::Kind::HalfDone ? Mode::HalfDone : Mode::Clean);
            try {
                Step(chain[i], watched);
            } catch (const test::SimulatedCrash&) {
                // The process died here: the next step meets what it left.
            }
            if (faulted) {
                count = faulty.Fired() ? fault.n : 0;
                faultLog = faulty.Log();
            }
            Track(pending);
        }
        faulty.FillStore(false);
        faulty.FailNth(0);
        Capture();
        const std::string pending = Pending();
        Step(Act::Start, watched);
        Track(pending);
        Capture();
        ExpectSettled();
        return count;
    }

    void ExpectSettled() {
        std::vector<std::string> present;
        const Snapshot world = World();
        for (const auto& [rel, bytes] : untouched) {
            const auto now = world.find(rel);
            EXPECT_TRUE(now != world.end() && now->second == bytes) << "not the program's, changed: " << rel;
        }
        for (auto& [rel, bytes] : world) {
            present.push_back(bytes);
            if (untouched.count(rel)) continue;
            EXPECT_EQ(rel.find(".telk-"), std::string::npos) << rel;
            EXPECT_FALSE(rel.ends_with(".new") || rel.ends_with(".old") || rel.ends_with(kJournalName)) << rel;
        }
        for (const std::string& bytes : keep)
            EXPECT_NE(std::find(present.begin(), present.end(), bytes), present.end()) << "lost " << bytes;
        EXPECT_EQ(test::FolderSnapshot(dir.Native("Documents")), outside) << "a record acted outside its character";
        EXPECT_TRUE(watched.touched.empty()) << "a share was looked at: " << watched.touched.front();
        // Those pruned, Track judged; the rest stay as they were. Beyond
        // ten, only those the record does not name.
        const Snapshot safety = test::FolderSnapshot(dir.Native(safetyRel));
        const std::set<std::string> whole = Whole();
        EXPECT_LE(std::count_if(whole.begin(), whole.end(), [&](const std::string& name) { return !unrecorded.count(name); }),
                  kGenerationsKept);
        for (const auto& [rel, bytes] : generations) {
            const auto now = safety.find(rel);
            if (!safety.count(rel.substr(0, rel.find('/')))) continue;
            EXPECT_TRUE(now != safety.end() && now->second == bytes) << "generation changed: " << rel;
        }
    }

    // Every fault at every operation of every step of chain but the last,
    // which gets a crash at each (its failures are the single-action runs');
    // a half-done fault only where it differs from a clean one.
    int Explore(const std::vector<Act>& chain, Volumes volumes) {
        int runs = 1;
        std::string what = volumes == Volumes::One ? "one volume:" : volumes == Volumes::Two ? "two volumes:" : "two as one:";
        for (Act act : chain) what += std::string(" ") + Name(act) + ",";
        SCOPED_TRACE(what);
        Run(chain, volumes, {});
        for (std::size_t step = 0; step < chain.size() && !HasFailure(); ++step) {
            for (int n = 1; n < kMaxOperations && !HasFailure(); ++n) {
                bool fired = false;
                for (Fault::Kind kind : {Fault::Kind::Crash, Fault::Kind::Clean, Fault::Kind::HalfDone}) {
                    SCOPED_TRACE("fault " + std::to_string(static_cast<int>(kind)) + " at step " + std::to_string(step) +
                                 " operation " + std::to_string(n));
                    ++runs;
                    if (Run(chain, volumes, {kind, step, n}) == 0) break;
                    fired = true;
                    if (step + 1 == chain.size()) break; // the last step: a crash, what the start must mend
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
    std::vector<std::string> written; // the recorded generations, oldest written first
    Snapshot untouched;               // the player's and the second install's
    std::set<std::string> unrecorded; // generations no record names
    Snapshot outside;                 // the player's Documents, which records copied in name
    std::set<std::string> toTell;     // what the next start tells as not the program's
    bool clean = true;                // a run without a fault
    NetworkWatch watched{faulty};
    std::string clock = kNow;
    int saves = 0;
};

TEST_F(RestoreChains, EveryFaultOfEveryStepOfTwoAndThreeActions) {
    std::vector<std::vector<Act>> chains;
    for (Act a : kActs)
        for (Act b : kActs) chains.push_back({a, b});
    // Three actions: a fixed sample, so that every run explores the same.
    std::mt19937 pick(20261209);
    const std::size_t twos = chains.size();
    auto restores = [](const std::vector<Act>& chain) {
        return std::any_of(chain.begin(), chain.end(),
                           [](Act act) { return act == Act::RestoreA || act == Act::RestoreB || act == Act::Undo; });
    };
    int withRestore = 0;
    while (chains.size() < twos + kSampledTriples) {
        const std::vector<Act> chain = {kActs[pick() % kActs.size()], kActs[pick() % kActs.size()], kActs[pick() % kActs.size()]};
        if (pick() % 8 == 0 || restores(chain)) chains.push_back(chain), withRestore += restores(chain);
    }
    int runs[2] = {0, 0};
    // Where the safety copy lies matters only to a restore; the chains of
    // three with one also run on two volumes, those that say so and those
    // that answer as one taking turns.
    for (std::size_t i = 0; i < chains.size() && !HasFailure(); ++i)
        for (Volumes volumes : {Volumes::One, i % 2 ? Volumes::Two : Volumes::TwoAsOne})
            if (volumes == Volumes::One || (i >= twos && restores(chains[i]))) runs[i >= twos] += Explore(chains[i], volumes);
    std::cout << "restore chains: " << twos << " of two actions, " << runs[0] << " runs; " << kSampledTriples
              << " of three (sampled), " << withRestore << " with a restore, " << runs[1]
              << " runs; those with a restore on one volume and two\n";
}

} // namespace
} // namespace telk
