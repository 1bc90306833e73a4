// Failures put into words from the pieces in ui/Texts.h, in the program's
// casual tone.

#include "ui/Messages.h"

#include "store/ShownPath.h"

namespace telk::ui {

namespace {

std::string Shown(const ShowPath& show, const std::string& path) {
    return show ? show(path) : path;
}

// A piece on a line of its own after text.
std::string Line(const std::string& piece) {
    return "\r\n" + piece;
}

} // namespace

ShowPath AsExplorerShows(FileSystem& fs) {
    return [&fs](const std::string& path) { return PathAsShown(fs, path); };
}

std::string FileFailureText(const FileError& error, const ShowPath& show) {
    if (dynamic_cast<const ForeignJournal*>(&error))
        return kForeignJournalText + Line(Shown(show, error.Path())) + Line(kForeignJournalAdvice);
    std::string text = kFileFailedText;
    if (!error.Path().empty()) text += Line(Shown(show, error.Path()));
    if (!error.SystemMessage().empty()) text += Line(error.SystemMessage());
    switch (error.Cause()) {
    // A sharing or access conflict is nearly always the running client.
    case FileCause::HeldOpen:
        return text + Line(kHeldOpenHint);
    // Rights or a read-only medium: no use waiting for the client.
    case FileCause::NoAccess:
        return text + Line(kNoAccessHint);
    case FileCause::DiskFull:
        return text + Line(kDiskFullHint);
    // Only a restore's settling looks for a folder that must be there: the character's.
    case FileCause::FolderMissing:
        return text + Line(kCharFolderMissingHint);
    case FileCause::Other:
    case FileCause::OtherVolume:
        break;
    }
    return text;
}

std::string FailureText(const std::exception& error) {
    if (const auto* file = dynamic_cast<const FileError*>(&error)) return FileFailureText(*file);
    return kFailedText + Line(error.what());
}

namespace {

// The file, then where its previous contents are, as far as it is known.
std::string KeptLines(const KeptCopy& kept, const ShowPath& show) {
    const std::string file = Line(Shown(show, kept.file));
    switch (kept.kind) {
    case KeptCopy::Kind::Journal:
        return file + Line(kKeptRecord);
    case KeptCopy::Kind::Unreadable:
        return file + Line(kKeptUnreadable);
    case KeptCopy::Kind::PreviousInCopyIfReplaced:
        return file + Line(kKeptHereIfReplaced) + Line(Shown(show, kept.copy));
    case KeptCopy::Kind::PreviousInCopy:
        break;
    }
    if (kept.copy.empty()) return file + Line(kKeptNothingBefore);
    return file + Line(kKeptHere) + Line(Shown(show, kept.copy));
}

} // namespace

std::string RollbackFailureText(const RollbackFailed& error, const ShowPath& show) {
    std::string text = FileFailureText(error, show);
    for (const KeptCopy& kept : error.Kept()) text += Line(kNotPutBack) + KeptLines(kept, show);
    return text;
}

std::string PreviousFilesWaitText(const PreviousFilesWait& error, bool refused, Change change, const ShowPath& show) {
    const bool undo = change == Change::Undo;
    const char* own = undo ? kUndoPreviousNotKept : kPreviousNotKept;
    std::string text = FileFailureText(error, show) + Line(error.Pending() ? kPreviousPending : own);
    for (const KeptCopy& kept : error.Kept()) text += KeptLines(kept, show);
    text += Line(kPreviousNextStart);
    if (refused) text += Line(undo ? kUndoPaused : kRestorePaused);
    return text;
}

std::string LinkedSlotText(const LinkedSlot& error, const ShowPath& show) {
    return kLinkedSlotText + Line(Shown(show, error.Path())) + Line(kLinkedSlotAdvice);
}

std::string UndoPointGoneText(const UndoPointGone& error, const ShowPath& show) {
    return kUndoPointGoneText + Line(Shown(show, error.Path())) + Line(kUndoPointGoneAdvice);
}

std::string LeftAsSavedText(const std::vector<KeptCopy>& leftAsSaved, Change change, const ShowPath& show) {
    if (leftAsSaved.empty()) return {};
    std::string text = change == Change::Undo ? kUndoLeftAsSavedText : kLeftAsSavedText;
    for (const KeptCopy& kept : leftAsSaved) text += KeptLines(kept, show);
    return text;
}

std::string RepairReportText(const RepairReport& report, const ShowPath& show) {
    std::string text;
    if (!report.waiting.empty()) {
        text = kRepairWaitingText;
        for (const KeptCopy& kept : report.waiting) text += KeptLines(kept, show);
        text += Line(kRepairNextStart);
    }
    for (const KeptCopy& pair : report.undecided) {
        text += (text.empty() ? "" : "\r\n\r\n") + std::string(kUndecidedSlotText) + Line(Shown(show, pair.file)) +
                Line(Shown(show, pair.copy)) + Line(kUndecidedSlotAdvice);
    }
    if (!report.notOurs.empty()) {
        text += (text.empty() ? "" : "\r\n\r\n") + std::string(kNotOursText);
        for (const std::string& folder : report.notOurs) text += Line(Shown(show, folder));
        text += Line(kNotOursAdvice);
    }
    const std::string saved = LeftAsSavedText(report.leftAsSaved, Change::Restore, show);
    if (!saved.empty()) text += (text.empty() ? "" : "\r\n\r\n") + saved;
    return text;
}

} // namespace telk::ui
