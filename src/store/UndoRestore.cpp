// Undoing a restore. Each character file goes back to what the earliest
// generation from the chosen one on says of it: the copy that generation
// kept, or, where its restore added the file, no file. The folder as it is
// becomes a new generation through the restore's own journaled steps
// (RestoreSteps.h), so a crash anywhere is settled at the next start like
// a restore's, and the undo can itself be undone.

#include "store/UndoRestore.h"

#include <algorithm>
#include <optional>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/Generations.h"
#include "store/SafetyFolder.h"

namespace telk {

namespace {

std::vector<std::string> CharFileNames() {
    std::vector<std::string> names(kCharFiles.begin(), kCharFiles.end());
    names.push_back(kOptionalCharFile);
    return names;
}

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

std::vector<UndoPoint> PointsIn(FileSystem& fs, const std::string& safety, bool noteNamesCharFolder) {
    std::vector<UndoPoint> points;
    if (!IsFolderNotLink(fs, safety)) return points;
    const std::vector<std::string> entries = Entries(fs, safety);
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

bool HasUndoPoints(FileSystem& fs, const std::string& appFolder, const std::string& charFolder) {
    try {
        std::optional<std::string> note;
        const std::string safety = FindSafetyFolder(fs, appFolder, charFolder, &note);
        if (!IsFolderNotLink(fs, safety)) return false;
        const std::vector<std::string> entries = Entries(fs, safety);
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
    const std::string safety = SettlePendingRestore(fs, appFolder, charFolder, &note);
    return PointsIn(fs, safety, note.has_value());
}

} // namespace telk
