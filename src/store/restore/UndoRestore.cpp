// Undoing a restore. Each character file goes back to what the earliest
// generation from the chosen one on (the chosen one alone, when the
// record does not name it) says of it: the copy that generation
// kept, or, where its restore added the file, no file. The folder as it is
// becomes a new generation through the restore's own journaled steps
// (Steps.h), so a crash anywhere is settled at the next start like
// a restore's, and the undo can itself be undone.

#include "store/restore/UndoRestore.h"

#include <algorithm>
#include <map>
#include <optional>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/restore/Generations.h"
#include "store/restore/Journal.h"
#include "store/restore/Recovery.h"
#include "store/restore/SafetyFolder.h"
#include "store/restore/Steps.h"

namespace telk {

using namespace restore;

namespace {

// The character files among a listing, in the order the window shows
// them and spelled as the program spells them.
std::vector<std::string> CharFilesAmong(const std::vector<std::string>& files) {
    std::vector<std::string> held;
    for (const std::string& name : CharFileNames())
        if (Holds(files, name)) held.push_back(name);
    return held;
}

// The complete generations of a safety folder whose listing is entries,
// the last written first.
std::vector<std::string> Generations(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries) {
    std::vector<std::string> names = GenerationsNewestFirst(fs, safety, entries);
    std::erase_if(names, [&](const std::string& name) { return !IsFolderNotLink(fs, safety + "\\" + name); });
    return names;
}

// The safety folder's entries: as a look-up or settling last saw them,
// else listed now; none when there is no such folder.
std::optional<std::vector<std::string>> EntriesOf(FileSystem& fs, const std::string& safety,
                                                  std::optional<std::vector<std::string>> seen) {
    if (seen || !IsFolderNotLink(fs, safety)) return seen;
    return Entries(fs, safety);
}

std::vector<UndoPoint> PointsIn(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries,
                                bool noteNamesCharFolder) {
    std::vector<UndoPoint> points;
    for (const std::string& generation : Generations(fs, safety, entries))
        points.push_back({generation, CharFilesAmong(FilesIn(fs, safety + "\\" + generation + "\\"))});
    // Only the note tells that an older copy's files are this folder's.
    if (noteNamesCharFolder) {
        const std::vector<std::string> older = CharFilesAmong(FilesIn(fs, safety + "\\"));
        if (!older.empty()) points.push_back({"", older});
    }
    return points;
}

} // namespace

UndoPointGone::UndoPointGone(const std::string& where) : FileError("undo", where, "", 0, FileCause::Other) {}

bool HasUndoPoints(FileSystem& fs, const std::string& appFolder, const std::string& charFolder) {
    try {
        std::optional<std::string> note;
        std::optional<std::vector<std::string>> seen;
        const std::string safety = FindSafetyFolder(fs, appFolder, charFolder, &note, &seen);
        const auto listed = EntriesOf(fs, safety, std::move(seen));
        if (!listed) return false;
        const std::vector<std::string>& entries = *listed;
        // Settling a waiting restore may leave a generation.
        if (Holds(entries, kJournalName)) return true;
        for (const std::string& name : entries)
            if (IsGenerationName(name) && IsFolderNotLink(fs, safety + "\\" + name)) return true;
        return note && !CharFilesAmong(FilesIn(fs, safety + "\\")).empty();
    } catch (const FileError&) {
        return true;
    }
}

std::vector<UndoPoint> ListUndoPoints(FileSystem& fs, const std::string& appFolder, const std::string& charFolder) {
    std::optional<std::string> note;
    SafetySeen seen;
    const std::string safety = SettlePendingRestore(fs, appFolder, charFolder, &note, &seen);
    const auto entries = EntriesOf(fs, safety, std::move(seen.entries));
    return entries ? PointsIn(fs, safety, *entries, note.has_value()) : std::vector<UndoPoint>{};
}

std::vector<std::string> UndoRestore(FileSystem& fs, const std::string& appFolder, const std::string& charFolder,
                                     const UndoPoint& point, const std::string& now, const NoteWording& wording) {
    std::optional<std::string> note;
    SafetySeen seen;
    const std::string safety = SettlePendingRestore(fs, appFolder, charFolder, &note, &seen);
    const auto gone = [&] { return UndoPointGone(point.generation.empty() ? safety : safety + "\\" + point.generation); };
    const auto listed = EntriesOf(fs, safety, std::move(seen.entries));
    if (!listed) throw gone();
    const std::vector<std::string>& entries = *listed;
    std::vector<std::string> oldestFirst = Generations(fs, safety, entries);
    std::reverse(oldestFirst.begin(), oldestFirst.end());
    // What each source holds: "" is the older copy's files in the safety folder.
    std::map<std::string, std::vector<std::string>> held;
    const auto holds = [&](const std::string& source, const std::string& name) {
        if (!held.contains(source))
            held[source] = FilesIn(fs, safety + "\\" + (source.empty() ? std::string() : source + "\\"));
        return Holds(held[source], name);
    };
    // The files each restore added; none where a source has no record of
    // them (the older copy, an earlier version's generation, a record the
    // player spoilt).
    const std::optional<std::vector<WrittenGeneration>> order = ReadOrder(fs, safety, entries);
    const auto addedBy = [&](const std::string& source) -> const std::vector<std::string>* {
        if (source.empty() || !order) return nullptr;
        for (const WrittenGeneration& g : *order)
            if (g.name == source) return &g.added;
        return nullptr;
    };
    // The sources from the point on, the oldest first. The older copy came
    // before every generation; what came after a generation the record
    // does not name, nothing tells, so it stands alone.
    std::vector<std::string> range;
    if (point.generation.empty()) {
        if (!note || CharFilesAmong(FilesIn(fs, safety + "\\")).empty()) throw gone();
        range.push_back("");
        range.insert(range.end(), oldestFirst.begin(), oldestFirst.end());
    } else {
        const auto at = std::find(oldestFirst.begin(), oldestFirst.end(), point.generation);
        if (at == oldestFirst.end()) throw gone();
        range.assign(at, addedBy(point.generation) ? oldestFirst.end() : at + 1);
    }
    const bool untoldAdds = std::any_of(range.begin(), range.end(), [&](const std::string& g) { return !addedBy(g); });

    Journal journal;
    journal.charFolder = charFolder;
    journal.sourceFolder = safety + "\\";
    // A stray backup counts as its file: it goes back into place first.
    std::vector<std::string> present = Entries(fs, WithoutTrailingSeparators(charFolder));
    for (const auto& stray : StrayBackups(present)) present.push_back(stray.first);
    std::vector<std::string> stayed;
    for (const std::string& name : CharFileNames()) {
        // The earliest restore that touched the file tells what it was.
        bool decided = false;
        for (const std::string& source : range) {
            if (holds(source, name)) {
                journal.items.push_back({name});
                journal.items.back().from = source;
            } else if (const std::vector<std::string>* added = addedBy(source); added && Holds(*added, name)) {
                if (Holds(present, name)) {
                    journal.items.push_back({name, true});
                    journal.items.back().takenAway = true;
                }
            } else {
                continue;
            }
            decided = true;
            break;
        }
        if (!decided && untoldAdds && Holds(present, name)) stayed.push_back(name);
    }
    if (journal.items.empty()) return stayed;
    Prepare(fs, journal);
    PutInWithJournal(fs, appFolder, safety, note, SafetySeen{entries}, journal, now, wording,
                     {.kind = GenerationAction::Kind::Undo, .undone = point.generation});
    return stayed;
}

} // namespace telk
