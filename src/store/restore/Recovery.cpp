// The recovery of a restore: a journal left by one that did not end is
// settled, finishing or rolling it back, before anything else reads or
// writes the character; what the client saved since is never put back
// over, and what could not be settled is told. Only a journal that names
// the character folder its safety folder belongs to is acted on, and its
// source folder read only where it is the store's own.

#include "store/restore/Recovery.h"

#include <algorithm>
#include <optional>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/SlotStore.h"
#include "store/WriteWhole.h"
#include "store/restore/Generations.h"
#include "store/restore/SafetyFolder.h"
#include "store/restore/Steps.h"

namespace telk {

namespace restore {

namespace {

// Whether a journal's source folder is one the program reads: a slot of
// the store, or the safety folder itself (an undo's).
bool SourceReadable(const std::string& appFolder, const std::string& safety, const Journal& journal) {
    if (SameCharFolder(journal.sourceFolder, safety)) return true;
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (SameCharFolder(journal.sourceFolder, SlotFolderPath(appFolder, slot))) return true;
    return false;
}

} // namespace

bool Settle(FileSystem& fs, const std::string& appFolder, const std::string& safety, const std::string& owner,
            std::optional<Tidy> tidy, std::optional<std::vector<std::string>>* seen) {
    if (seen ? !*seen : !IsFolderNotLink(fs, safety)) return true;
    const std::string journalPath = JournalPath(safety);
    std::optional<Journal> journal;
    // A safety folder that cannot be listed tells nothing of a journal:
    // the failure is all there is to say.
    std::vector<std::string> entries = seen ? **seen : Entries(fs, safety);
    if (seen && (Holds(entries, kJournalName) || MayTidy(entries))) seen->reset();
    // Written whole or not at all: a file cut short never took its place.
    for (const char* name : {kJournalName, kUntoldName, kSafetyNoteName, kOrderName, kActionsName})
        if (Holds(entries, std::string(name) + kIncomingSuffix)) {
            FailureOf([&] { fs.RemoveFile(safety + "\\" + name + kIncomingSuffix); });
            if (seen) seen->reset();
        }
    try {
        // What it cannot tidy now harms nobody: every name holds a whole
        // file. It is tried again next time.
        if (!Holds(entries, kJournalName)) return !tidy || TidyGenerations(fs, safety, entries, *tidy);
        journal = DecodeJournal(fs.ReadFile(journalPath));
        // Written whole or not at all: bytes that are not a journal are
        // not the program's to act on, nor to throw away.
        if (!journal) throw FileError("read", journalPath, "", 0, FileCause::Other);
    } catch (const FileError& e) {
        throw RollbackFailed(e, {{journalPath, "", KeptCopy::Kind::Journal}});
    }
    if (!SameCharFolder(journal->charFolder, owner)) throw ForeignJournal(journalPath);
    const RestorePaths paths{*journal, safety, SourceReadable(appFolder, safety, *journal)};
    try {
        // An older copy's restore: its generation sorts below every other.
        const bool undated = journal->generation.empty() || journal->generation.starts_with(kUndatedGeneration);
        if (journal->generation.empty()) {
            journal->generation = FreeGenerationName(entries, kUndatedGeneration);
            WriteWhole(fs, journalPath, EncodeJournal(*journal));
        }
        Listings listed;
        try {
            listed = Listings::Of(fs, paths);
        } catch (const FileError& e) {
            std::vector<KeptCopy> waiting = {{journalPath, "", KeptCopy::Kind::Journal}};
            const std::vector<KeptCopy> previous = PreviousFiles(fs, paths, false);
            waiting.insert(waiting.end(), previous.begin(), previous.end());
            if (fs.CanEnterFolder(journal->charFolder)) throw RollbackFailed(e, waiting);
            throw RollbackFailed(FileError("open", journal->charFolder, "", 0, FileCause::FolderMissing), waiting);
        }
        if (journal->state == kRestored || Holds(listed.safety, journal->generation)) {
            // An earlier version's restore: its generation is the last
            // written, whatever its name says.
            if (!undated)
                FailureOf([&] {
                    const auto order = ReadOrder(fs, safety, listed.safety);
                    if (!order || std::none_of(order->begin(), order->end(),
                                               [&](const WrittenGeneration& g) { return g.name == journal->generation; }))
                        RecordWritten(fs, safety, listed.safety, WrittenOf(*journal));
                });
            try {
                Finish(fs, paths, listed);
            } catch (const FileError& e) {
                throw PreviousFilesWait(e, PreviousFiles(fs, paths), true);
            }
            fs.RemoveFile(journalPath);
            return true;
        }
        RollBack(fs, paths, listed);
        return true;
    } catch (const RollbackFailed&) {
        throw;
    } catch (const FileError& e) {
        std::vector<KeptCopy> waiting = PreviousFiles(fs, paths);
        waiting.insert(waiting.begin(), {journalPath, "", KeptCopy::Kind::Journal});
        throw RollbackFailed(e, waiting);
    }
}


} // namespace restore

using namespace restore;

namespace {

// Whether safety, a folder of the layout before the whole-path key, holds
// a journal that names charFolder: it may be another install's character
// of the same names. One that cannot be read cannot be told apart: it is
// settled too, and waits.
bool HoldsJournalOf(FileSystem& fs, const std::string& safety, const std::string& charFolder) {
    std::optional<Journal> journal;
    try {
        if (!IsFolderNotLink(fs, safety) || !Holds(Entries(fs, safety), kJournalName)) return false;
        journal = DecodeJournal(fs.ReadFile(JournalPath(safety)));
    } catch (const FileError&) {
        return true;
    }
    return !journal || SameCharFolder(journal->charFolder, charFolder);
}

} // namespace

std::string SettlePendingRestore(FileSystem& fs, const std::string& appFolder, const std::string& charFolder,
                                 std::optional<std::string>* note, SafetySeen* seen) {
    std::optional<std::vector<std::string>> entries;
    const std::string safety = FindSafetyFolder(fs, appFolder, charFolder, note, &entries);
    Settle(fs, appFolder, safety, charFolder, Tidy::Quick, &entries);
    // Settling may even take an emptied folder away: only what it left
    // alone is known.
    if (seen) seen->entries = std::move(entries);
    const std::string legacy = LegacySafetyFolderPath(appFolder, charFolder);
    if (!HoldsJournalOf(fs, legacy, charFolder)) return safety;
    // What settling leaves there untold, the next start tells.
    MarkChanged(fs, SafetyRoot(appFolder), legacy);
    Settle(fs, appFolder, legacy, charFolder);
    return safety;
}

std::vector<KeptCopy> UntoldKept(FileSystem& fs, const std::string& appFolder, const std::string& charFolder) {
    std::vector<KeptCopy> kept;
    FailureOf([&] { kept = ReadUntold(fs, FindSafetyFolder(fs, appFolder, charFolder)); });
    const std::vector<KeptCopy> legacy = ReadUntold(fs, LegacySafetyFolderPath(appFolder, charFolder));
    kept.insert(kept.end(), legacy.begin(), legacy.end());
    return kept;
}

void ForgetUntold(FileSystem& fs, const std::string& appFolder, const std::string& charFolder) {
    FailureOf([&] { ForgetUntold(fs, FindSafetyFolder(fs, appFolder, charFolder)); });
    ForgetUntold(fs, LegacySafetyFolderPath(appFolder, charFolder));
}

void ForgetUntold(FileSystem& fs, const RepairReport& told) {
    for (const std::string& safety : told.untold) ForgetUntold(fs, safety);
}

} // namespace telk
