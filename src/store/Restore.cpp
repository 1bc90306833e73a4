// Restore into a character folder. The folder is the client's and is never
// renamed, so each file is staged beside its target and swapped in with
// ReplaceFile, which keeps the old file until all of them are in. A
// journal in the slot store, flushed before the first change, lets the
// next start finish or undo a restore that the process did not live to
// end; a safety copy of the character's files, taken before anything
// changes, lets the player undo a restore of the wrong slot.

#include "store/Restore.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "store/FileRoutines.h"
#include "store/FolderTree.h"
#include "store/SlotStore.h"
#include "store/Transfer.h"

namespace telk {

namespace {

constexpr const char* kJournalHeader = "TELK restore journal";
// Until every file is in, undo; after, only the clean-up is left.
constexpr const char* kRestoring = "restoring";
constexpr const char* kRestored = "restored";

struct Item {
    std::string name;
    bool existed = false;
};

struct Journal {
    std::string state;
    std::string charFolder; // with its trailing "\"
    std::string slotFolder; // with its trailing "\"
    std::vector<Item> items;

    std::string Target(const Item& item) const { return charFolder + item.name; }
    std::string Incoming(const Item& item) const { return Target(item) + kIncomingSuffix; }
    std::string Backup(const Item& item) const { return Target(item) + kBackupSuffix; }
};

// UTF-8 lines: the header, the state, the character folder, the slot
// folder, then one line a file, "1 name" when it existed before the
// restore, "0 name" not.
std::string Encode(const Journal& journal) {
    std::string bytes = std::string(kJournalHeader) + "\r\n" + journal.state + "\r\n" + journal.charFolder + "\r\n" +
                        journal.slotFolder + "\r\n";
    for (const Item& item : journal.items) bytes += (item.existed ? "1 " : "0 ") + item.name + "\r\n";
    return bytes;
}

std::optional<Journal> Decode(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        std::size_t end = bytes.find('\n', begin);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        begin = end + 1;
    }
    auto isFolder = [](const std::string& line) { return !line.empty() && line.back() == '\\'; };
    if (lines.size() < 4 || lines[0] != kJournalHeader || (lines[1] != kRestoring && lines[1] != kRestored) ||
        !isFolder(lines[2]) || !isFolder(lines[3]))
        return std::nullopt;
    Journal journal{lines[1], lines[2], lines[3], {}};
    for (std::size_t i = 4; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() < 3 || (line[0] != '0' && line[0] != '1') || line[1] != ' ') return std::nullopt;
        journal.items.push_back({line.substr(2), line[0] == '1'});
    }
    return journal;
}

// Runs every step even when one fails, so that one stuck file does not
// keep the others from being settled; then throws the first failure.
class Steps {
public:
    template <class Step>
    void Run(Step step) {
        try {
            step();
        } catch (const FileError& e) {
            if (!first_) first_.emplace(e);
        }
    }
    void ThrowIfFailed(const std::vector<KeptCopy>& kept = {}) const {
        if (!first_) return;
        if (!kept.empty()) throw RollbackFailed(*first_, kept);
        throw *first_;
    }

private:
    std::optional<FileError> first_;
};

// Everything as it was: each replaced file back from its backup, each file
// the restore added taken away, each staged copy removed. Throws when a
// step fails (RollbackFailed when a file could not be put back); every
// step may run again.
void Undo(FileSystem& fs, const Journal& journal) {
    const std::vector<std::string> present = Entries(fs, WithoutTrailingSeparators(journal.charFolder));
    std::vector<KeptCopy> kept;
    Steps steps;
    for (const Item& item : journal.items) {
        const bool staged = Holds(present, item.name + kIncomingSuffix);
        if (Holds(present, item.name + kBackupSuffix)) {
            steps.Run([&] {
                try {
                    fs.Rename(journal.Backup(item), journal.Target(item));
                } catch (const FileError&) {
                    kept.push_back({journal.Target(item), journal.Backup(item)});
                    throw;
                }
            });
        } else if (!item.existed && !staged && Holds(present, item.name)) {
            // Added by this restore, as long as it is still the slot's copy.
            steps.Run([&] {
                if (fs.ReadFile(journal.Target(item)) == fs.ReadFile(journal.slotFolder + item.name))
                    fs.RemoveFile(journal.Target(item));
            });
        }
        if (staged) steps.Run([&] { fs.RemoveFile(journal.Incoming(item)); });
    }
    steps.ThrowIfFailed(kept);
}

// Every file is in: only the old ones under their backup names are left.
void Finish(FileSystem& fs, const Journal& journal) {
    const std::vector<std::string> present = Entries(fs, WithoutTrailingSeparators(journal.charFolder));
    Steps steps;
    for (const Item& item : journal.items) {
        if (Holds(present, item.name + kBackupSuffix)) steps.Run([&] { fs.RemoveFile(journal.Backup(item)); });
        if (Holds(present, item.name + kIncomingSuffix)) steps.Run([&] { fs.RemoveFile(journal.Incoming(item)); });
    }
    steps.ThrowIfFailed();
}

// Beside a character's safety folder: the previous safety copy, kept until
// the restore that replaced it has put every file in.
std::string Aside(const std::string& safety) {
    return safety + kBackupSuffix;
}

// The previous safety copy back in its place, when one waits aside.
void RevertSafety(FileSystem& fs, const std::string& safety) {
    if (!FolderExists(fs, Aside(safety))) return;
    if (FolderExists(fs, safety)) RemoveTree(fs, safety);
    fs.Rename(Aside(safety), safety);
}

void DropAside(FileSystem& fs, const std::string& safety) {
    if (FolderExists(fs, Aside(safety))) RemoveTree(fs, Aside(safety));
}

// A journal that is there was left by a restore that did not end: finish
// or undo it, then let it go. A previous safety copy still aside means the
// restore did not end either: it goes back, unless the restore got as far
// as every file in. Throws, keeping the journal, when that fails.
void Settle(FileSystem& fs, const std::string& safety) {
    const std::string journalPath = safety + "\\" + kJournalName;
    // A journal whose writing was cut off never took the journal's place.
    if (FileExists(fs, journalPath + kIncomingSuffix)) fs.RemoveFile(journalPath + kIncomingSuffix);
    if (FileExists(fs, journalPath)) {
        // Written whole or not at all; anything else is not the program's.
        const std::optional<Journal> journal = Decode(fs.ReadFile(journalPath));
        const bool restored = journal && journal->state == kRestored;
        // A character folder gone since holds nothing to settle.
        if (journal && FolderExists(fs, journal->charFolder)) {
            if (restored)
                Finish(fs, *journal);
            else
                Undo(fs, *journal);
        }
        if (restored) DropAside(fs, safety);
        fs.RemoveFile(journalPath);
    }
    RevertSafety(fs, safety);
}

std::string SafetyRoot(const std::string& appFolder) {
    return appFolder + "SETTINGS\\" + kSafetyFolderName;
}

// An older copy of the program that could not put a file back left it
// under its backup name with the target missing: it goes back, before
// anything else sees the folder. present, the folder's names, follows.
void PutBackOrphans(FileSystem& fs, const std::string& charFolder, std::vector<std::string>& present) {
    std::vector<std::string> names(kCharFiles.begin(), kCharFiles.end());
    names.push_back(kOptionalCharFile);
    for (const std::string& name : names) {
        if (!Holds(present, name + kBackupSuffix) || Holds(present, name)) continue;
        fs.Rename(charFolder + name + kBackupSuffix, charFolder + name);
        std::erase_if(present, [&](const std::string& n) { return SameNameNoCase(n, name + kBackupSuffix); });
        present.push_back(name);
    }
}

// The character's files as they are now, complete in a staging folder
// before they take the safety folder's place; the previous copy waits
// aside until the restore has put every file in.
void KeepSafetyCopy(FileSystem& fs, const std::string& appFolder, const std::string& safety, const Journal& journal) {
    const std::string root = SafetyRoot(appFolder);
    const std::string staging = root + kStagingSuffix;
    if (FolderExists(fs, staging)) RemoveTree(fs, staging);
    fs.CreateFolder(staging);
    try {
        for (const Item& item : journal.items)
            if (item.existed) fs.CopyFile(journal.Target(item), staging + "\\" + item.name);
        // root\account\shard, as far as they are missing.
        for (std::size_t sep = safety.find('\\', root.size()); sep != std::string::npos;
             sep = safety.find('\\', sep + 1)) {
            const std::string folder = safety.substr(0, sep);
            if (!FolderExists(fs, folder)) fs.CreateFolder(folder);
        }
        if (FolderExists(fs, safety)) fs.Rename(safety, Aside(safety));
        fs.Rename(staging, safety);
    } catch (const FileError&) {
        RemoveTreeQuietly(fs, staging);
        try {
            RevertSafety(fs, safety);
        } catch (const FileError&) {
            // Still aside: the next start puts it back.
        }
        throw;
    }
}

// What the restore will change, once every target has passed the check
// (nothing of the client's changes before) and orphans are back; present
// gets the folder's names.
Journal Plan(FileSystem& fs, const std::string& slotFolder, const std::string& charFolder,
             std::vector<std::string>& present) {
    Journal journal{kRestoring, charFolder, slotFolder, {}};
    for (const char* name : kCharFiles) journal.items.push_back({name});
    if (FileExists(fs, slotFolder + kOptionalCharFile)) journal.items.push_back({kOptionalCharFile});
    for (const Item& item : journal.items) fs.CheckReplaceable(journal.Target(item));
    present = Entries(fs, WithoutTrailingSeparators(charFolder));
    PutBackOrphans(fs, charFolder, present);
    for (Item& item : journal.items) item.existed = Holds(present, item.name);
    return journal;
}

// Leftovers of an older restore would stand in the way, and a stray
// backup would later pass for one of this restore's.
void ClearLeftovers(FileSystem& fs, const Journal& journal, const std::vector<std::string>& present) {
    for (const Item& item : journal.items) {
        if (Holds(present, item.name + kIncomingSuffix)) fs.RemoveFile(journal.Incoming(item));
        if (Holds(present, item.name + kBackupSuffix)) fs.RemoveFile(journal.Backup(item));
    }
}

// Journal first, then each new file beside its target, then the swaps, then
// the journal's mark that all are in. A failure undoes what was done; a
// file that cannot be put back stays under its backup name, with the
// journal, for the next start.
void PutInPlace(FileSystem& fs, const std::string& slotFolder, Journal journal, const std::string& journalPath) {
    WriteWhole(fs, journalPath, Encode(journal));
    try {
        for (const Item& item : journal.items) fs.CopyFile(slotFolder + item.name, journal.Incoming(item));
        for (const Item& item : journal.items) {
            if (item.existed)
                fs.ReplaceFile(journal.Target(item), journal.Incoming(item), journal.Backup(item));
            else
                fs.Rename(journal.Incoming(item), journal.Target(item));
        }
        journal.state = kRestored;
        WriteWhole(fs, journalPath, Encode(journal));
    } catch (const FileError& e) {
        try {
            Undo(fs, journal);
            fs.RemoveFile(journalPath);
        } catch (const RollbackFailed& undo) {
            throw RollbackFailed(e, undo.Kept());
        } catch (const FileError&) {
            // Only a staged copy or the journal is left; the next start settles them.
        }
        throw;
    }
}

// A character name, as a folder name in the store, that cannot climb out.
std::string SafeName(const std::string& name) {
    return IsPlainName(name) ? name : "_";
}

} // namespace

std::string SafetyFolderPath(const std::string& appFolder, const std::string& charFolder) {
    std::vector<std::string> names;
    std::size_t begin = 0;
    while (begin <= charFolder.size()) {
        std::size_t end = charFolder.find_first_of("\\/", begin);
        if (end == std::string::npos) end = charFolder.size();
        if (end > begin) names.push_back(charFolder.substr(begin, end - begin));
        begin = end + 1;
    }
    while (names.size() < 3) names.insert(names.begin(), "");
    const std::size_t n = names.size();
    return SafetyRoot(appFolder) + "\\" + SafeName(names[n - 3]) + "\\" + SafeName(names[n - 2]) + "\\" +
           SafeName(names[n - 1]);
}

void RestoreFromSlot(FileSystem& fs, const std::string& appFolder, const std::string& slotFolder,
                     const std::string& charFolder) {
    const std::string safety = SafetyFolderPath(appFolder, charFolder);
    const std::string journalPath = safety + "\\" + kJournalName;
    // A restore into this character that could not be undone comes first.
    Settle(fs, safety);
    std::vector<std::string> present;
    const Journal journal = Plan(fs, slotFolder, charFolder, present);
    KeepSafetyCopy(fs, appFolder, safety, journal);
    try {
        ClearLeftovers(fs, journal, present);
        PutInPlace(fs, slotFolder, journal, journalPath);
    } catch (const FileError&) {
        // Undone: the previous safety copy goes back. With the journal
        // still there, the next start undoes the rest first.
        try {
            if (!FileExists(fs, journalPath)) RevertSafety(fs, safety);
        } catch (const FileError&) {
        }
        throw;
    }
    // Every file is in: what is left to remove, the next start removes.
    try {
        Finish(fs, journal);
        DropAside(fs, safety);
        fs.RemoveFile(journalPath);
    } catch (const FileError&) {
    }
}

void SettleRestores(FileSystem& fs, const std::string& appFolder) {
    const std::string root = SafetyRoot(appFolder);
    if (FolderExists(fs, root + kStagingSuffix)) RemoveTreeQuietly(fs, root + kStagingSuffix);
    auto folders = [&](const std::string& folder) {
        std::vector<std::string> paths;
        try {
            for (const std::string& name : Entries(fs, folder)) {
                const std::string path = folder + "\\" + name;
                if (!fs.IsLink(path) && FolderExists(fs, path)) paths.push_back(path);
            }
        } catch (const FileError&) {
        }
        return paths;
    };
    if (!FolderExists(fs, root)) return;
    for (const std::string& account : folders(root))
        for (const std::string& shard : folders(account)) {
            // A safety copy aside is settled with the character's own.
            std::vector<std::string> characters;
            for (std::string character : folders(shard)) {
                if (character.ends_with(kBackupSuffix))
                    character.resize(character.size() - std::string_view(kBackupSuffix).size());
                if (std::find(characters.begin(), characters.end(), character) == characters.end())
                    characters.push_back(character);
            }
            for (const std::string& character : characters) {
                try {
                    Settle(fs, character);
                } catch (const FileError&) {
                }
            }
        }
}

} // namespace telk
