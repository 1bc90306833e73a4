// Restore of a slot into a character folder: the forward path. What a
// restore that did not end leaves is settled by Recovery.h.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/TransferReport.h"
#include "store/restore/Recovery.h"
#include "store/restore/SafetyFolder.h"
#include "store/restore/Steps.h"

namespace telk {

// Keeps the character's files that the restore replaces in a new
// generation of its safety folder, and copies the four character files
// (and "uo.cfg" when the slot lists one) from slotFolder into charFolder.
// A restore into the character that has not ended is settled first.
// Throws FileError, naming the file that failed; the character folder is
// then as it was, or RollbackFailed says which files wait where;
// PreviousFilesWait when every file is in but the generation is not whole.
// appFolder ends in "\"; now (Clock::Now()) names the generation;
// wording.now explains the safety folder in the note a first restore
// leaves there, and replaces wording.before in a note that holds it.
struct NoteWording {
    template <std::size_t N>
    NoteWording(const char* const (&lines)[N]) : now(lines) {}
    NoteWording(std::span<const char* const> lines, std::span<const char* const> earlier) : now(lines), before(earlier) {}
    std::span<const char* const> now;
    std::span<const char* const> before;
};
// slotName: the slot's name as its row shows it, kept with the generation
// for the undo window.
void RestoreFromSlot(FileSystem& fs, const std::string& appFolder, const std::string& slotFolder,
                     const std::string& charFolder, const std::string& now, const NoteWording& wording,
                     const std::string& slotName = "");

namespace restore {

// The forward path of a prepared journal into its character folder: the
// journal and the generation's staging folder, every file in, then the
// generation whole (RestoreFromSlot's throws). note: the safety folder's
// note as FindSafetyFolder read it; seen: its entries as settling left them;
// action: what writes the generation, for restore.actions.
void PutInWithJournal(FileSystem& fs, const std::string& appFolder, const std::string& safety,
                      const std::optional<std::string>& note, const SafetySeen& seen, Journal& journal,
                      const std::string& now, const NoteWording& wording, const GenerationAction& action);

} // namespace restore

} // namespace telk
