// Restore into a character folder: the order of the steps. The folder is
// the client's and is never renamed, so each file is staged beside its
// target and swapped in with ReplaceFile, which keeps the previous file:
// straight in the new generation's staging folder where store and client
// share a volume, beside the target until every file is in where they do
// not. Before anything of the client's changes, the journal names the
// generation and what the restore puts in, so that the next start can
// finish or roll back a restore the process did not live to end, comparing a
// file with what was put in, never with the slot as it is now. Nothing the
// client saved after a crash is put back over; no generation is ever
// removed or changed once whole (Generations.h).

#include "store/restore/Restore.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/ShownPath.h"
#include "store/SlotStore.h"
#include "store/WriteWhole.h"
#include "store/restore/Generations.h"
#include "store/restore/Journal.h"
#include "store/restore/Steps.h"

namespace telk {

namespace restore {

namespace {

// The journal in place before anything of the client's changes: the
// safety folder and its note as far as they are missing, the journal,
// then the generation's staging folder with the leftovers' bytes. Answers
// the safety folder's entries as they were. A failure takes back what was
// done, or leaves it to the next start.
std::vector<std::string> Begin(FileSystem& fs, const std::string& appFolder, const std::string& safety,
                               const std::optional<std::string>& note, const SafetySeen& seen, Journal& journal,
                               const std::string& now, const NoteWording& wording, GenerationAction action) {
    std::vector<std::string> entries;
    try {
        // The root, the account and the shard, as far as they are missing.
        const std::string root = SafetyRoot(appFolder);
        for (std::size_t sep = root.size(); !seen.entries && !fs.CanEnterFolder(safety); sep = safety.find('\\', sep + 1)) {
            const std::string folder = safety.substr(0, sep);
            if (!fs.CanEnterFolder(folder)) fs.CreateFolder(folder);
            if (sep == std::string::npos) break;
        }
        // Before anything the start would have to settle is there.
        MarkChanged(fs, root, safety);
        // Settling's look, unless settling changed what it saw.
        entries = seen.entries ? *seen.entries : Entries(fs, safety);
        const std::string notePath = safety + "\\" + kSafetyNoteName;
        // Settling may have taken an empty safety folder away, note and all.
        if (!Holds(entries, kSafetyNoteName))
            // The folder as Explorer shows it: "Desktop" as the client made it.
            WriteWhole(fs, notePath, SafetyNote(WithTrailingSeparator(PathAsShown(fs, journal.charFolder)), wording.now));
        else if (const auto reworded = note ? Reworded(*note, wording.before, wording.now) : std::nullopt)
            WriteWhole(fs, notePath, *reworded);
        journal.generation = FreeGenerationName(entries, now);
        journal.backupsInGeneration = fs.SameVolume(WithoutTrailingSeparators(journal.charFolder), safety);
        // What wrote it first: cut off after, a line naming no folder is
        // all it leaves, and the order record stays as it was.
        action.generation = journal.generation;
        RecordAction(fs, safety, entries, std::move(action));
        RecordWritten(fs, safety, entries, WrittenOf(journal));
        WriteWhole(fs, JournalPath(safety), EncodeJournal(journal));
    } catch (const FileError&) {
        // Nothing of the client's has changed: the failure is what the
        // player hears of.
        FailureOf([&] {
            if (!journal.generation.empty()) ForgetWritten(fs, safety, journal.generation);
            DropIfEmpty(fs, safety);
        });
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
            ForgetWritten(fs, safety, journal.generation);
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
        for (const JournalItem& item : journal.items)
            if (!item.takenAway) fs.CopyFile(journal.Source(item), journal.Incoming(item));
        bool replaced = false;
        for (const JournalItem& item : journal.items) {
            if (!item.existed) {
                fs.Rename(journal.Incoming(item), journal.Target(item));
                continue;
            }
            // A file an undo takes away goes where a replaced one's backup goes.
            auto replace = [&] {
                if (item.takenAway)
                    fs.Rename(journal.Target(item), paths.Backup(item));
                else
                    fs.ReplaceFile(journal.Target(item), journal.Incoming(item), paths.Backup(item));
            };
            try {
                replace();
            } catch (const FileError& e) {
                // Two file systems that answered as one volume (Wine gives
                // every tmpfs the same serial): before any file is
                // replaced, the previous files go beside their targets
                // instead, and the journal says so first.
                if (e.Cause() != FileCause::OtherVolume || !journal.backupsInGeneration || replaced) throw;
                journal.backupsInGeneration = false;
                WriteWhole(fs, JournalPath(paths.safety), EncodeJournal(journal));
                replace();
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
            listed = Listings::Of(fs, paths);
        } catch (const FileError&) {
            throw RollbackFailed(e, PreviousFiles(fs, paths));
        }
        try {
            RollBack(fs, paths, listed);
        } catch (const RollbackFailed& rollBack) {
            throw RollbackFailed(e, rollBack.Kept());
        } catch (const FileError&) {
            // Every file is back; only the store's own copies are left,
            // and the next start takes them away.
        }
        throw;
    }
}

} // namespace

void PutInWithJournal(FileSystem& fs, const std::string& appFolder, const std::string& safety,
                      const std::optional<std::string>& note, const SafetySeen& seen, Journal& journal,
                      const std::string& now, const NoteWording& wording, const GenerationAction& action) {
    const std::vector<std::string> entries = Begin(fs, appFolder, safety, note, seen, journal, now, wording, action);
    const RestorePaths paths{journal, safety};
    PutInPlace(fs, journal, paths);
    try {
        Finish(fs, paths, Listings::AllIn(journal, entries));
        fs.RemoveFile(JournalPath(safety));
    } catch (const FileError& e) {
        // What is left to do, the next start does; the player hears of it
        // now unless the generation is whole.
        if (!IsFolderNotLink(fs, paths.Generation())) throw PreviousFilesWait(e, PreviousFiles(fs, paths), false);
    }
}

} // namespace restore

using namespace restore;

void RestoreFromSlot(FileSystem& fs, const std::string& appFolder, const std::string& slotFolder,
                     const std::string& charFolder, const std::string& now, const NoteWording& wording,
                     const std::string& slotName) {
    // A restore into this character that did not end comes first.
    std::optional<std::string> note;
    SafetySeen seen;
    const std::string safety = SettlePendingRestore(fs, appFolder, charFolder, &note, &seen);
    Journal journal;
    journal.charFolder = charFolder;
    journal.sourceFolder = slotFolder;
    for (const char* name : kCharFiles) journal.items.push_back({name});
    if (Holds(FilesIn(fs, slotFolder), kOptionalCharFile)) journal.items.push_back({kOptionalCharFile});
    Prepare(fs, journal);
    GenerationAction action{.slotName = slotName};
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (SameCharFolder(slotFolder, SlotFolderPath(appFolder, slot))) action.slot = slot;
    PutInWithJournal(fs, appFolder, safety, note, seen, journal, now, wording, action);
}

} // namespace telk
