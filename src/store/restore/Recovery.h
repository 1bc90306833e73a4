// Settling what a restore that did not end left: before anything else
// reads or writes the character, and at every start for every character.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/TransferReport.h"
#include "store/restore/Generations.h"
#include "store/restore/Steps.h"

namespace telk {

// Finishes or rolls back a restore into charFolder that has not ended,
// before anything else reads or writes the character. Throws
// RollbackFailed, naming what waits where, while it cannot be settled;
// PreviousFilesWait (pending) when the restore had put every file in and
// only its previous files wait beside them; ForeignJournal, nothing
// changed, when the character's safety folder holds a journal naming
// another folder. Answers the character's safety folder
// (FindSafetyFolder), and in note the bytes of its note, as they were
// before settling; in seen, the folder's entries when settling left them
// as listed.
std::string SettlePendingRestore(FileSystem& fs, const std::string& appFolder, const std::string& charFolder,
                                 std::optional<std::string>* note = nullptr, restore::SafetySeen* seen = nullptr);

// The files that settling a restore into charFolder left as the client
// saved them, with where their previous contents are: kept in the store
// until ForgetUntold says the player has been told. Never throw.
std::vector<KeptCopy> UntoldKept(FileSystem& fs, const std::string& appFolder, const std::string& charFolder);
void ForgetUntold(FileSystem& fs, const std::string& appFolder, const std::string& charFolder);
// The same for every character a start's report told of.
void ForgetUntold(FileSystem& fs, const RepairReport& told);

namespace restore {

// A journal in safety was left by a restore that did not end: finish or
// roll it back, then let it go. Whether it is there comes from the
// listing; one that is there but cannot be read waits, and so does
// everything while the character folder cannot be reached. Only a journal
// that names owner, the character folder safety belongs to, is acted on:
// one naming another folder throws ForeignJournal, nothing changed.
// Throws RollbackFailed naming what waits where, PreviousFilesWait when
// every file is in; false when tidying (tidy, none: not at all) left
// something for next time. seen: the folder's entries as a look-up just
// listed them (none: it is not there), and afterwards as they are still,
// unless settling changed them (then none, to be listed again).
bool Settle(FileSystem& fs, const std::string& appFolder, const std::string& safety, const std::string& owner,
            std::optional<Tidy> tidy = Tidy::Quick, std::optional<std::vector<std::string>>* seen = nullptr);

} // namespace restore

} // namespace telk
