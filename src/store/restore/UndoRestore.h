// Undoing a restore: the character folder as it was just before the
// restore that wrote a generation, put back through the same journaled,
// all-or-nothing path as a restore (Restore.h). What the folder holds
// when the undo starts becomes a new generation, so an undo can itself be
// undone; the generations it reads stay as they are.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/restore/Restore.h"

namespace telk {

// One row the undo window lists.
struct UndoPoint {
    std::string generation;         // the generation's folder name; empty: an older copy's files straight in the safety folder
    std::vector<std::string> files; // the character files going back puts back (chardata.mul, desktop.uos, macros.txt, skillgrp.mul, uo.cfg order)
    std::vector<std::string> takenAway = {}; // those it takes away, kept in the undo's own generation
    std::optional<GenerationAction> action = std::nullopt; // what wrote the generation, where recorded
};

// Whether ListUndoPoints would list a row for charFolder, without settling
// anything (for enabling a menu item; cheap). Never throws: true when it
// cannot be told, so that the window opens and says why.
bool HasUndoPoints(FileSystem& fs, const std::string& appFolder, const std::string& charFolder);

// The chosen row's safety copy is no longer there (removed after the
// window listed it): nothing was changed. Path() is where it was.
class UndoPointGone : public FileError {
public:
    explicit UndoPointGone(const std::string& where);
};

// Settles a waiting restore of charFolder first (SettlePendingRestore, as
// before a restore; throws as it does), then: one row per complete
// generation, the last written first (restore.order, never the clock; those
// it does not name after them, by name), then one row for an older copy's
// files straight in the safety folder when its note names charFolder. The layout before the digits (no "~hex") is never listed.
// Throws FileError when the safety folder or a generation cannot be listed.
std::vector<UndoPoint> ListUndoPoints(FileSystem& fs, const std::string& appFolder, const std::string& charFolder);

// Puts charFolder back as it was just before the restore that wrote point;
// from a generation restore.order does not name, only the files it holds,
// since no record says what came after it. Answers the character files
// (their names, spelled as kCharFiles and kOptionalCharFile spell them)
// that stayed as they were because a generation without its record could
// not tell (for a message box). Throws exactly as RestoreFromSlot does
// (FileError naming the file, RollbackFailed, PreviousFilesWait), the
// character folder and every generation as they were on failure; a point
// that is no longer there is UndoPointGone.
std::vector<std::string> UndoRestore(FileSystem& fs, const std::string& appFolder, const std::string& charFolder,
                                     const UndoPoint& point, const std::string& now, const NoteWording& wording);

} // namespace telk
