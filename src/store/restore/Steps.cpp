// The steps a restore's forward path (Restore.cpp), its recovery
// (Recovery.cpp) and the undo (UndoRestore.cpp) share: what a restore is
// about to change, the roll-back of one cut off before every file was in,
// and the finish of one that got them all in.

#include "store/restore/Steps.h"

#include <algorithm>
#include <optional>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/restore/Generations.h"
#include "store/restore/SafetyFolder.h"

namespace telk::restore {

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
    if (!IsFolderNotLink(fs, WithoutTrailingSeparators(journal.sourceFolder)) ||
        !Holds(FilesIn(fs, journal.sourceFolder), item.name))
        return false;
    return fs.ReadFile(journal.Target(item)) == fs.ReadFile(slotCopy);
}

// Puts back what the restore changed, as long as the client has not
// changed it since: a replaced file returns from its backup while the
// target is gone or still what the restore put in; a file the restore
// added goes while it is what the restore put in. Answers the files that
// changed since, their backups still there. Throws RollbackFailed naming
// what is not back; every step may run again.
std::vector<JournalItem> RollBackFiles(FileSystem& fs, const RestorePaths& paths, const Listings& listed) {
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

// After a roll-back. With every file back, the staging folder (only the
// leftovers' copies) and the journal go. A file the client changed since
// stays as it is: its previous bytes make the restore's generation, the
// journal ends as if the restore had, and the files wait in the store's
// record until the player has been told of them.
void SettleRolledBack(FileSystem& fs, const RestorePaths& paths, const std::vector<JournalItem>& changedSince) {
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

void RollBack(FileSystem& fs, const RestorePaths& paths, const Listings& listed) {
    SettleRolledBack(fs, paths, RollBackFiles(fs, paths, listed));
}

namespace {

int FreeSuffix(const std::vector<std::string>& present) {
    for (int n = 1;; ++n) {
        bool taken = false;
        for (const std::string& name : CharFileNames())
            taken = taken || Holds(present, IncomingName(name, n)) || Holds(present, BackupName(name, n));
        if (!taken) return n;
    }
}

} // namespace

std::vector<std::pair<std::string, std::string>> StrayBackups(const std::vector<std::string>& present) {
    std::vector<std::pair<std::string, std::string>> strays;
    for (const std::string& name : CharFileNames()) {
        if (Holds(present, name)) continue;
        std::optional<std::string> backup; // the plain name first, then the lowest number
        for (const std::string& entry : present)
            if (IsNumbered(entry, name + kBackupSuffix) &&
                (!backup || entry.size() < backup->size() || (entry.size() == backup->size() && entry < *backup)))
                backup = entry;
        if (backup) strays.emplace_back(name, *backup);
    }
    return strays;
}

// What the restore will change, once every target has passed the check:
// nothing of the client's changes before, but a backup whose file is
// missing, which is the player's file itself (an interrupted run could not
// put it back) and goes back into place.
void Prepare(FileSystem& fs, Journal& journal) {
    journal.state = kRestoring;
    for (const JournalItem& item : journal.items) fs.CheckReplaceable(journal.Target(item));
    std::vector<std::string> present = Entries(fs, WithoutTrailingSeparators(journal.charFolder));
    for (const auto& [name, backup] : StrayBackups(present)) {
        fs.Rename(journal.charFolder + backup, journal.charFolder + name);
        std::erase(present, backup);
        present.push_back(name);
    }
    for (JournalItem& item : journal.items) {
        if (item.takenAway) continue;
        item.existed = Holds(present, item.name);
        item.written = fs.Digest(journal.Source(item));
    }
    for (const std::string& entry : present)
        if (IsLeftoverName(entry)) journal.leftovers.push_back(entry);
    journal.suffix = FreeSuffix(present);
}

} // namespace telk::restore
