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

// A file that a failed transfer could not put back, or that the repair
// left as the client saved it, and where its previous contents wait
// (empty: it was not there before).
struct KeptCopy {
    std::string file;
    std::string copy;
};

// A slot folder that is a link: a back-up would have to rename it, and
// the link would stop being one. Nothing has changed.
class LinkedSlot : public FileError {
public:
    explicit LinkedSlot(const std::string& slot);
};

// The failure, and what could not be undone after it.
class RollbackFailed : public FileError {
public:
    RollbackFailed(const FileError& cause, std::vector<KeptCopy> kept);
    const std::vector<KeptCopy>& Kept() const { return kept_; }

private:
    std::vector<KeptCopy> kept_;
};

// Copies the four character files (and "uo.cfg" when charFolder lists one)
// into slotFolder, with a DATA.INI of dateLine and name. A restore into
// the character that has not ended is settled first. The folders end in
// "\". Answers the files that settling left as the client saved them.
// Throws FileError, naming the file that failed; the slot is then as it
// was, or RollbackFailed says where what could not be settled waits;
// LinkedSlot before anything changes.
std::vector<KeptCopy> BackUpToSlot(FileSystem& fs, TextCodec& codec, const std::string& appFolder,
                                   const std::string& charFolder, const std::string& slotFolder,
                                   const std::string& dateLine, const std::string& name);

// What the start could not settle, and what it settled otherwise than
// the crashed run meant.
struct RepairReport {
    std::vector<KeptCopy> waiting;     // still as the crash left it
    std::vector<KeptCopy> leftAsSaved; // changed since; kept, not put back
    std::vector<KeptCopy> undecided;   // a slot and its old self, neither whole
};

// At start-up, before missing slot folders are made: settles every slot
// swap and every restore that a crash cut off, and removes unfinished
// staging folders. Never throws; what it cannot settle now waits intact
// for the next start, and the report says where.
RepairReport RepairSlotStore(FileSystem& fs, const std::string& appFolder);

// Whether a missing slot folder may be made anew: not while its previous
// contents wait to be put back.
bool SlotAwaitsRepair(FileSystem& fs, const std::string& slotFolder);

} // namespace telk
