// What a restore changes in a character folder, kept in the character's
// safety folder until the restore has ended, so that the next start can
// finish or undo a restore the process did not live to end.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/StoreNames.h"

namespace telk {

// Until every file is in, undo; after, only the clean-up is left. Where
// the backups go straight into the generation, its final name says that
// every file is in, and the state stays "restoring".
inline constexpr const char* kRestoring = "restoring";
inline constexpr const char* kRestored = "restored";

struct JournalItem {
    std::string name;
    bool existed = false;
    // What the restore puts in; none in the journals of older copies of
    // the program, which the slot's copy then stands in for.
    std::optional<FileDigest> written = std::nullopt;
    // An undo's: the generation the file comes from, in the safety folder
    // that stands as the source folder; empty: straight from that folder.
    std::string from = std::string();
    // An undo's: the file goes, kept as a replaced file is; nothing is put in.
    bool takenAway = false;
    bool operator==(const JournalItem&) const = default;
};

struct Journal {
    std::string state;
    std::string charFolder; // with its trailing "\"
    std::string sourceFolder; // with its trailing "\": a slot, or for an undo the safety folder
    std::vector<JournalItem> items;
    // The temporary names' number: 1 for the plain suffixes; higher while
    // a leftover of an interrupted run holds the plain ones.
    int suffix = 1;
    // Leftovers of interrupted runs in the character folder: their bytes
    // go into the generation; they go once every file is in.
    std::vector<std::string> leftovers;
    // The generation this restore writes, in the safety folder; empty in
    // the journals of older copies of the program.
    std::string generation;
    // Store and character folder on one volume: each replace put its
    // backup straight into the generation's staging folder.
    bool backupsInGeneration = false;

    bool operator==(const Journal&) const = default;
    std::string Target(const JournalItem& item) const { return charFolder + item.name; }
    // Where what is put in comes from.
    std::string Source(const JournalItem& item) const {
        return sourceFolder + (item.from.empty() ? std::string() : item.from + "\\") + item.name;
    }
    std::string Incoming(const JournalItem& item) const;
    // The backup name beside the target.
    std::string Backup(const JournalItem& item) const;
};

// "name.telk-new", "name.telk-new2", … for suffix 1, 2, …
std::string IncomingName(const std::string& name, int suffix);
std::string BackupName(const std::string& name, int suffix);

// "<file><suffix>", with or without a number after it.
bool IsNumbered(const std::string& entry, const std::string& prefix);
// What an interrupted run leaves beside a character file:
// "<file>.telk-new", "<file>.telk-old", with or without a number.
bool IsLeftoverName(const std::string& name);

std::string EncodeJournal(const Journal& journal);
// Empty when the bytes are not a journal of the program's.
std::optional<Journal> DecodeJournal(const std::string& bytes);

} // namespace telk
