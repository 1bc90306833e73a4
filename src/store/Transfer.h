// Back-up of a character's files into a slot and restore of a slot into a
// character's folder, each all or nothing: whatever fails, both folders
// keep what they held, no temporary file or folder stays behind, and no
// step removes the program's last copy of a player's file.
#pragma once

#include <string>
#include <vector>

#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/TextCodec.h"

namespace telk {

// Beside a slot folder: the new slot while it is built, the previous one
// while the two are swapped.
inline constexpr const char* kStagingSuffix = ".new";
inline constexpr const char* kRetiredSuffix = ".old";
// Beside a character file while a restore replaces it; kBackupSuffix also
// beside a character's safety folder, for the copy it replaces.
inline constexpr const char* kIncomingSuffix = ".telk-new";
inline constexpr const char* kBackupSuffix = ".telk-old";
// In the slot store: the character's files as the last restore into it
// found them, under <account>\<shard>\<character>. Older copies of the
// program look at the slot folders 0 to 4 only.
inline constexpr const char* kSafetyFolderName = "BeforeRestore";
// In a character's safety folder while a restore changes the character.
inline constexpr const char* kJournalName = "restore.journal";

// A file that a failed transfer could not put back, and where its
// previous contents wait.
struct KeptCopy {
    std::string file;
    std::string copy;
};

// The failure, and what could not be undone after it.
class RollbackFailed : public FileError {
public:
    RollbackFailed(const FileError& cause, std::vector<KeptCopy> kept);
    const std::vector<KeptCopy>& Kept() const { return kept_; }

private:
    std::vector<KeptCopy> kept_;
};

// Copies the four character files (and "uo.cfg" when charFolder holds one)
// into slotFolder, with a DATA.INI of dateLine and name. Both folders end
// in "\". Throws FileError, naming the file that failed; the slot is then
// as it was, or RollbackFailed says where it waits.
void BackUpToSlot(FileSystem& fs, TextCodec& codec, const std::string& charFolder,
                  const std::string& slotFolder, const std::string& dateLine, const std::string& name);

// Keeps the character's current files in its safety folder, then copies
// the four character files (and "uo.cfg" when the slot holds one) from
// slotFolder into charFolder. Throws FileError, naming the file that
// failed; the character folder is then as it was, or RollbackFailed says
// which files wait where. appFolder ends in "\".
void RestoreFromSlot(FileSystem& fs, const std::string& appFolder, const std::string& slotFolder,
                     const std::string& charFolder);

// The safety folder of a character folder: AppFolder + "SETTINGS\" +
// kSafetyFolderName + "\<account>\<shard>\<character>", no trailing "\".
std::string SafetyFolderPath(const std::string& appFolder, const std::string& charFolder);

// At start-up, before missing slot folders are made: settles every slot
// swap and every restore that a crash cut off, and removes unfinished
// staging folders. Never throws; what it cannot settle now waits intact
// for the next start.
void RepairSlotStore(FileSystem& fs, const std::string& appFolder);

// Whether a missing slot folder may be made anew: not while its previous
// contents wait to be put back.
bool SlotAwaitsRepair(FileSystem& fs, const std::string& slotFolder);

} // namespace telk
