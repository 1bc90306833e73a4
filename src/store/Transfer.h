// Back-up of a character's files into a slot, all or nothing (whatever
// fails, the slot keeps what it held and no temporary folder stays
// behind), and the start's repair of the slot store. The restore, which
// keeps the same promises for the character folder, is in Restore.h.
#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/TextCodec.h"
#include "store/TransferReport.h"

namespace telk {

// Copies the four character files (and "uo.cfg" when charFolder lists one)
// into slotFolder, with a DATA.INI of dateLine and name. A restore into
// the character that has not ended is settled first; one that put every
// file in and only waits to keep the previous files is no reason to stop.
// The folders end in "\". Throws FileError, naming the file that failed;
// the slot is then as it was, or RollbackFailed says where what could not
// be settled waits; LinkedSlot before anything changes.
void BackUpToSlot(FileSystem& fs, TextCodec& codec, const std::string& appFolder,
                                   const std::string& charFolder, const std::string& slotFolder,
                                   const std::string& dateLine, const std::string& name);

// At start-up, before missing slot folders are made: settles every slot
// swap and every restore that a crash cut off, and removes unfinished
// staging folders. Never throws; what it cannot settle now waits intact
// for the next start, and the report says where.
RepairReport RepairSlotStore(FileSystem& fs, const std::string& appFolder);

// Whether a missing slot folder may be made anew: not while its previous
// contents wait to be put back.
bool SlotAwaitsRepair(FileSystem& fs, const std::string& slotFolder);

} // namespace telk
