// How a failed file operation is put to the user.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "store/TransferReport.h"
#include "store/restore/UndoRestore.h"
#include "ui/Texts.h"

namespace telk::ui {

// What the player asked to change in the character's folder: a restore and
// an undo each speak of themselves.
enum class Change { Restore, Undo };

// How a path is shown in a message; none: as the program joined it.
using ShowPath = std::function<std::string(const std::string&)>;

// Each path as Explorer shows it, from what fs lists.
ShowPath AsExplorerShows(FileSystem& fs);

// The message box text for a file failure: what happened, the file, the
// system's reason, and a hint when the running client holds the file.
std::string FileFailureText(const FileError& error, const ShowPath& show = {});

// What the event dispatcher shows for a failure a handler let through: a
// file failure as above, anything else after a word that something failed.
std::string FailureText(const std::exception& error);

// The same, and then each file that could not be put back with the place
// where its previous contents wait.
std::string RollbackFailureText(const RollbackFailed& error, const ShowPath& show = {});

// A restore or an undo that put every file in but could not keep every
// previous file in the safety copy (pending: an earlier one's, found before
// this transfer), each file with where its previous contents wait;
// refused: the transfer was change's, which waits until then.
std::string PreviousFilesWaitText(const PreviousFilesWait& error, bool refused, Change change, const ShowPath& show = {});

// A back-up refused before anything changed, because the slot folder is a link.
std::string LinkedSlotText(const LinkedSlot& error, const ShowPath& show = {});

// An undo refused before anything changed: the chosen row's safety copy is gone.
std::string UndoPointGoneText(const UndoPointGone& error, const ShowPath& show = {});

// Files that settling an unfinished restore left as the client saved them,
// with where their previous contents are, on the way to change; empty
// when there are none.
std::string LeftAsSavedText(const std::vector<KeptCopy>& leftAsSaved, Change change, const ShowPath& show = {});

// What the start could not settle and what it left as the client saved
// it, told once; empty when everything was settled.
std::string RepairReportText(const RepairReport& report, const ShowPath& show = {});

} // namespace telk::ui
