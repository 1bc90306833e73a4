// Restore of a slot into a character folder, and its side of start-up
// repair.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/SafetyFolder.h"
#include "store/TransferReport.h"

namespace telk {

// Keeps the character's files that the restore replaces in a new
// generation of its safety folder, and copies the four character files
// (and "uo.cfg" when the slot lists one) from slotFolder into charFolder.
// A restore into the character that has not ended is settled first.
// Throws FileError, naming the file that failed; the character folder is
// then as it was, or RollbackFailed says which files wait where;
// PreviousFilesWait when every file is in but the generation is not whole.
// appFolder ends in "\"; now (Clock::Now()) names the generation;
// noteLines explain the safety folder in the note a first restore leaves there.
void RestoreFromSlot(FileSystem& fs, const std::string& appFolder, const std::string& slotFolder,
                     const std::string& charFolder, const std::string& now, std::span<const char* const> noteLines);

// Finishes or undoes a restore into charFolder that has not ended, before
// anything else reads or writes the character. Throws RollbackFailed,
// naming what waits where, while it cannot be settled; PreviousFilesWait
// (pending) when the restore had put every file in and only its previous
// files wait beside them.
void SettlePendingRestore(FileSystem& fs, const std::string& appFolder, const std::string& charFolder);

// The files that settling a restore into charFolder left as the client
// saved them, with where their previous contents are: kept in the store
// until ForgetUntold says the player has been told. Never throw.
std::vector<KeptCopy> UntoldKept(FileSystem& fs, const std::string& appFolder, const std::string& charFolder);
void ForgetUntold(FileSystem& fs, const std::string& appFolder, const std::string& charFolder);
// The same for every character a start's report told of.
void ForgetUntold(FileSystem& fs, const RepairReport& told);

// Finishes or undoes every restore whose journal is still in the safety
// folders, tidies what interrupted runs left there, and prunes each
// settled character's generations: before this run has written any, and
// never while a journal waits. Never throws;
// adds to report what waits and what is left as the client saved it.
void SettleRestores(FileSystem& fs, const std::string& appFolder, RepairReport& report);

} // namespace telk
