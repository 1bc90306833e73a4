// Restore into a character folder: the order of the steps. The folder is
// the client's and is never renamed, so each file is staged beside its
// target and swapped in with ReplaceFile, which keeps the previous file:
// straight in the new generation's staging folder where store and client
// share a volume, beside the target until every file is in where they do
// not. Before anything of the client's changes, the journal names the
// generation and what the restore puts in, so that the next start can
// finish or undo a restore the process did not live to end, comparing a
// file with what was put in, never with the slot as it is now. Nothing the
// client saved after a crash is put back over; no generation is ever
// removed or changed once whole (Generations.h).

#include "store/Restore.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/Generations.h"
#include "store/ShownPath.h"
#include "store/RestoreJournal.h"
#include "store/WriteWhole.h"

namespace telk {

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

std::vector<std::string> CharFileNames() {
    std::vector<std::string> names(kCharFiles.begin(), kCharFiles.end());
    names.push_back(kOptionalCharFile);
    return names;
}

// "<file><suffix>", with or without a number.
bool IsNumbered(const std::string& entry, const std::string& prefix) {
    return entry.size() >= prefix.size() && SameNameNoCase(entry.substr(0, prefix.size()), prefix) &&
           std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(prefix.size()), entry.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// What an interrupted run of this or an older copy of the program left
// beside a character file.
bool IsLeftover(const std::string& entry) {
    for (const std::string& name : CharFileNames())
        if (IsNumbered(entry, name + kIncomingSuffix) || IsNumbered(entry, name + kBackupSuffix)) return true;
    return false;
}

// The first number whose temporary names no entry of the folder holds.
int FreeSuffix(const std::vector<std::string>& present) {
    for (int n = 1;; ++n) {
        bool taken = false;
        for (const std::string& name : CharFileNames())
            taken = taken || Holds(present, IncomingName(name, n)) || Holds(present, BackupName(name, n));
        if (!taken) return n;
    }
}

std::string JournalPath(const std::string& safety) {
    return safety + "\\" + kJournalName;
}

// Where the parts of one restore lie.
struct RestorePaths {
    const Journal& journal;
    std::string safety;

    std::string Staging() const { return safety + "\\" + StagingName(journal.generation); }
    std::string Generation() const { return safety + "\\" + journal.generation; }
    // Where the replace keeps the previous file.
    std::string Backup(const JournalItem& item) const {
        return journal.backupsInGeneration ? Staging() + "\\" + item.name : journal.Backup(item);
    }
};

// What the character folder, the safety folder and the generation's
// staging folder hold.
struct Listings {
    std::vector<std::string> charFolder;
    std::vector<std::string> safety;
    std::vector<std::string> staging;
};

Listings ListRestoreFolders(FileSystem& fs, const RestorePaths& paths) {
    Listings listed;
    listed.charFolder = Entries(fs, WithoutTrailingSeparators(paths.journal.charFolder));
    listed.safety = Entries(fs, paths.safety);
    if (Holds(listed.safety, StagingName(paths.journal.generation))) listed.staging = Entries(fs, paths.Staging());
    return listed;
}

// Whether the target holds what the restore put in. An older copy's
// journal has no digest: the slot's copy stands in, and while the slot no
// longer has it (removed by hand) nothing proves the target is the slot's.
bool HoldsWhatWasWritten(FileSystem& fs, const Journal& journal, const JournalItem& item) {
    if (item.written) return fs.Digest(journal.Target(item)) == *item.written;
    const std::string slotCopy = journal.slotFolder + item.name;
    if (!IsFolderNotLink(fs, WithoutTrailingSeparators(journal.slotFolder)) ||
        !Holds(FilesIn(fs, journal.slotFolder), item.name))
        return false;
    return fs.ReadFile(journal.Target(item)) == fs.ReadFile(slotCopy);
}

// Where each file the restore touched has its previous contents now, as
// far as the folders tell; reachable false: the character folder cannot
// be looked into, and a backup beside a target is there if the restore
// got to that file.
std::vector<KeptCopy> PreviousFiles(FileSystem& fs, const RestorePaths& paths, bool reachable = true) {
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

// A safety folder left with nothing but its note goes, and with it each
// folder above it that is left empty: an undone restore leaves the store
// as it found it.
void DropIfEmpty(FileSystem& fs, std::string folder, int levels = 4) {
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

// Puts back what the restore changed, as long as the client has not
// changed it since: a replaced file returns from its backup while the
// target is gone or still what the restore put in; a file the restore
// added goes while it is what the restore put in. Answers the files that
// changed since, their backups still there. Throws RollbackFailed naming
// what is not back; every step may run again.
std::vector<JournalItem> Undo(FileSystem& fs, const RestorePaths& paths, const Listings& listed) {
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
                if (Holds(listed.charFolder, item.name) && !HoldsWhatWasWritten(fs, journal, item)) {
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
                if (HoldsWhatWasWritten(fs, journal, item)) fs.RemoveFile(target);
            });
        }
        if (staged) steps.Run([&] { fs.RemoveFile(journal.Incoming(item)); });
    }
    steps.ThrowFirstFailure(kept);
    return changedSince;
}

// Every file is in: the previous files and the leftovers' bytes complete
// the generation, which then takes its own name; what is left beside the
// targets goes. Throws FileError; every step may run again.
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

// After an undo. With every file back, the staging folder (only the
// leftovers' copies) and the journal go. A file the client changed since
// stays as it is: its previous bytes make the restore's generation, the
// journal ends as if the restore had, and the files wait in the store's
// record until the player has been told of them.
void SettleUndone(FileSystem& fs, const RestorePaths& paths, const std::vector<JournalItem>& changedSince) {
    if (changedSince.empty()) {
        RemoveTree(fs, paths.Staging(), IfMissing::Skip);
        fs.RemoveFile(JournalPath(paths.safety));
        DropIfEmpty(fs, paths.safety);
        return;
    }
    std::vector<KeptCopy> leftAsSaved;
    for (const JournalItem& item : changedSince)
        leftAsSaved.push_back({paths.journal.Target(item), paths.Generation() + "\\" + item.name});
    RecordUntold(fs, paths.safety, leftAsSaved);
    Finish(fs, paths, ListRestoreFolders(fs, paths));
    fs.RemoveFile(JournalPath(paths.safety));
}

// A journal in safety was left by a restore that did not end: finish or
// undo it, then let it go. Whether it is there comes from the listing;
// one that is there but cannot be read waits, and so does everything
// while the character folder cannot be reached. Throws RollbackFailed
// naming what waits where, PreviousFilesWait when every file is in.
void Settle(FileSystem& fs, const std::string& safety) {
    if (!IsFolderNotLink(fs, safety)) return;
    const std::string journalPath = JournalPath(safety);
    std::optional<Journal> journal;
    // A safety folder that cannot be listed tells nothing of a journal:
    // the failure is all there is to say.
    std::vector<std::string> entries = Entries(fs, safety);
    // Written whole or not at all: a file cut short never took its place.
    for (const char* name : {kJournalName, kUntoldName, kSafetyNoteName})
        if (Holds(entries, std::string(name) + kIncomingSuffix))
            FailureOf([&] { fs.RemoveFile(safety + "\\" + name + kIncomingSuffix); });
    try {
        if (!Holds(entries, kJournalName)) {
            // What it cannot tidy now harms nobody: every name holds a whole file.
            FailureOf([&] { TidyGenerations(fs, safety, entries); });
            return;
        }
        journal = DecodeJournal(fs.ReadFile(journalPath));
        // Written whole or not at all: bytes that are not a journal are
        // not the program's to act on, nor to throw away.
        if (!journal) throw FileError("read", journalPath, "", 0, FileCause::Other);
    } catch (const FileError& e) {
        throw RollbackFailed(e, {{journalPath, "", KeptCopy::Kind::Journal}});
    }
    const RestorePaths paths{*journal, safety};
    try {
        if (journal->generation.empty()) { // an older copy's restore
            journal->generation = FreeGenerationName(entries, kUndatedGeneration);
            WriteWhole(fs, journalPath, EncodeJournal(*journal));
        }
        Listings listed;
        try {
            listed = ListRestoreFolders(fs, paths);
        } catch (const FileError& e) {
            std::vector<KeptCopy> waiting = {{journalPath, "", KeptCopy::Kind::Journal}};
            const std::vector<KeptCopy> previous = PreviousFiles(fs, paths, false);
            waiting.insert(waiting.end(), previous.begin(), previous.end());
            if (fs.CanEnterFolder(journal->charFolder)) throw RollbackFailed(e, waiting);
            throw RollbackFailed(FileError("open", journal->charFolder, "", 0, FileCause::FolderMissing), waiting);
        }
        if (journal->state == kRestored || Holds(listed.safety, journal->generation)) {
            try {
                Finish(fs, paths, listed);
            } catch (const FileError& e) {
                throw PreviousFilesWait(e, PreviousFiles(fs, paths), true);
            }
            fs.RemoveFile(journalPath);
            return;
        }
        SettleUndone(fs, paths, Undo(fs, paths, listed));
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

// What the restore will change, once every target has passed the check:
// nothing of the client's changes before, but a backup whose file is
// missing, which is the player's file itself (an interrupted run could not
// put it back) and goes back into place.
Journal Plan(FileSystem& fs, const std::string& slotFolder, const std::string& charFolder) {
    Journal journal;
    journal.state = kRestoring;
    journal.charFolder = charFolder;
    journal.slotFolder = slotFolder;
    for (const char* name : kCharFiles) journal.items.push_back({name});
    if (Holds(FilesIn(fs, slotFolder), kOptionalCharFile)) journal.items.push_back({kOptionalCharFile});
    for (const JournalItem& item : journal.items) fs.CheckReplaceable(journal.Target(item));
    std::vector<std::string> present = Entries(fs, WithoutTrailingSeparators(charFolder));
    for (const std::string& name : CharFileNames()) {
        if (Holds(present, name)) continue;
        std::optional<std::string> backup; // the plain name first, then the lowest number
        for (const std::string& entry : present)
            if (IsNumbered(entry, name + kBackupSuffix) &&
                (!backup || entry.size() < backup->size() || (entry.size() == backup->size() && entry < *backup)))
                backup = entry;
        if (!backup) continue;
        fs.Rename(charFolder + *backup, charFolder + name);
        std::erase(present, *backup);
        present.push_back(name);
    }
    for (JournalItem& item : journal.items) {
        item.existed = Holds(present, item.name);
        item.written = fs.Digest(slotFolder + item.name);
    }
    for (const std::string& entry : present)
        if (IsLeftover(entry)) journal.leftovers.push_back(entry);
    journal.suffix = FreeSuffix(present);
    return journal;
}

// The journal in place before anything of the client's changes: the
// safety folder and its note as far as they are missing, the journal,
// then the generation's staging folder with the leftovers' bytes. Answers
// the safety folder's entries as they were. A failure takes back what was
// done, or leaves it to the next start.
std::vector<std::string> Begin(FileSystem& fs, const std::string& appFolder, const std::string& safety,
                               Journal& journal, const std::string& now, std::span<const char* const> noteLines) {
    std::vector<std::string> entries;
    try {
        // The root, the account and the shard, as far as they are missing.
        const std::string root = SafetyRoot(appFolder);
        for (std::size_t sep = root.size(); !fs.CanEnterFolder(safety); sep = safety.find('\\', sep + 1)) {
            const std::string folder = safety.substr(0, sep);
            if (!fs.CanEnterFolder(folder)) fs.CreateFolder(folder);
            if (sep == std::string::npos) break;
        }
        entries = Entries(fs, safety);
        if (!Holds(entries, kSafetyNoteName))
            // The folder as Explorer shows it: "Desktop" as the client made it.
            WriteWhole(fs, safety + "\\" + kSafetyNoteName,
                       SafetyNote(WithTrailingSeparator(PathAsShown(fs, journal.charFolder)), noteLines));
        journal.generation = FreeGenerationName(entries, now);
        journal.backupsInGeneration = fs.SameVolume(WithoutTrailingSeparators(journal.charFolder), safety);
        WriteWhole(fs, JournalPath(safety), EncodeJournal(journal));
    } catch (const FileError&) {
        // Nothing of the client's has changed: the failure is what the
        // player hears of.
        FailureOf([&] { DropIfEmpty(fs, safety); });
        throw;
    }
    const RestorePaths paths{journal, safety};
    try {
        fs.CreateFolder(paths.Staging());
        for (const std::string& leftover : journal.leftovers)
            PutWhole(fs, journal.charFolder + leftover, paths.Staging(), leftover);
    } catch (const FileError&) {
        FailureOf([&] {
            RemoveTree(fs, paths.Staging(), IfMissing::Skip);
            fs.RemoveFile(JournalPath(safety));
            DropIfEmpty(fs, safety);
        });
        throw;
    }
    return entries;
}

// Each new file beside its target, then the swaps, then the mark that all
// are in: the generation's own name where the backups are in it, else the
// journal's state. A failure before the mark undoes what was done; a file
// that cannot be put back waits, with the journal, for the next start,
// and the failure says so.
void PutInPlace(FileSystem& fs, Journal& journal, const RestorePaths& paths) {
    try {
        for (const JournalItem& item : journal.items) fs.CopyFile(journal.slotFolder + item.name, journal.Incoming(item));
        bool replaced = false;
        for (const JournalItem& item : journal.items) {
            if (!item.existed) {
                fs.Rename(journal.Incoming(item), journal.Target(item));
                continue;
            }
            try {
                fs.ReplaceFile(journal.Target(item), journal.Incoming(item), paths.Backup(item));
            } catch (const FileError& e) {
                // Two file systems that answered as one volume (Wine gives
                // every tmpfs the same serial): before any file is
                // replaced, the previous files go beside their targets
                // instead, and the journal says so first.
                if (e.Cause() != FileCause::OtherVolume || !journal.backupsInGeneration || replaced) throw;
                journal.backupsInGeneration = false;
                WriteWhole(fs, JournalPath(paths.safety), EncodeJournal(journal));
                fs.ReplaceFile(journal.Target(item), journal.Incoming(item), paths.Backup(item));
            }
            replaced = true;
        }
        if (journal.backupsInGeneration) {
            fs.Rename(paths.Staging(), paths.Generation());
        } else {
            Journal restored = journal;
            restored.state = kRestored;
            WriteWhole(fs, JournalPath(paths.safety), EncodeJournal(restored));
        }
    } catch (const FileError& e) {
        Listings listed;
        try {
            listed = ListRestoreFolders(fs, paths);
        } catch (const FileError&) {
            throw RollbackFailed(e, PreviousFiles(fs, paths));
        }
        try {
            SettleUndone(fs, paths, Undo(fs, paths, listed));
        } catch (const RollbackFailed& undo) {
            throw RollbackFailed(e, undo.Kept());
        } catch (const FileError&) {
            // Every file is back; only the store's own copies are left,
            // and the next start takes them away.
        }
        throw;
    }
}

} // namespace

void SettlePendingRestore(FileSystem& fs, const std::string& appFolder, const std::string& charFolder) {
    Settle(fs, SafetyFolderPath(appFolder, charFolder));
    const std::string legacy = LegacySafetyFolderPath(appFolder, charFolder);
    if (HoldsJournalOf(fs, legacy, charFolder)) Settle(fs, legacy);
}

void RestoreFromSlot(FileSystem& fs, const std::string& appFolder, const std::string& slotFolder,
                     const std::string& charFolder, const std::string& now, std::span<const char* const> noteLines) {
    // A restore into this character that did not end comes first.
    SettlePendingRestore(fs, appFolder, charFolder);
    const std::string safety = SafetyFolderPath(appFolder, charFolder);
    Journal journal = Plan(fs, slotFolder, charFolder);
    const std::vector<std::string> entries = Begin(fs, appFolder, safety, journal, now, noteLines);
    const RestorePaths paths{journal, safety};
    PutInPlace(fs, journal, paths);
    // Every file is in, and the folders hold what the steps above left:
    // none needs listing.
    Listings listed{journal.leftovers, entries, journal.leftovers};
    listed.safety.push_back(journal.backupsInGeneration ? journal.generation : StagingName(journal.generation));
    for (const JournalItem& item : journal.items)
        if (item.existed && !journal.backupsInGeneration) listed.charFolder.push_back(BackupName(item.name, journal.suffix));
    try {
        Finish(fs, paths, listed);
        fs.RemoveFile(JournalPath(safety));
    } catch (const FileError& e) {
        // What is left to do, the next start does; the player hears of it
        // now unless the generation is whole.
        if (!IsFolderNotLink(fs, paths.Generation())) throw PreviousFilesWait(e, PreviousFiles(fs, paths), false);
    }
}

std::vector<KeptCopy> UntoldKept(FileSystem& fs, const std::string& appFolder, const std::string& charFolder) {
    std::vector<KeptCopy> kept = ReadUntold(fs, SafetyFolderPath(appFolder, charFolder));
    const std::vector<KeptCopy> legacy = ReadUntold(fs, LegacySafetyFolderPath(appFolder, charFolder));
    kept.insert(kept.end(), legacy.begin(), legacy.end());
    return kept;
}

void ForgetUntold(FileSystem& fs, const std::string& appFolder, const std::string& charFolder) {
    ForgetUntold(fs, SafetyFolderPath(appFolder, charFolder));
    ForgetUntold(fs, LegacySafetyFolderPath(appFolder, charFolder));
}

void ForgetUntold(FileSystem& fs, const RepairReport& told) {
    for (const std::string& safety : told.untold) ForgetUntold(fs, safety);
}

void SettleRestores(FileSystem& fs, const std::string& appFolder, RepairReport& report) {
    const std::string root = SafetyRoot(appFolder);
    // What older copies of the program built or threw away beside the root.
    FailureOf([&] { RemoveTree(fs, root + kStagingSuffix, IfMissing::Skip); });
    if (!fs.CanEnterFolder(root)) return;
    auto folders = [&](const std::string& folder) {
        std::vector<std::string> paths;
        try {
            for (const std::string& name : Entries(fs, folder)) {
                const std::string path = folder + "\\" + name;
                if (IsFolderNotLink(fs, path)) paths.push_back(path);
            }
        } catch (const FileError&) {
            // Not listed now: it waits for the next start.
        }
        return paths;
    };
    for (const std::string& account : folders(root)) {
        for (const std::string& shard : folders(account)) {
            for (const std::string& character : folders(shard)) {
                // An older copy's previous safety copy, set aside: kept as it is.
                if (character.ends_with(kBackupSuffix)) continue;
                try {
                    Settle(fs, character);
                } catch (const RollbackFailed& e) {
                    report.waiting.insert(report.waiting.end(), e.Kept().begin(), e.Kept().end());
                } catch (const FileError&) {
                    // Not listed now: whatever it holds waits for the next start.
                }
                std::vector<std::string> entries;
                if (FailureOf([&] { entries = Entries(fs, character); })) continue;
                PruneGenerations(fs, character, entries);
                if (Holds(entries, kUntoldName)) {
                    const std::vector<KeptCopy> untold = ReadUntold(fs, character);
                    report.leftAsSaved.insert(report.leftAsSaved.end(), untold.begin(), untold.end());
                    report.untold.push_back(character);
                }
                if (entries.size() <= 1) DropIfEmpty(fs, character);
            }
            DropIfEmpty(fs, shard, 3);
        }
        DropIfEmpty(fs, account, 2);
    }
    DropIfEmpty(fs, root, 1);
}

} // namespace telk
