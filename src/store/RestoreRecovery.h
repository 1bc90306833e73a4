// Settling what a restore that did not end left: before anything else
// reads or writes the character, and at every start for every character.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/TransferReport.h"

namespace telk {

// Finishes or undoes a restore into charFolder that has not ended, before
// anything else reads or writes the character. Throws RollbackFailed,
// naming what waits where, while it cannot be settled; PreviousFilesWait
// (pending) when the restore had put every file in and only its previous
// files wait beside them.
// Answers the character's safety folder (FindSafetyFolder), and in note
// the bytes of its note, as they were before settling; in seen, the
// folder's entries when settling left them as listed.
struct SafetySeen {
    std::optional<std::vector<std::string>> entries;
};
std::string SettlePendingRestore(FileSystem& fs, const std::string& appFolder, const std::string& charFolder,
                                 std::optional<std::string>* note = nullptr, SafetySeen* seen = nullptr);

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
