// The start's scan of BeforeRestore: only the safety folders a restore
// changed since the last start, or all of them once; whose each folder is
// decided before anything in it is read further.

#include "store/restore/StartScan.h"

#include <algorithm>
#include <optional>

#include "platform/PathText.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/restore/Generations.h"
#include "store/restore/Recovery.h"
#include "store/restore/SafetyFolder.h"
#include "store/restore/Steps.h"

namespace telk {

using namespace restore;

namespace {

// One safety folder at the start. Only the program's: a folder named as
// the program names the safety folder of the character folder its note
// names, and a folder of the layout before the digits where its journal
// names the character it is the folder of. A journal is settled only
// where it names that same character folder. A folder that lost its note
// is the program's only while it holds nothing but cut-off writes; with a
// journal or generations it is the player's now. What is the player's
// stays as it is, and when it holds a journal or generations it is told
// once: the record drops it. A note or journal that cannot be read waits
// and is told. Never throws; false when something is left for next time.
bool SettleAtStart(FileSystem& fs, const std::string& appFolder, const std::string& folder, RepairReport& report) {
    const std::string name = folder.substr(folder.find_last_of('\\') + 1);
    std::vector<std::string> entries;
    if (!IsFolderNotLink(fs, folder)) return true;
    if (FailureOf([&] { entries = Entries(fs, folder); })) return false; // not listed now: it waits for the next start
    auto unread = [&](const std::string& record) {
        report.waiting.push_back({folder + "\\" + record, "", KeptCopy::Kind::Unreadable});
        return false;
    };
    const bool named = IsSafetyFolderName(name);
    std::optional<std::string> owner; // the character folder it belongs to
    if (named && Holds(entries, kSafetyNoteName)) {
        std::string note;
        if (FailureOf([&] { note = fs.ReadFile(folder + "\\" + kSafetyNoteName); })) return unread(kSafetyNoteName);
        owner = NoteFolder(note);
        if (owner && !IsSafetyFolderOf(appFolder, folder, *owner)) owner.reset();
    }
    std::optional<Journal> journal;
    // Only a folder that may be the program's has its journal read.
    if ((owner || !named) && Holds(entries, kJournalName)) {
        std::string bytes;
        if (FailureOf([&] { bytes = fs.ReadFile(JournalPath(folder)); })) return unread(kJournalName);
        journal = DecodeJournal(bytes);
    }
    const bool kept = owner.has_value(); // the program's to tidy, prune and drop
    // Not the program's journal at all: told as waiting by settling it.
    const bool settles = kept ? !journal || SameCharFolder(*owner, journal->charFolder)
                              : journal && SameCharFolder(LegacySafetyFolderPath(appFolder, journal->charFolder), folder);
    if (named && !kept) {
        if (MayBeTaken(entries)) {
            // Nothing but writes cut off before their rename.
            for (const std::string& entry : entries) FailureOf([&] { fs.RemoveFile(folder + "\\" + entry); });
            DropIfEmpty(fs, folder);
        } else if (Holds(entries, kJournalName) || std::any_of(entries.begin(), entries.end(), IsGenerationName)) {
            report.notOurs.push_back(folder);
        }
        return true;
    }
    if (!settles && Holds(entries, kJournalName)) report.notOurs.push_back(folder);
    bool done = true;
    if (settles) {
        try {
            done = Settle(fs, appFolder, folder, kept ? *owner : journal->charFolder,
                          kept ? std::optional(Tidy::Full) : std::nullopt);
        } catch (const RollbackFailed& e) {
            report.waiting.insert(report.waiting.end(), e.Kept().begin(), e.Kept().end());
            done = false;
        } catch (const FileError&) {
            done = false;
        }
    }
    if (!IsFolderNotLink(fs, folder)) return done; // an undone restore took it away
    if (FailureOf([&] { entries = Entries(fs, folder); })) return false;
    if (kept) done = PruneGenerations(fs, folder, entries) && done;
    // Only settling writes the record, and only where the folder is the
    // character's: a copy of one elsewhere is the player's. In the older
    // layout, each file it names tells whose folder it is.
    const std::vector<KeptCopy> untold = Holds(entries, kUntoldName) ? ReadUntold(fs, folder) : std::vector<KeptCopy>{};
    const bool untoldHere = kept || settles ||
                            (!named && !untold.empty() && std::all_of(untold.begin(), untold.end(), [&](const KeptCopy& k) {
                                 const std::string charFolder = k.file.substr(0, k.file.find_last_of('\\') + 1);
                                 return SameCharFolder(LegacySafetyFolderPath(appFolder, charFolder), folder);
                             }));
    if (!untold.empty() && untoldHere) {
        report.leftAsSaved.insert(report.leftAsSaved.end(), untold.begin(), untold.end());
        report.untold.push_back(folder);
        done = false; // until the player has been told
    }
    // Nothing but its note, or nothing at all: no one's files are in it.
    if (kept && entries.size() <= 1) DropIfEmpty(fs, folder);
    // A journal that is not the program's to settle here leaves nothing
    // for the next start either: it has been told.
    return done && !(settles && Holds(entries, kJournalName));
}

// Every character-level folder under root, as "<account>\\<shard>\\<name>";
// complete false when a level could not be listed.
std::vector<std::string> AllSafetyFolders(FileSystem& fs, const std::string& root, bool& complete) {
    auto folders = [&](const std::string& folder) {
        std::vector<std::string> names;
        complete = !FailureOf([&] {
                       for (const std::string& name : Entries(fs, folder))
                           if (IsFolderNotLink(fs, folder + "\\" + name)) names.push_back(name);
                   }) && complete;
        return names;
    };
    std::vector<std::string> relative;
    for (const std::string& account : folders(root))
        for (const std::string& shard : folders(root + "\\" + account))
            for (const std::string& name : folders(root + "\\" + account + "\\" + shard))
                relative.push_back(account + "\\" + shard + "\\" + name);
    return relative;
}

} // namespace

void SettleRestores(FileSystem& fs, const std::string& appFolder, RepairReport& report) {
    const std::string root = SafetyRoot(appFolder);
    // What older copies of the program built or threw away beside the root.
    FailureOf([&] { RemoveTree(fs, root + kStagingSuffix, IfMissing::Skip); });
    if (!fs.CanEnterFolder(root)) return;
    FailureOf([&] {
        if (FileExists(fs, root + "\\" + kChangedName + kIncomingSuffix))
            fs.RemoveFile(root + "\\" + kChangedName + kIncomingSuffix);
    });
    // Only the folders a restore changed since the last start, or that
    // still wait; all of them the first time, or when the record is lost.
    const std::optional<std::vector<std::string>> changed = ReadChanged(fs, root);
    // A folder not listed now is not known to hold nothing: without a
    // record, the next start looks at every folder again.
    bool complete = true;
    const std::vector<std::string> looked = changed ? *changed : AllSafetyFolders(fs, root, complete);
    std::vector<std::string> waiting;
    for (const std::string& relative : looked)
        if (!SettleAtStart(fs, appFolder, root + "\\" + relative, report)) waiting.push_back(relative);
    // The layout's own levels may go once empty, the root's last.
    for (const std::string& relative : looked)
        DropIfEmpty(fs, root + "\\" + relative.substr(0, relative.find_last_of('\\')), 3);
    if (!changed)
        FailureOf([&] {
            for (const std::string& account : Entries(fs, root)) {
                if (!IsFolderNotLink(fs, root + "\\" + account)) continue;
                for (const std::string& shard : Entries(fs, root + "\\" + account))
                    if (IsFolderNotLink(fs, root + "\\" + account + "\\" + shard))
                        DropIfEmpty(fs, root + "\\" + account + "\\" + shard, 3);
                DropIfEmpty(fs, root + "\\" + account, 2);
            }
        });
    // Nothing left but the record: the store as no restore had touched it.
    std::vector<std::string> left;
    if (FailureOf([&] { left = Entries(fs, root); })) return;
    std::erase(left, std::string(kChangedName));
    if (left.empty() && waiting.empty() && complete) {
        FailureOf([&] {
            if (changed) fs.RemoveFile(root + "\\" + kChangedName);
            fs.RemoveFolder(root);
        });
        return;
    }
    if (complete && (!changed || *changed != waiting)) WriteChanged(fs, root, waiting);
}


} // namespace telk
