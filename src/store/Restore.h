// Restore of a slot into a character folder, and its side of start-up
// repair.
#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/SafetyFolder.h"
#include "store/TransferReport.h"

namespace telk {

// Keeps the character's current files in its safety folder, then copies
// the four character files (and "uo.cfg" when the slot lists one) from
// slotFolder into charFolder. A restore into the character that has not
// ended is settled first. Answers the files that settling left as the
// client saved them. Throws FileError, naming the file that failed; the
// character folder is then as it was, or RollbackFailed says which files
// wait where. appFolder ends in "\".
std::vector<KeptCopy> RestoreFromSlot(FileSystem& fs, const std::string& appFolder, const std::string& slotFolder,
                                      const std::string& charFolder);

// Finishes or undoes a restore into charFolder that has not ended, before
// anything else reads or writes the character. Answers the files left as
// the client saved them; throws RollbackFailed, naming what waits where,
// while it cannot be settled.
std::vector<KeptCopy> SettlePendingRestore(FileSystem& fs, const std::string& appFolder,
                                           const std::string& charFolder);

// Finishes or undoes every restore whose journal is still in the safety
// folders, and removes an unfinished safety copy. Never throws; adds to
// report what waits and what it left as the client saved it.
void SettleRestores(FileSystem& fs, const std::string& appFolder, RepairReport& report);

} // namespace telk
