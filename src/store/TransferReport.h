// What a back-up, a restore or the start's repair could not settle, and
// where the player's files wait meanwhile.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/FileError.h"

namespace telk {

// A file that a failed transfer could not put back, or that the repair
// left as the client saved it, and where its previous contents wait
// (empty: it was not there before).
struct KeptCopy {
    enum class Kind {
        PreviousInCopy,
        PreviousInCopyIfReplaced, // the folder could not be looked into: there if the restore got to the file
        Journal,                  // file is a restore's journal: left as it is, and everything with it
        Unreadable,               // file is a record that cannot be read now: whose it is waits with it
    };
    std::string file;
    std::string copy;
    Kind kind = Kind::PreviousInCopy;
};

// A slot folder (file) and its previous self under the ".old" name (copy),
// neither of which holds a whole slot.
using SlotAndRetired = KeptCopy;

// A slot folder that is a link: a back-up would have to rename it, and
// the link would stop being one. Nothing has changed.
class LinkedSlot : public FileError {
public:
    explicit LinkedSlot(const std::string& slot);
};

// A journal in the character's own safety folder that names another
// folder: not this character's to settle, and no action on the character
// may go on past it. Nothing has changed.
class ForeignJournal : public FileError {
public:
    explicit ForeignJournal(const std::string& journal);
};

// The failure, and what could not be undone after it.
class RollbackFailed : public FileError {
public:
    RollbackFailed(const FileError& cause, std::vector<KeptCopy> kept);
    const std::vector<KeptCopy>& Kept() const { return kept_; }

private:
    std::vector<KeptCopy> kept_;
};

// The restore put every file in, but the previous files are not all in
// the generation: Kept() says where each waits until the next start
// moves it. pending: an earlier restore's, and this one did not start.
class PreviousFilesWait : public RollbackFailed {
public:
    PreviousFilesWait(const FileError& cause, std::vector<KeptCopy> kept, bool pending)
        : RollbackFailed(cause, std::move(kept)), pending_(pending) {}
    bool Pending() const { return pending_; }

private:
    bool pending_;
};

// What the start could not settle, and what it settled otherwise than
// the crashed run meant.
struct RepairReport {
    std::vector<KeptCopy> waiting;         // still as the crash left it
    std::vector<KeptCopy> leftAsSaved;     // changed since; kept, not put back
    std::vector<SlotAndRetired> undecided; // neither whole: the player chooses
    std::vector<std::string> untold;       // safety folders whose leftAsSaved this report tells
    std::vector<std::string> notOurs;      // folders with a journal or generations the program leaves alone
};

} // namespace telk
