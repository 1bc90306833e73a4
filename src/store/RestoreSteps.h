// The parts of a restore that its forward path (Restore.cpp) and its
// recovery (RestoreRecovery.cpp) share: where a restore's files lie, what
// the folders hold, and the steps that finish or undo a restore.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "store/Generations.h"
#include "store/RestoreJournal.h"
#include "store/RestoreRecovery.h"
#include "store/TransferReport.h"

namespace telk {
struct NoteWording;
}

namespace telk::restore {

inline std::string JournalPath(const std::string& safety) {
    return safety + "\\" + kJournalName;
}

// Where the parts of one restore lie.
struct RestorePaths {
    const Journal& journal;
    std::string safety;
    // Whether the journal's source folder may be read: the store's own
    // slot folder, or for an undo this safety folder. A record copied in
    // from elsewhere may name any folder, a network share's too.
    bool sourceReadable = true;

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

    // As the disk has them now.
    static Listings Of(FileSystem& fs, const RestorePaths& paths);
    // As a restore that has just put every file in left them, the safety
    // folder having held safetyBefore: what listing would answer, without
    // its cost.
    static Listings AllIn(const Journal& journal, const std::vector<std::string>& safetyBefore);
};


// The generation's line in the record: the files the restore adds.
inline WrittenGeneration WrittenOf(const Journal& journal) {
    WrittenGeneration written{journal.generation, {}};
    for (const JournalItem& item : journal.items)
        if (!item.existed) written.added.push_back(item.name);
    return written;
}

// Where each file the restore touched has its previous contents now, as
// far as the folders tell; reachable false: the character folder cannot
// be looked into, and a backup beside a target is there if the restore
// got to that file.
std::vector<KeptCopy> PreviousFiles(FileSystem& fs, const RestorePaths& paths, bool reachable = true);

// A safety folder left with nothing but its note goes, and with it each
// of the levels above it that is left empty (4: the character's, the
// shard's, the account's, BeforeRestore). Never throws.
void DropIfEmpty(FileSystem& fs, std::string folder, int levels = 4);

// Every file is in: the previous files and the leftovers' bytes complete
// the generation, which then takes its own name; what is left beside the
// targets goes. Throws FileError; every step may run again.
void Finish(FileSystem& fs, const RestorePaths& paths, const Listings& listed);

// Puts back what the restore changed, as long as the client has not
// changed it since, then lets the journal go. Throws RollbackFailed
// naming what is not back; FileError when only the store's own copies
// are left.
void Undo(FileSystem& fs, const RestorePaths& paths, const Listings& listed);

// The backup beside each character file that is missing (name, backup):
// the player's file itself, which an interrupted run could not put back.
std::vector<std::pair<std::string, std::string>> StrayBackups(const std::vector<std::string>& present);

// Completes a journal whose items name what goes where (the state, what
// existed, what each file put in holds, the leftovers, the temporary
// names' number) once every target has passed the check; a stray backup
// goes back into place first, nothing else of the client's changes.
// Throws FileError.
void Prepare(FileSystem& fs, Journal& journal);

// The forward path of a prepared journal into its character folder: the
// journal and the generation's staging folder, every file in, then the
// generation whole (RestoreFromSlot's throws). note: the safety folder's
// note as FindSafetyFolder read it; seen: its entries as settling left them.
void PutInWithJournal(FileSystem& fs, const std::string& appFolder, const std::string& safety,
                      const std::optional<std::string>& note, const SafetySeen& seen, Journal& journal,
                      const std::string& now, const NoteWording& wording);

} // namespace telk::restore
