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

// What going back to before each generation does to each character file.
// Each file goes back to what the earliest source from the chosen one on
// says of it: the copy it kept, or, where its restore added the file, no
// file. The older copy ("") came before every generation; what came after
// a generation the record does not name, or after the first one when
// generations after it were pruned, nothing tells: it stands alone, and
// a file it does not decide stays as it is, told.
class Planner {
public:
    Planner(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries,
            const std::string& charFolder, bool noted)
        : fs_(fs), safety_(safety), noted_(noted), order_(ReadOrder(fs, safety, entries)),
          actions_(ReadActions(fs, safety, entries)) {
        oldestFirst_ = Generations(fs, safety, entries);
        std::reverse(oldestFirst_.begin(), oldestFirst_.end());
        // A stray backup counts as its file: it goes back into place first.
        present_ = Entries(fs, WithoutTrailingSeparators(charFolder));
        for (const auto& stray : StrayBackups(present_)) present_.push_back(stray.first);
    }

    // The rows, the last written first, then the older copy's.
    std::vector<UndoPoint> Points() {
        std::vector<UndoPoint> points;
        std::vector<std::string> sources(oldestFirst_.rbegin(), oldestFirst_.rend());
        if (noted_ && !CharFilesAmong(Held("")).empty()) sources.push_back("");
        for (const std::string& source : sources) {
            UndoPoint point{source, {}};
            std::vector<std::string> stayed;
            const std::optional<std::vector<JournalItem>> items = Items(source, stayed);
            for (const JournalItem& item : *items) (item.takenAway ? point.takenAway : point.files).push_back(item.name);
            if (const GenerationAction* action = ActionOf(source)) point.action = *action;
            points.push_back(std::move(point));
        }
        return points;
    }

    // The journal's items for going back to before point, and in stayed
    // the files left as they are that a source without a record may have
    // touched; none when point is gone.
    std::optional<std::vector<JournalItem>> Items(const std::string& point, std::vector<std::string>& stayed) {
        std::vector<std::string> range;
        bool alone = false;
        if (point.empty()) {
            if (!noted_ || CharFilesAmong(Held("")).empty()) return std::nullopt;
            range.push_back("");
            range.insert(range.end(), oldestFirst_.begin(), oldestFirst_.end());
        } else {
            const auto at = std::find(oldestFirst_.begin(), oldestFirst_.end(), point);
            if (at == oldestFirst_.end()) return std::nullopt;
            alone = !AddedBy(point) || PrunedAfter(at);
            range.assign(at, alone ? at + 1 : oldestFirst_.end());
        }
        const bool untoldAdds = alone || std::any_of(range.begin(), range.end(), [&](const std::string& g) { return !AddedBy(g); });
        std::vector<JournalItem> items;
        for (const std::string& name : CharFileNames()) {
            bool decided = false;
            for (const std::string& source : range) {
                if (Holds(Held(source), name)) {
                    items.push_back({name});
                    items.back().from = source;
                } else if (const std::vector<std::string>* added = AddedBy(source); added && Holds(*added, name)) {
                    if (Holds(present_, name)) {
                        items.push_back({name, true});
                        items.back().takenAway = true;
                    }
                } else {
                    continue;
                }
                decided = true;
                break;
            }
            if (!decided && untoldAdds && Holds(present_, name)) stayed.push_back(name);
        }
        return items;
    }

private:
    // What a source holds: "" is the older copy's files in the safety folder.
    const std::vector<std::string>& Held(const std::string& source) {
        if (!held_.contains(source))
            held_[source] = FilesIn(fs_, safety_ + "\\" + (source.empty() ? std::string() : source + "\\"));
        return held_[source];
    }
    // The files a restore added; none where a source has no record of them
    // (the older copy, an earlier version's generation, a spoilt record).
    const std::vector<std::string>* AddedBy(const std::string& source) const {
        if (source.empty() || !order_) return nullptr;
        for (const WrittenGeneration& g : *order_)
            if (g.name == source) return &g.added;
        return nullptr;
    }
    const GenerationAction* ActionOf(const std::string& generation) const {
        for (const GenerationAction& a : actions_)
            if (a.generation == generation) return &a;
        return nullptr;
    }
    // Whether generations written right after the first one were pruned:
    // only the first stays behind when its followers go.
    bool PrunedAfter(std::vector<std::string>::const_iterator at) const {
        const GenerationAction* action = ActionOf(*at);
        if (!action || !action->first || at + 1 == oldestFirst_.end()) return false;
        const GenerationAction* next = ActionOf(*(at + 1));
        return !next || next->seq != action->seq + 1;
    }

    FileSystem& fs_;
    std::string safety_;
    bool noted_;
    std::optional<std::vector<WrittenGeneration>> order_;
    std::vector<GenerationAction> actions_;
    std::vector<std::string> oldestFirst_;
    std::vector<std::string> present_;
    std::map<std::string, std::vector<std::string>> held_;
};

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
    if (!entries) return {};
    return Planner(fs, safety, *entries, charFolder, note.has_value()).Points();
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
    std::vector<std::string> stayed;
    std::optional<std::vector<JournalItem>> items =
        Planner(fs, safety, entries, charFolder, note.has_value()).Items(point.generation, stayed);
    if (!items) throw gone();
    Journal journal;
    journal.charFolder = charFolder;
    journal.sourceFolder = safety + "\\";
    journal.items = std::move(*items);
    if (journal.items.empty()) return stayed;
    Prepare(fs, journal);
    PutInWithJournal(fs, appFolder, safety, note, SafetySeen{entries}, journal, now, wording,
                     {.kind = GenerationAction::Kind::Undo, .undone = point.generation});
    return stayed;
}

} // namespace telk
