// Restore into a character folder. The folder is the client's and is never
// renamed, so each file is staged beside its target and swapped in with
// ReplaceFile, which keeps the old file under a backup name until all of
// them are in. Before anything changes, the journal takes its place in the
// character's safety folder, in one rename; it lets the next start finish
// or undo a restore that the process did not live to end. Once every file
// is in, the old files move from their backup names into the safety
// folder, which lets the player undo a restore of the wrong slot: a rename
// each where the store and the client share a volume, so that the safety
// copy costs no second set of copies. Nothing the client saved after the
// crash is ever put back over.

#include "store/Restore.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/RestoreJournal.h"
#include "store/WriteWhole.h"

namespace telk {

namespace {

// Runs every step even when one fails, so that one stuck file does not
// keep the others from being settled; then throws the first failure.
class Steps {
public:
    template <class Step>
    void Run(Step step) {
        std::optional<FileError> failure = Attempt(step);
        if (failure && !first_) first_ = std::move(failure);
    }
    void ThrowIfFailed(const std::vector<KeptCopy>& kept = {}) const {
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

// "<file>.telk-new" or "<file>.telk-old", with or without a number: what
// an interrupted run of this or an older copy of the program left.
bool IsLeftoverOf(const std::string& entry, const std::string& file) {
    for (const char* suffix : {kIncomingSuffix, kBackupSuffix}) {
        const std::string prefix = file + suffix;
        if (entry.size() < prefix.size() || !SameNameNoCase(entry.substr(0, prefix.size()), prefix)) continue;
        if (std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(prefix.size()), entry.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
            return true;
    }
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

std::optional<std::string> TryRead(FileSystem& fs, const std::string& path) {
    try {
        return fs.ReadFile(path);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

// The slot's copy of a restore's file, or nothing when the slot no longer
// has it (removed by hand): then nothing proves the target is the slot's.
// A copy that is there but cannot be read now fails the step, to be tried
// again.
std::optional<std::string> SlotCopy(FileSystem& fs, const Journal& journal, const JournalItem& item) {
    try {
        return fs.ReadFile(journal.slotFolder + item.name);
    } catch (const FileError&) {
        if (FolderExists(fs, journal.slotFolder) && Holds(FilesIn(fs, journal.slotFolder), item.name)) throw;
        return std::nullopt;
    }
}

std::string Aside(const std::string& safety) {
    return safety + kBackupSuffix;
}

std::string JournalPath(const std::string& safety) {
    return safety + "\\" + kJournalName;
}

// safety is <root>\<account>\<shard>\<character>.
std::string RootOf(const std::string& safety) {
    std::string root = safety;
    for (int i = 0; i < 3 && root.find('\\') != std::string::npos; ++i) root.resize(root.find_last_of('\\'));
    return root;
}

// Where a restore's file has its previous contents now: in the safety
// copy once they are there, under the backup name until then; empty when
// the restore added it.
std::string KeptIn(FileSystem& fs, const Journal& journal, const std::string& safety, const JournalItem& item) {
    if (!item.existed) return {};
    const std::string copy = safety + "\\" + item.name;
    return FileExists(fs, copy) || !FileExists(fs, journal.Backup(item)) ? copy : journal.Backup(item);
}

// The first touched files of a restore, as the player must hear of them
// while the restore waits.
std::vector<KeptCopy> Changed(FileSystem& fs, const Journal& journal, const std::string& safety, std::size_t touched) {
    std::vector<KeptCopy> kept;
    for (std::size_t i = 0; i < journal.items.size() && i < touched; ++i)
        kept.push_back({journal.Target(journal.items[i]), KeptIn(fs, journal, safety, journal.items[i])});
    return kept;
}

// Out of the way in one rename, the journal inside with it, so that a
// crash cannot leave half a safety copy that passes for a whole one.
void Discard(FileSystem& fs, const std::string& safety) {
    const std::string trash = RootOf(safety) + kStagingSuffix;
    RemoveTreeIfThere(fs, trash);
    fs.Rename(safety, trash);
    Attempt([&] { RemoveTree(fs, trash); });
}

// From folder up to root, each folder that is left empty: a restore that
// made them and was undone leaves the store as it found it.
void PruneUp(FileSystem& fs, const std::string& root, std::string folder) {
    while (folder.size() >= root.size()) {
        try {
            if (!IsRealFolder(fs, folder) || !Entries(fs, folder).empty()) return;
            fs.RemoveFolder(folder);
        } catch (const FileError&) {
            return; // an empty folder harms nobody; the next start tries again
        }
        folder.resize(folder.find_last_of('\\'));
    }
}

// The previous safety copy back in its place, when one waits aside; the
// store as it was before the restore when none does.
void RestorePrevious(FileSystem& fs, const std::string& safety) {
    if (!FolderOrLinkAt(fs, Aside(safety))) {
        PruneUp(fs, RootOf(safety), safety.substr(0, safety.find_last_of('\\')));
        return;
    }
    if (FolderOrLinkAt(fs, safety)) Discard(fs, safety);
    fs.Rename(Aside(safety), safety);
}

void DropAside(FileSystem& fs, const std::string& safety) {
    RemoveTreeIfThere(fs, Aside(safety));
}

// Puts back what the restore changed, as long as the client has not
// changed it since: a replaced file returns from its backup while the
// target is gone or still the slot's copy; a file the restore added goes
// while it is the slot's copy. Answers the files that changed since, their
// backups still there. Throws RollbackFailed naming what is not back, the
// first touched files when even the folder cannot be listed; every step
// may run again.
std::vector<JournalItem> Undo(FileSystem& fs, const Journal& journal, const std::string& safety, std::size_t touched) {
    std::vector<std::string> present;
    try {
        present = Entries(fs, WithoutTrailingSeparators(journal.charFolder));
    } catch (const FileError& e) {
        throw RollbackFailed(e, Changed(fs, journal, safety, touched));
    }
    std::vector<JournalItem> changedSince;
    std::vector<KeptCopy> kept;
    Steps steps;
    for (const JournalItem& item : journal.items) {
        const std::string target = journal.Target(item);
        const bool staged = Holds(present, IncomingName(item.name, journal.suffix));
        auto keepOnFailure = [&](auto step) {
            steps.Run([&] {
                try {
                    step();
                } catch (const FileError&) {
                    kept.push_back({target, KeptIn(fs, journal, safety, item)});
                    throw;
                }
            });
        };
        if (Holds(present, BackupName(item.name, journal.suffix))) {
            keepOnFailure([&] {
                if (Holds(present, item.name)) {
                    const std::string now = fs.ReadFile(target);
                    if (now == TryRead(fs, journal.Backup(item))) {
                        fs.RemoveFile(journal.Backup(item)); // never replaced after all
                        return;
                    }
                    if (now != SlotCopy(fs, journal, item)) {
                        changedSince.push_back(item);
                        return;
                    }
                }
                fs.Rename(journal.Backup(item), target);
            });
        } else if (!item.existed && !staged && Holds(present, item.name)) {
            keepOnFailure([&] {
                if (fs.ReadFile(target) == SlotCopy(fs, journal, item)) fs.RemoveFile(target);
            });
        }
        if (staged) steps.Run([&] { fs.RemoveFile(journal.Incoming(item)); });
    }
    steps.ThrowIfFailed(kept);
    return changedSince;
}

// The file at from goes to to: by a rename where both lie on one volume,
// else as a copy that takes its place whole before from goes.
void MoveInto(FileSystem& fs, const std::string& from, const std::string& to) {
    if (!Attempt([&] { fs.Rename(from, to); })) return;
    const std::string fresh = to + kIncomingSuffix;
    fs.CopyFile(from, fresh);
    fs.Rename(fresh, to);
    fs.RemoveFile(from);
}

// A backup goes only once its bytes are in the safety copy: moved there
// under the file's name, or beside it when a copy of other bytes holds the
// name (a copy taken by an older copy of the program, before the client
// changed the file); when both names hold other bytes, it stays.
void KeepBackup(FileSystem& fs, const std::string& backup, const std::string& safety, const std::string& name,
                const std::vector<std::string>& kept) {
    std::optional<std::string> bytes;
    for (const std::string& as : {name, name + kBackupSuffix}) {
        const std::string copy = safety + "\\" + as;
        if (Holds(kept, as + kIncomingSuffix)) fs.RemoveFile(copy + kIncomingSuffix); // a copy cut short
        if (!Holds(kept, as)) {
            MoveInto(fs, backup, copy);
            return;
        }
        if (!bytes) bytes = fs.ReadFile(backup);
        if (fs.ReadFile(copy) == *bytes) {
            fs.RemoveFile(backup);
            return;
        }
    }
}

// What the character folder and the safety folder hold, as far as the
// clean-up after a restore asks.
struct Held {
    std::vector<std::string> charFolder;
    std::vector<std::string> safety;
};

// Every file is in: the old ones go from their backup names into the
// safety copy; staged copies and the leftovers (whose bytes the safety
// copy holds) go. Without known, both folders are listed.
void Finish(FileSystem& fs, const Journal& journal, const std::string& safety, const Held* known = nullptr) {
    Held listed;
    if (!known) {
        listed = {Entries(fs, WithoutTrailingSeparators(journal.charFolder)), Entries(fs, safety)};
        known = &listed;
    }
    const std::vector<std::string>& present = known->charFolder;
    const std::vector<std::string>& kept = known->safety;
    Steps steps;
    auto removeIfThere = [&](const std::string& name) {
        if (Holds(present, name)) steps.Run([&] { fs.RemoveFile(journal.charFolder + name); });
    };
    for (const JournalItem& item : journal.items) {
        if (Holds(present, BackupName(item.name, journal.suffix)))
            steps.Run([&] { KeepBackup(fs, journal.Backup(item), safety, item.name, kept); });
        removeIfThere(IncomingName(item.name, journal.suffix));
    }
    for (const std::string& leftover : journal.leftovers) removeIfThere(leftover);
    steps.ThrowIfFailed();
}

// After an undo: with every file back, the restore's safety copy goes and
// the previous one returns. A file the client changed since stays as it
// is; its backup's bytes join the safety copy, which then stays as the
// restore's, and the journal is settled as if the restore had ended.
// Answers those files with where their previous contents are.
std::vector<KeptCopy> SettleUndone(FileSystem& fs, const std::string& safety, Journal journal,
                                   const std::vector<JournalItem>& changedSince) {
    if (changedSince.empty()) {
        Discard(fs, safety);
        RestorePrevious(fs, safety);
        return {};
    }
    std::vector<KeptCopy> leftAsSaved;
    for (const JournalItem& item : changedSince) {
        std::string copy = safety + "\\" + item.name;
        const std::optional<std::string> kept = TryRead(fs, copy);
        if (kept != fs.ReadFile(journal.Backup(item))) {
            if (kept) copy += kBackupSuffix; // both are the player's: neither goes
            fs.CopyFile(journal.Backup(item), copy);
        }
        leftAsSaved.push_back({journal.Target(item), copy});
    }
    journal.state = kRestored;
    WriteWhole(fs, JournalPath(safety), EncodeJournal(journal));
    Finish(fs, journal, safety);
    DropAside(fs, safety);
    fs.RemoveFile(JournalPath(safety));
    return leftAsSaved;
}

// A journal that is there was left by a restore that did not end: finish
// or undo it, then let it go. A previous safety copy still aside means the
// restore did not end either: it goes back. While the character folder
// cannot be reached, everything waits as it is. Throws RollbackFailed,
// keeping the journal, when the restore cannot be settled.
std::vector<KeptCopy> Settle(FileSystem& fs, const std::string& safety) {
    const std::string journalPath = JournalPath(safety);
    try {
        // A journal whose rewriting was cut off never took the journal's place.
        if (FileExists(fs, journalPath + kIncomingSuffix)) fs.RemoveFile(journalPath + kIncomingSuffix);
        std::optional<Journal> journal;
        if (FileExists(fs, journalPath)) {
            journal = DecodeJournal(fs.ReadFile(journalPath));
            // Written whole or not at all; anything else is not the program's.
            if (!journal) fs.RemoveFile(journalPath);
        }
        if (!journal) {
            if (FolderOrLinkAt(fs, Aside(safety))) RestorePrevious(fs, safety);
            return {};
        }
        if (!FolderExists(fs, journal->charFolder))
            throw RollbackFailed(FileError("open", journal->charFolder, "キャラのフォルダが見つからないっす", 0, FileCause::Other),
                                 {{WithoutTrailingSeparators(journal->charFolder), safety}});
        if (journal->state == kRestored) {
            try {
                Finish(fs, *journal, safety);
            } catch (const FileError& e) {
                throw RollbackFailed(e, Changed(fs, *journal, safety, journal->items.size()));
            }
            DropAside(fs, safety);
            fs.RemoveFile(journalPath);
            return {};
        }
        const std::vector<JournalItem> changedSince = Undo(fs, *journal, safety, journal->items.size());
        return SettleUndone(fs, safety, *journal, changedSince);
    } catch (const RollbackFailed&) {
        throw;
    } catch (const FileError& e) {
        // The files are back or in place; what waits is the store's own.
        throw RollbackFailed(e, {{safety, FolderOrLinkAt(fs, Aside(safety)) ? Aside(safety) : safety}});
    }
}

// Whether a journal in safety names charFolder: a safety folder of the
// older layout may be another install's character of the same names.
bool JournalNames(FileSystem& fs, const std::string& safety, const std::string& charFolder) {
    if (!FileExists(fs, JournalPath(safety))) return false;
    const std::optional<std::string> bytes = TryRead(fs, JournalPath(safety));
    const std::optional<Journal> journal = bytes ? DecodeJournal(*bytes) : std::nullopt;
    // One that cannot be read cannot be told apart: it is settled too.
    return !journal || SameCharFolder(journal->charFolder, charFolder);
}

// A leftover of an interrupted run, and its name in the safety copy.
struct LeftoverCopy {
    std::string name;
    std::string as;
};

struct Planned {
    Journal journal;
    std::vector<LeftoverCopy> leftovers;
};

// A backup whose target is missing holds the player's file itself (an
// older copy of the program could not put it back): the safety copy keeps
// it under the file's own name. Every other leftover keeps its name.
std::vector<LeftoverCopy> LeftoverCopies(const std::vector<std::string>& leftovers,
                                         const std::vector<std::string>& present) {
    std::vector<std::string> taken = present;
    std::vector<LeftoverCopy> copies;
    for (const std::string& leftover : leftovers) {
        std::string as = leftover;
        for (const std::string& name : CharFileNames()) {
            const std::string backup = name + kBackupSuffix;
            if (IsLeftoverOf(leftover, name) && SameNameNoCase(leftover.substr(0, backup.size()), backup) &&
                !Holds(taken, name))
                as = name;
        }
        taken.push_back(as);
        copies.push_back({leftover, as});
    }
    return copies;
}

// What the restore will change, once every target has passed the check:
// nothing of the client's changes before.
Planned Plan(FileSystem& fs, const std::string& slotFolder, const std::string& charFolder) {
    Journal journal;
    journal.state = kRestoring;
    journal.charFolder = charFolder;
    journal.slotFolder = slotFolder;
    for (const char* name : kCharFiles) journal.items.push_back({name});
    if (Holds(FilesIn(fs, slotFolder), kOptionalCharFile)) journal.items.push_back({kOptionalCharFile});
    for (const JournalItem& item : journal.items) fs.CheckReplaceable(journal.Target(item));
    const std::vector<std::string> present = Entries(fs, WithoutTrailingSeparators(charFolder));
    for (JournalItem& item : journal.items) item.existed = Holds(present, item.name);
    for (const std::string& entry : present)
        for (const std::string& name : CharFileNames())
            if (IsLeftoverOf(entry, name)) journal.leftovers.push_back(entry);
    journal.suffix = FreeSuffix(present);
    std::vector<LeftoverCopy> copies = LeftoverCopies(journal.leftovers, present);
    return {std::move(journal), std::move(copies)};
}

// The new safety copy, complete in a staging folder before it takes the
// safety folder's place in one rename: the journal, a note naming the
// character folder, and the leftovers' bytes; the character's files join
// it once the restore has put every file in. The previous copy waits
// aside until then.
void KeepSafetyCopy(FileSystem& fs, const std::string& appFolder, const std::string& safety, const Planned& plan) {
    const Journal& journal = plan.journal;
    const std::string root = SafetyRoot(appFolder);
    const std::string staging = root + kStagingSuffix;
    RemoveTreeIfThere(fs, staging);
    fs.CreateFolder(staging);
    try {
        for (const LeftoverCopy& leftover : plan.leftovers)
            fs.CopyFile(journal.charFolder + leftover.name, staging + "\\" + leftover.as);
        fs.WriteFile(staging + "\\" + kSafetyNoteName, SafetyNote(journal.charFolder));
        fs.WriteFile(staging + "\\" + kJournalName, EncodeJournal(journal));
        if (FolderOrLinkAt(fs, safety)) {
            fs.Rename(safety, Aside(safety));
        } else {
            // root\account\shard, as far as they are missing.
            for (std::size_t sep = safety.find('\\', root.size()); sep != std::string::npos;
                 sep = safety.find('\\', sep + 1)) {
                const std::string folder = safety.substr(0, sep);
                if (!FolderExists(fs, folder)) fs.CreateFolder(folder);
            }
        }
        fs.Rename(staging, safety);
    } catch (const FileError&) {
        // The failure is what the player must hear of: what these leave,
        // with no journal, the next start settles.
        Attempt([&] { RemoveTree(fs, staging); });
        Attempt([&] { RestorePrevious(fs, safety); });
        throw;
    }
}

// Each new file beside its target, then the swaps, then the journal's mark
// that all are in. A failure undoes what was done; a file that cannot be
// put back stays under its backup name, with the journal, for the next
// start, and the failure says so.
void PutInPlace(FileSystem& fs, const std::string& safety, Journal journal) {
    std::size_t touched = 0;
    try {
        for (const JournalItem& item : journal.items) fs.CopyFile(journal.slotFolder + item.name, journal.Incoming(item));
        for (const JournalItem& item : journal.items) {
            ++touched; // a replace cut half-way has moved its target already
            if (item.existed)
                fs.ReplaceFile(journal.Target(item), journal.Incoming(item), journal.Backup(item));
            else
                fs.Rename(journal.Incoming(item), journal.Target(item));
        }
        journal.state = kRestored;
        WriteWhole(fs, JournalPath(safety), EncodeJournal(journal));
    } catch (const FileError& e) {
        std::vector<KeptCopy> leftAsSaved;
        try {
            leftAsSaved = SettleUndone(fs, safety, journal, Undo(fs, journal, safety, touched));
        } catch (const RollbackFailed& undo) {
            throw RollbackFailed(e, undo.Kept());
        } catch (const FileError&) {
            // Every file is back; only the store's own copies are left, and
            // the next start takes them away.
        }
        if (!leftAsSaved.empty()) throw RollbackFailed(e, leftAsSaved);
        throw;
    }
}

} // namespace

std::vector<KeptCopy> SettlePendingRestore(FileSystem& fs, const std::string& appFolder,
                                           const std::string& charFolder) {
    std::vector<KeptCopy> leftAsSaved = Settle(fs, SafetyFolderPath(appFolder, charFolder));
    const std::string legacy = LegacySafetyFolderPath(appFolder, charFolder);
    if (JournalNames(fs, legacy, charFolder)) {
        const std::vector<KeptCopy> more = Settle(fs, legacy);
        leftAsSaved.insert(leftAsSaved.end(), more.begin(), more.end());
    }
    return leftAsSaved;
}

std::vector<KeptCopy> RestoreFromSlot(FileSystem& fs, const std::string& appFolder, const std::string& slotFolder,
                                      const std::string& charFolder) {
    // A restore into this character that did not end comes first.
    std::vector<KeptCopy> leftAsSaved = SettlePendingRestore(fs, appFolder, charFolder);
    const std::string safety = SafetyFolderPath(appFolder, charFolder);
    const Planned plan = Plan(fs, slotFolder, charFolder);
    const Journal& journal = plan.journal;
    KeepSafetyCopy(fs, appFolder, safety, plan);
    PutInPlace(fs, safety, journal);
    // Every file is in, each old one under its backup name, and the safety
    // copy holds what KeepSafetyCopy put there: no folder needs listing.
    // What is left to do if a step fails, the next start does.
    Held held{journal.leftovers, {kSafetyNoteName, kJournalName}};
    for (const JournalItem& item : journal.items)
        if (item.existed) held.charFolder.push_back(BackupName(item.name, journal.suffix));
    for (const LeftoverCopy& leftover : plan.leftovers) held.safety.push_back(leftover.as);
    Attempt([&] {
        Finish(fs, journal, safety, &held);
        DropAside(fs, safety);
        fs.RemoveFile(JournalPath(safety));
    });
    return leftAsSaved;
}

void SettleRestores(FileSystem& fs, const std::string& appFolder, RepairReport& report) {
    const std::string root = SafetyRoot(appFolder);
    const std::string staging = root + kStagingSuffix;
    Attempt([&] { RemoveTreeIfThere(fs, staging); });
    if (!FolderExists(fs, root)) return;
    auto folders = [&](const std::string& folder) {
        std::vector<std::string> paths;
        try {
            for (const std::string& name : Entries(fs, folder)) {
                const std::string path = folder + "\\" + name;
                if (IsRealFolder(fs, path)) paths.push_back(path);
            }
        } catch (const FileError&) {
            // Not listed now: it waits for the next start.
        }
        return paths;
    };
    for (const std::string& account : folders(root)) {
        for (const std::string& shard : folders(account)) {
            // A safety copy aside is settled with the character's own.
            std::vector<std::string> characters;
            for (std::string character : folders(shard)) {
                if (character.ends_with(kBackupSuffix))
                    character.resize(character.size() - std::string_view(kBackupSuffix).size());
                if (std::find(characters.begin(), characters.end(), character) == characters.end())
                    characters.push_back(character);
            }
            for (const std::string& character : characters) {
                try {
                    const std::vector<KeptCopy> kept = Settle(fs, character);
                    report.leftAsSaved.insert(report.leftAsSaved.end(), kept.begin(), kept.end());
                } catch (const RollbackFailed& e) {
                    report.waiting.insert(report.waiting.end(), e.Kept().begin(), e.Kept().end());
                }
            }
            PruneUp(fs, root, shard);
        }
        PruneUp(fs, root, account);
    }
    PruneUp(fs, root, root);
    // The trash of a settled copy that could not be removed at once.
    Attempt([&] { RemoveTreeIfThere(fs, staging); });
}

} // namespace telk
