// The start's look at the safety folders: what restores that did not end
// left is settled where it is the program's, and what is the player's is
// left alone and told once.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "store/TransferReport.h"

namespace telk {

// Finishes or rolls back every restore whose journal is still in the
// safety folders a restore changed since the last start (every one, when
// the record of them is missing), tidies what interrupted runs left there,
// and prunes each settled character's generations: before this run has
// written any, and never while a journal waits. Never throws; adds to
// report what waits, what is left as the client saved it, and what is
// the player's and left alone.
void SettleRestores(FileSystem& fs, const std::string& appFolder, RepairReport& report);

} // namespace telk
