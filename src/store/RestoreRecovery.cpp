// The recovery of a restore: a journal left by one that did not end is
// settled, finishing or undoing it, before anything else reads or writes
// the character; what the client saved since is never put back over, and
// what could not be settled is told. The start settles every character;
// the forward path (Restore.cpp) undoes through the same steps.

#include "store/RestoreRecovery.h"

#include <algorithm>
#include <optional>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/Generations.h"
#include "store/RestoreSteps.h"
#include "store/SafetyFolder.h"
#include "store/SlotStore.h"
#include "store/WriteWhole.h"

namespace telk {

namespace restore {

namespace {

// Runs every step even when one fails, so that one stuck file does not
// keep the others from being settled; then throws the first failure.
class AllStepsRun {
public:
    template <class Step>
    void Run(Step step) {
        std::optional<FileError> failure = FailureOf(step);
        if (failure && !first_) first_ = std::move(failure);
    }
    void ThrowFirstFailure(const std::vector<KeptCopy>& kept = {}) const {
        if (!first_) return;
        if (!kept.empty()) throw RollbackFailed(*first_, kept);
        throw *first_;
    }

private:
    std::optional<FileError> first_;
};

// Whether the target holds what the restore put in. An older copy's
// journal has no digest: the slot's copy stands in, and while the slot no
// longer has it (removed by hand) nothing proves the target is the slot's.
// A file an undo took away: whatever is there now, the client made it.
bool HoldsWhatWasWritten(FileSystem& fs, const RestorePaths& paths, const JournalItem& item) {
    const Journal& journal = paths.journal;
    if (item.takenAway) return false;
    if (item.written) return fs.Digest(journal.Target(item)) == *item.written;
    if (!paths.sourceReadable) return false;
    const std::string slotCopy = journal.Source(item);
    if (!IsFolderNotLink(fs, WithoutTrailingSeparators(journal.slotFolder)) ||
        !Holds(FilesIn(fs, journal.slotFolder), item.name))
        return false;
    return fs.ReadFile(journal.Target(item)) == fs.ReadFile(slotCopy);
}

// Puts back what the restore changed, as long as the client has not
// changed it since: a replaced file returns from its backup while the
// target is gone or still what the restore put in; a file the restore
// added goes while it is what the restore put in. Answers the files that
// changed since, their backups still there. Throws RollbackFailed naming
// what is not back; every step may run again.
std::vector<JournalItem> UndoFiles(FileSystem& fs, const RestorePaths& paths, const Listings& listed) {
    const Journal& journal = paths.journal;
    std::vector<JournalItem> changedSince;
    std::vector<KeptCopy> kept;
    AllStepsRun steps;
    for (const JournalItem& item : journal.items) {
        const std::string target = journal.Target(item);
        const bool staged = Holds(listed.charFolder, IncomingName(item.name, journal.suffix));
        const bool backedUp = journal.backupsInGeneration
                                  ? Holds(listed.staging, item.name)
                                  : Holds(listed.charFolder, BackupName(item.name, journal.suffix));
        auto keepOnFailure = [&](auto step) {
            steps.Run([&] {
                try {
                    step();
                } catch (const FileError&) {
                    kept.push_back({target, backedUp ? paths.Backup(item) : std::string()});
                    throw;
                }
            });
        };
        if (backedUp) {
            keepOnFailure([&] {
                if (Holds(listed.charFolder, item.name) && !HoldsWhatWasWritten(fs, paths, item)) {
                    if (fs.Digest(target) == fs.Digest(paths.Backup(item))) {
                        fs.RemoveFile(paths.Backup(item)); // never replaced after all
                        return;
                    }
                    changedSince.push_back(item);
                    return;
                }
                fs.Rename(paths.Backup(item), target);
            });
        } else if (!item.existed && !staged && Holds(listed.charFolder, item.name)) {
            keepOnFailure([&] {
                if (HoldsWhatWasWritten(fs, paths, item)) fs.RemoveFile(target);
            });
        }
        if (staged) steps.Run([&] { fs.RemoveFile(journal.Incoming(item)); });
    }
    steps.ThrowFirstFailure(kept);
    return changedSince;
}

} // namespace

Listings Listings::Of(FileSystem& fs, const RestorePaths& paths) {
    Listings listed;
    listed.charFolder = Entries(fs, WithoutTrailingSeparators(paths.journal.charFolder));
    listed.safety = Entries(fs, paths.safety);
    if (Holds(listed.safety, StagingName(paths.journal.generation))) listed.staging = Entries(fs, paths.Staging());
    return listed;
}

Listings Listings::AllIn(const Journal& journal, const std::vector<std::string>& safetyBefore) {
    Listings listed{journal.leftovers, safetyBefore, journal.leftovers};
    listed.safety.push_back(journal.backupsInGeneration ? journal.generation : StagingName(journal.generation));
    for (const JournalItem& item : journal.items)
        if (item.existed && !journal.backupsInGeneration) listed.charFolder.push_back(BackupName(item.name, journal.suffix));
    return listed;
}

std::vector<KeptCopy> PreviousFiles(FileSystem& fs, const RestorePaths& paths, bool reachable) {
    const Journal& journal = paths.journal;
    std::vector<KeptCopy> kept;
    for (const JournalItem& item : journal.items) {
        const std::string target = journal.Target(item);
        if (!item.existed) {
            if (reachable && FileExists(fs, target)) kept.push_back({target, ""});
            continue;
        }
        std::vector<std::string> copies = {paths.Generation() + "\\" + item.name, paths.Staging() + "\\" + item.name};
        if (!journal.backupsInGeneration) copies.insert(copies.begin(), journal.Backup(item));
        const auto there = std::find_if(copies.begin(), copies.end(), [&](const std::string& c) { return FileExists(fs, c); });
        if (there != copies.end())
            kept.push_back({target, *there});
        else if (!reachable && !journal.backupsInGeneration)
            kept.push_back({target, journal.Backup(item), KeptCopy::Kind::PreviousInCopyIfReplaced});
    }
    return kept;
}

// An undone restore leaves the store as it found it.
void DropIfEmpty(FileSystem& fs, std::string folder, int levels) {
    // The character's, the shard's, the account's, BeforeRestore.
    for (int level = 4 - levels; level < 4; ++level) {
        try {
            if (IsFolderNotLink(fs, folder)) {
                std::vector<std::string> entries = Entries(fs, folder);
                if (level == 0 && entries.size() == 1 && entries[0] == kSafetyNoteName) {
                    fs.RemoveFile(folder + "\\" + kSafetyNoteName);
                    entries.clear();
                }
                if (!entries.empty()) return;
                fs.RemoveFolder(folder);
            }
        } catch (const FileError&) {
            return; // an empty folder harms nobody
        }
        folder.resize(folder.find_last_of('\\'));
    }
}

void Finish(FileSystem& fs, const RestorePaths& paths, const Listings& listed) {
    const Journal& journal = paths.journal;
    if (!Holds(listed.safety, journal.generation)) {
        if (!Holds(listed.safety, StagingName(journal.generation))) fs.CreateFolder(paths.Staging());
        for (const std::string& name : listed.staging)
            if (name.ends_with(kPartSuffix)) fs.RemoveFile(paths.Staging() + "\\" + name);
        for (const JournalItem& item : journal.items)
            if (!journal.backupsInGeneration && Holds(listed.charFolder, BackupName(item.name, journal.suffix)) &&
                !Holds(listed.staging, item.name))
                PutWhole(fs, journal.Backup(item), paths.Staging(), item.name);
        for (const std::string& leftover : journal.leftovers)
            if (Holds(listed.charFolder, leftover) && !Holds(listed.staging, leftover))
                PutWhole(fs, journal.charFolder + leftover, paths.Staging(), leftover);
        fs.Rename(paths.Staging(), paths.Generation());
    }
    AllStepsRun steps;
    auto removeIfThere = [&](const std::string& name) {
        if (Holds(listed.charFolder, name)) steps.Run([&] { fs.RemoveFile(journal.charFolder + name); });
    };
    for (const JournalItem& item : journal.items) {
        if (!journal.backupsInGeneration) removeIfThere(BackupName(item.name, journal.suffix));
        removeIfThere(IncomingName(item.name, journal.suffix));
    }
    for (const std::string& leftover : journal.leftovers) removeIfThere(leftover);
    steps.ThrowFirstFailure();
}

namespace {

// After an undo. With every file back, the staging folder (only the
// leftovers' copies) and the journal go. A file the client changed since
// stays as it is: its previous bytes make the restore's generation, the
// journal ends as if the restore had, and the files wait in the store's
// record until the player has been told of them.
void SettleUndone(FileSystem& fs, const RestorePaths& paths, const std::vector<JournalItem>& changedSince) {
    if (changedSince.empty()) {
        RemoveTree(fs, paths.Staging(), IfMissing::Skip);
        ForgetWritten(fs, paths.safety, paths.journal.generation);
        fs.RemoveFile(JournalPath(paths.safety));
        DropIfEmpty(fs, paths.safety);
        return;
    }
    std::vector<KeptCopy> leftAsSaved;
    for (const JournalItem& item : changedSince)
        leftAsSaved.push_back({paths.journal.Target(item), paths.Generation() + "\\" + item.name});
    RecordUntold(fs, paths.safety, leftAsSaved);
    Finish(fs, paths, Listings::Of(fs, paths));
    fs.RemoveFile(JournalPath(paths.safety));
}

} // namespace

void Undo(FileSystem& fs, const RestorePaths& paths, const Listings& listed) {
    SettleUndone(fs, paths, UndoFiles(fs, paths, listed));
}

} // namespace restore

using namespace restore;

namespace {

// Whether a journal's source folder is one the program reads: a slot of
// the store, or the safety folder itself (an undo's).
bool SourceReadable(const std::string& appFolder, const std::string& safety, const Journal& journal) {
    if (SameCharFolder(journal.slotFolder, safety)) return true;
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (SameCharFolder(journal.slotFolder, SlotFolderPath(appFolder, slot))) return true;
    return false;
}

// A journal in safety was left by a restore that did not end: finish or
// undo it, then let it go. Whether it is there comes from the listing;
// one that is there but cannot be read waits, and so does everything
// while the character folder cannot be reached. Only a journal that names
// owner, the character folder safety belongs to, is acted on: one naming
// another folder throws ForeignJournal, nothing changed. Throws
// RollbackFailed naming what waits where, PreviousFilesWait when every
// file is in; false when tidying left something for next time.
// seen: the folder's entries as a look-up just listed them (none: it is
// not there), and afterwards as they are still, unless settling changed
// them (then none, to be listed again).
bool Settle(FileSystem& fs, const std::string& appFolder, const std::string& safety, const std::string& owner,
            std::optional<Tidy> tidy = Tidy::Quick, std::optional<std::vector<std::string>>* seen = nullptr) {
    if (seen ? !*seen : !IsFolderNotLink(fs, safety)) return true;
    const std::string journalPath = JournalPath(safety);
    std::optional<Journal> journal;
    // A safety folder that cannot be listed tells nothing of a journal:
    // the failure is all there is to say.
    std::vector<std::string> entries = seen ? **seen : Entries(fs, safety);
    if (seen && (Holds(entries, kJournalName) || MayTidy(entries))) seen->reset();
    // Written whole or not at all: a file cut short never took its place.
    for (const char* name : {kJournalName, kUntoldName, kSafetyNoteName, kOrderName})
        if (Holds(entries, std::string(name) + kIncomingSuffix)) {
            FailureOf([&] { fs.RemoveFile(safety + "\\" + name + kIncomingSuffix); });
            if (seen) seen->reset();
        }
    try {
        // What it cannot tidy now harms nobody: every name holds a whole
        // file. It is tried again next time.
        if (!Holds(entries, kJournalName)) return !tidy || TidyGenerations(fs, safety, entries, *tidy);
        journal = DecodeJournal(fs.ReadFile(journalPath));
        // Written whole or not at all: bytes that are not a journal are
        // not the program's to act on, nor to throw away.
        if (!journal) throw FileError("read", journalPath, "", 0, FileCause::Other);
    } catch (const FileError& e) {
        throw RollbackFailed(e, {{journalPath, "", KeptCopy::Kind::Journal}});
    }
    if (!SameCharFolder(journal->charFolder, owner)) throw ForeignJournal(journalPath);
    const RestorePaths paths{*journal, safety, SourceReadable(appFolder, safety, *journal)};
    try {
        // An older copy's restore: its generation sorts below every other.
        const bool undated = journal->generation.empty() || journal->generation.starts_with(kUndatedGeneration);
        if (journal->generation.empty()) {
            journal->generation = FreeGenerationName(entries, kUndatedGeneration);
            WriteWhole(fs, journalPath, EncodeJournal(*journal));
        }
        Listings listed;
        try {
            listed = Listings::Of(fs, paths);
        } catch (const FileError& e) {
            std::vector<KeptCopy> waiting = {{journalPath, "", KeptCopy::Kind::Journal}};
            const std::vector<KeptCopy> previous = PreviousFiles(fs, paths, false);
            waiting.insert(waiting.end(), previous.begin(), previous.end());
            if (fs.CanEnterFolder(journal->charFolder)) throw RollbackFailed(e, waiting);
            throw RollbackFailed(FileError("open", journal->charFolder, "", 0, FileCause::FolderMissing), waiting);
        }
        if (journal->state == kRestored || Holds(listed.safety, journal->generation)) {
            // An earlier version's restore: its generation is the last
            // written, whatever its name says.
            if (!undated)
                FailureOf([&] {
                    const auto order = ReadOrder(fs, safety, listed.safety);
                    if (!order || std::none_of(order->begin(), order->end(),
                                               [&](const WrittenGeneration& g) { return g.name == journal->generation; }))
                        RecordWritten(fs, safety, listed.safety, WrittenOf(*journal));
                });
            try {
                Finish(fs, paths, listed);
            } catch (const FileError& e) {
                throw PreviousFilesWait(e, PreviousFiles(fs, paths), true);
            }
            fs.RemoveFile(journalPath);
            return true;
        }
        Undo(fs, paths, listed);
        return true;
    } catch (const RollbackFailed&) {
        throw;
    } catch (const FileError& e) {
        std::vector<KeptCopy> waiting = PreviousFiles(fs, paths);
        waiting.insert(waiting.begin(), {journalPath, "", KeptCopy::Kind::Journal});
        throw RollbackFailed(e, waiting);
    }
}

// Whether safety, a folder of the layout before the whole-path key, holds
// a journal that names charFolder: it may be another install's character
// of the same names. One that cannot be read cannot be told apart: it is
// settled too, and waits.
bool HoldsJournalOf(FileSystem& fs, const std::string& safety, const std::string& charFolder) {
    std::optional<Journal> journal;
    try {
        if (!IsFolderNotLink(fs, safety) || !Holds(Entries(fs, safety), kJournalName)) return false;
        journal = DecodeJournal(fs.ReadFile(JournalPath(safety)));
    } catch (const FileError&) {
        return true;
    }
    return !journal || SameCharFolder(journal->charFolder, charFolder);
}

} // namespace

std::string SettlePendingRestore(FileSystem& fs, const std::string& appFolder, const std::string& charFolder,
                                 std::optional<std::string>* note, SafetySeen* seen) {
    std::optional<std::vector<std::string>> entries;
    const std::string safety = FindSafetyFolder(fs, appFolder, charFolder, note, &entries);
    Settle(fs, appFolder, safety, charFolder, Tidy::Quick, &entries);
    // Settling may even take an emptied folder away: only what it left
    // alone is known.
    if (seen) seen->entries = std::move(entries);
    const std::string legacy = LegacySafetyFolderPath(appFolder, charFolder);
    if (!HoldsJournalOf(fs, legacy, charFolder)) return safety;
    // What settling leaves there untold, the next start tells.
    MarkChanged(fs, appFolder, legacy);
    Settle(fs, appFolder, legacy, charFolder);
    return safety;
}

std::vector<KeptCopy> UntoldKept(FileSystem& fs, const std::string& appFolder, const std::string& charFolder) {
    std::vector<KeptCopy> kept;
    FailureOf([&] { kept = ReadUntold(fs, FindSafetyFolder(fs, appFolder, charFolder)); });
    const std::vector<KeptCopy> legacy = ReadUntold(fs, LegacySafetyFolderPath(appFolder, charFolder));
    kept.insert(kept.end(), legacy.begin(), legacy.end());
    return kept;
}

void ForgetUntold(FileSystem& fs, const std::string& appFolder, const std::string& charFolder) {
    FailureOf([&] { ForgetUntold(fs, FindSafetyFolder(fs, appFolder, charFolder)); });
    ForgetUntold(fs, LegacySafetyFolderPath(appFolder, charFolder));
}

void ForgetUntold(FileSystem& fs, const RepairReport& told) {
    for (const std::string& safety : told.untold) ForgetUntold(fs, safety);
}

namespace {

// One safety folder at the start. Only the program's: a folder named as
// the program names the safety folder of the character folder its note
// names, and a folder of the layout before the digits where its journal
// names the character it is the folder of. A journal is settled only
// where it names that same character folder. A folder that lost its note
// is the program's only while it holds nothing but cut-off writes; with a
// journal or generations it is the player's now. What is the player's
// stays as it is, and when it holds a journal or generations it is told
// once: the record drops it. A note or journal that cannot be read waits
// and is told. Never throws; false when something is left for next time.
bool SettleAtStart(FileSystem& fs, const std::string& appFolder, const std::string& folder, RepairReport& report) {
    const std::string name = folder.substr(folder.find_last_of('\\') + 1);
    std::vector<std::string> entries;
    if (!IsFolderNotLink(fs, folder)) return true;
    if (FailureOf([&] { entries = Entries(fs, folder); })) return false; // not listed now: it waits for the next start
    auto unread = [&](const std::string& record) {
        report.waiting.push_back({folder + "\\" + record, "", KeptCopy::Kind::Unreadable});
        return false;
    };
    const bool named = IsSafetyFolderName(name);
    std::optional<std::string> owner; // the character folder it belongs to
    if (named && Holds(entries, kSafetyNoteName)) {
        std::string note;
        if (FailureOf([&] { note = fs.ReadFile(folder + "\\" + kSafetyNoteName); })) return unread(kSafetyNoteName);
        owner = NoteFolder(note);
        if (owner && !IsSafetyFolderOf(appFolder, folder, *owner)) owner.reset();
    }
    std::optional<Journal> journal;
    // Only a folder that may be the program's has its journal read.
    if ((owner || !named) && Holds(entries, kJournalName)) {
        std::string bytes;
        if (FailureOf([&] { bytes = fs.ReadFile(JournalPath(folder)); })) return unread(kJournalName);
        journal = DecodeJournal(bytes);
    }
    const bool kept = owner.has_value(); // the program's to tidy, prune and drop
    // Not the program's journal at all: told as waiting by settling it.
    const bool settles = kept ? !journal || SameCharFolder(*owner, journal->charFolder)
                              : journal && SameCharFolder(LegacySafetyFolderPath(appFolder, journal->charFolder), folder);
    if (named && !kept) {
        if (MayBeTaken(entries)) {
            // Nothing but writes cut off before their rename.
            for (const std::string& entry : entries) FailureOf([&] { fs.RemoveFile(folder + "\\" + entry); });
            DropIfEmpty(fs, folder);
        } else if (Holds(entries, kJournalName) || std::any_of(entries.begin(), entries.end(), IsGenerationName)) {
            report.notOurs.push_back(folder);
        }
        return true;
    }
    if (!settles && Holds(entries, kJournalName)) report.notOurs.push_back(folder);
    bool done = true;
    if (settles) {
        try {
            done = Settle(fs, appFolder, folder, kept ? *owner : journal->charFolder,
                          kept ? std::optional(Tidy::Full) : std::nullopt);
        } catch (const RollbackFailed& e) {
            report.waiting.insert(report.waiting.end(), e.Kept().begin(), e.Kept().end());
            done = false;
        } catch (const FileError&) {
            done = false;
        }
    }
    if (!IsFolderNotLink(fs, folder)) return done; // an undone restore took it away
    if (FailureOf([&] { entries = Entries(fs, folder); })) return false;
    if (kept) done = PruneGenerations(fs, folder, entries) && done;
    // Only settling writes the record, and only where the folder is the
    // character's: a copy of one elsewhere is the player's. In the older
    // layout, each file it names tells whose folder it is.
    const std::vector<KeptCopy> untold = Holds(entries, kUntoldName) ? ReadUntold(fs, folder) : std::vector<KeptCopy>{};
    const bool untoldHere = kept || settles ||
                            (!named && !untold.empty() && std::all_of(untold.begin(), untold.end(), [&](const KeptCopy& k) {
                                 const std::string charFolder = k.file.substr(0, k.file.find_last_of('\\') + 1);
                                 return SameCharFolder(LegacySafetyFolderPath(appFolder, charFolder), folder);
                             }));
    if (!untold.empty() && untoldHere) {
        report.leftAsSaved.insert(report.leftAsSaved.end(), untold.begin(), untold.end());
        report.untold.push_back(folder);
        done = false; // until the player has been told
    }
    // Nothing but its note, or nothing at all: no one's files are in it.
    if (kept && entries.size() <= 1) DropIfEmpty(fs, folder);
    // A journal that is not the program's to settle here leaves nothing
    // for the next start either: it has been told.
    return done && !(settles && Holds(entries, kJournalName));
}

// Every character-level folder under root, as "<account>\\<shard>\\<name>";
// complete false when a level could not be listed.
std::vector<std::string> AllSafetyFolders(FileSystem& fs, const std::string& root, bool& complete) {
    auto folders = [&](const std::string& folder) {
        std::vector<std::string> names;
        complete = !FailureOf([&] {
                       for (const std::string& name : Entries(fs, folder))
                           if (IsFolderNotLink(fs, folder + "\\" + name)) names.push_back(name);
                   }) && complete;
        return names;
    };
    std::vector<std::string> relative;
    for (const std::string& account : folders(root))
        for (const std::string& shard : folders(root + "\\" + account))
            for (const std::string& name : folders(root + "\\" + account + "\\" + shard))
                relative.push_back(account + "\\" + shard + "\\" + name);
    return relative;
}

} // namespace

void SettleRestores(FileSystem& fs, const std::string& appFolder, RepairReport& report) {
    const std::string root = SafetyRoot(appFolder);
    // What older copies of the program built or threw away beside the root.
    FailureOf([&] { RemoveTree(fs, root + kStagingSuffix, IfMissing::Skip); });
    if (!fs.CanEnterFolder(root)) return;
    FailureOf([&] {
        if (FileExists(fs, root + "\\" + kChangedName + kIncomingSuffix))
            fs.RemoveFile(root + "\\" + kChangedName + kIncomingSuffix);
    });
    // Only the folders a restore changed since the last start, or that
    // still wait; all of them the first time, or when the record is lost.
    const std::optional<std::vector<std::string>> changed = ReadChanged(fs, appFolder);
    // A folder not listed now is not known to hold nothing: without a
    // record, the next start looks at every folder again.
    bool complete = true;
    const std::vector<std::string> looked = changed ? *changed : AllSafetyFolders(fs, root, complete);
    std::vector<std::string> waiting;
    for (const std::string& relative : looked)
        if (!SettleAtStart(fs, appFolder, root + "\\" + relative, report)) waiting.push_back(relative);
    // The layout's own levels may go once empty, the root's last.
    for (const std::string& relative : looked)
        DropIfEmpty(fs, root + "\\" + relative.substr(0, relative.find_last_of('\\')), 3);
    if (!changed)
        FailureOf([&] {
            for (const std::string& account : Entries(fs, root)) {
                if (!IsFolderNotLink(fs, root + "\\" + account)) continue;
                for (const std::string& shard : Entries(fs, root + "\\" + account))
                    if (IsFolderNotLink(fs, root + "\\" + account + "\\" + shard))
                        DropIfEmpty(fs, root + "\\" + account + "\\" + shard, 3);
                DropIfEmpty(fs, root + "\\" + account, 2);
            }
        });
    // Nothing left but the record: the store as no restore had touched it.
    std::vector<std::string> left;
    if (FailureOf([&] { left = Entries(fs, root); })) return;
    std::erase(left, std::string(kChangedName));
    if (left.empty() && waiting.empty() && complete) {
        FailureOf([&] {
            if (changed) fs.RemoveFile(root + "\\" + kChangedName);
            fs.RemoveFolder(root);
        });
        return;
    }
    if (complete && (!changed || *changed != waiting)) WriteChanged(fs, appFolder, waiting);
}

} // namespace telk
