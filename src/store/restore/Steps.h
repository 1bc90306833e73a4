// The parts of a restore that its forward path (Restore.cpp), its
// recovery (Recovery.cpp) and the undo share: where a restore's files
// lie, what the folders hold, and the steps that finish a restore or roll
// it back.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "store/TransferReport.h"
#include "store/restore/Generations.h"
#include "store/restore/Journal.h"

namespace telk::restore {

// A safety folder's entries as a look-up or settling last listed them;
// none when it is not there, or settling changed it.
struct SafetySeen {
    std::optional<std::vector<std::string>> entries;
};

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

// Rolls back a restore cut off before every file was in: puts back what
// it changed, as long as the client has not changed it since, then lets
// the journal go. Throws RollbackFailed naming what is not back;
// FileError when only the store's own copies are left.
void RollBack(FileSystem& fs, const RestorePaths& paths, const Listings& listed);

// The backup beside each character file that is missing (name, backup):
// the player's file itself, which an interrupted run could not put back.
std::vector<std::pair<std::string, std::string>> StrayBackups(const std::vector<std::string>& present);

// Completes a journal whose items name what goes where (the state, what
// existed, what each file put in holds, the leftovers, the temporary
// names' number) once every target has passed the check; a stray backup
// goes back into place first, nothing else of the client's changes.
// Throws FileError.
void Prepare(FileSystem& fs, Journal& journal);

} // namespace telk::restore
