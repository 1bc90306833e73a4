// The failures a transfer throws when it could not undo everything: each
// carries the files that wait and where their previous contents are.

#include "store/TransferReport.h"

#include <utility>

namespace telk {

RollbackFailed::RollbackFailed(const FileError& cause, std::vector<KeptCopy> kept)
    : FileError(cause), kept_(std::move(kept)) {}

ForeignJournal::ForeignJournal(const std::string& journal)
    : FileError("settle", journal, "", 0, FileCause::Other) {}

LinkedSlot::LinkedSlot(const std::string& slot) : FileError("back up", slot, "", 0, FileCause::Other) {}

} // namespace telk
