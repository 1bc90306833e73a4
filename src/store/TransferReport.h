// What a back-up, a restore or the start's repair could not settle, and
// where the player's files wait meanwhile.
#pragma once

#include <string>
#include <vector>

#include "platform/FileError.h"

namespace telk {

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

// What the start could not settle, and what it settled otherwise than
// the crashed run meant.
struct RepairReport {
    std::vector<KeptCopy> waiting;     // still as the crash left it
    std::vector<KeptCopy> leftAsSaved; // changed since; kept, not put back
    std::vector<KeptCopy> undecided;   // a slot and its old self, neither whole
};

} // namespace telk
