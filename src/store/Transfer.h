// Back-up of a character's files into a slot and restore of a slot into a
// character's folder, each all or nothing: whatever fails, both folders
// keep what they held and no temporary file or folder stays behind.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/TextCodec.h"

namespace telk {

// Beside a slot folder: the new slot while it is built, the previous one
// while the two are swapped.
inline constexpr const char* kStagingSuffix = ".new";
inline constexpr const char* kRetiredSuffix = ".old";
// Beside a character file while a restore replaces it.
inline constexpr const char* kIncomingSuffix = ".telk-new";
inline constexpr const char* kBackupSuffix = ".telk-old";

// Copies the four character files (and "uo.cfg" when charFolder holds one)
// into slotFolder, with a DATA.INI of dateLine and name. Both folders end
// in "\". Throws FileError, naming the file that failed; the slot is then
// as it was.
void BackUpToSlot(FileSystem& fs, TextCodec& codec, const std::string& charFolder,
                  const std::string& slotFolder, const std::string& dateLine, const std::string& name);

// Copies the four character files (and "uo.cfg" when the slot holds one)
// from slotFolder into charFolder. Throws FileError, naming the file that
// failed; the character folder is then as it was.
void RestoreFromSlot(FileSystem& fs, const std::string& slotFolder, const std::string& charFolder);

// At start-up, before missing slot folders are made: undoes a slot swap
// that was cut off between its two renames, finishes one cut off after
// them, and removes unfinished staging folders. Never throws.
void RepairSlotStore(FileSystem& fs, const std::string& appFolder);

} // namespace telk
