// The journal's bytes: UTF-8 lines written by the restore and read back by
// the next start. The reader refuses anything the writer would not have
// written, so that a damaged journal cannot steer the repair elsewhere.

#include "store/restore/Journal.h"

#include <algorithm>
#include <charconv>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/restore/GenerationNames.h"

namespace telk {

namespace {

constexpr const char* kJournalHeader = "TELK restore journal";

std::string Numbered(const std::string& name, const char* suffix, int n) {
    return name + suffix + (n > 1 ? std::to_string(n) : std::string());
}

} // namespace

bool IsNumbered(const std::string& entry, const std::string& prefix) {
    return entry.size() >= prefix.size() && SameNameNoCase(entry.substr(0, prefix.size()), prefix) &&
           entry.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

bool IsLeftoverName(const std::string& name) {
    for (const char* file : kCharFiles)
        if (IsNumbered(name, std::string(file) + kIncomingSuffix) || IsNumbered(name, std::string(file) + kBackupSuffix))
            return true;
    return IsNumbered(name, std::string(kOptionalCharFile) + kIncomingSuffix) ||
           IsNumbered(name, std::string(kOptionalCharFile) + kBackupSuffix);
}

std::string IncomingName(const std::string& name, int suffix) {
    return Numbered(name, kIncomingSuffix, suffix);
}

std::string BackupName(const std::string& name, int suffix) {
    return Numbered(name, kBackupSuffix, suffix);
}

std::string Journal::Incoming(const JournalItem& item) const {
    return charFolder + IncomingName(item.name, suffix);
}

std::string Journal::Backup(const JournalItem& item) const {
    return charFolder + BackupName(item.name, suffix);
}

// UTF-8 lines: the header, the state, the character folder, the slot
// folder, then one line a file, "1 name" when it existed before the
// restore, "0 name" not, each followed by "W size sha256" of what the
// restore puts in; "G name" the generation, "B 1" when the backups go
// into it; "S n" and "L name" only for a restore that met leftovers.
// Older copies of the program wrote the first lines alone. An undo adds
// "F generation" after a file's W line, where it comes from, and "X name"
// for a file it takes away: letters an earlier release refuses, so that
// it leaves an undo's journal waiting rather than read its files from
// the safety folder itself.
std::string EncodeJournal(const Journal& journal) {
    std::string bytes = std::string(kJournalHeader) + "\r\n" + journal.state + "\r\n" + journal.charFolder + "\r\n" +
                        journal.sourceFolder + "\r\n";
    if (!journal.generation.empty()) bytes += "G " + journal.generation + "\r\n";
    if (journal.backupsInGeneration) bytes += "B 1\r\n";
    for (const JournalItem& item : journal.items) {
        bytes += (item.takenAway ? "X " : item.existed ? "1 " : "0 ") + item.name + "\r\n";
        if (item.written) bytes += "W " + std::to_string(item.written->size) + " " + item.written->sha256 + "\r\n";
        if (!item.from.empty()) bytes += "F " + item.from + "\r\n";
    }
    if (journal.suffix > 1) bytes += "S " + std::to_string(journal.suffix) + "\r\n";
    for (const std::string& leftover : journal.leftovers) bytes += "L " + leftover + "\r\n";
    return bytes;
}

std::optional<Journal> DecodeJournal(const std::string& bytes) {
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
    Journal journal;
    journal.state = lines[1];
    journal.charFolder = lines[2];
    journal.sourceFolder = lines[3];
    for (std::size_t i = 4; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() < 3 || line[1] != ' ') return std::nullopt;
        const std::string value = line.substr(2);
        switch (line[0]) {
        case '0':
        case '1':
        case 'X':
            // A journal names only the character's files, inside its folder.
            if (!IsCharFileName(value) || std::any_of(journal.items.begin(), journal.items.end(), [&](const JournalItem& item) {
                    return SameNameNoCase(item.name, value);
                }))
                return std::nullopt;
            // Only an undo, which always names its generation, takes away.
            if (line[0] == 'X' && journal.generation.empty()) return std::nullopt;
            journal.items.push_back({value, line[0] != '0'});
            journal.items.back().takenAway = line[0] == 'X';
            break;
        case 'F':
            // After the W line of a file put in, from a generation other
            // than the one the undo writes.
            if (journal.items.empty() || !journal.items.back().written || !journal.items.back().from.empty() ||
                !IsGenerationName(value) || journal.generation.empty() || value == journal.generation)
                return std::nullopt;
            journal.items.back().from = value;
            break;
        case 'S': {
            if (journal.suffix != 1) return std::nullopt;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), journal.suffix);
            if (error != std::errc() || end != value.data() + value.size() || journal.suffix < 1) return std::nullopt;
            break;
        }
        case 'L':
            // A leftover's bytes go into the generation, and the file goes:
            // never a character file itself.
            if (!IsLeftoverName(value) || Holds(journal.leftovers, value)) return std::nullopt;
            journal.leftovers.push_back(value);
            break;
        case 'G':
            if (!IsGenerationName(value) || !journal.generation.empty()) return std::nullopt;
            journal.generation = value;
            break;
        case 'B':
            if (value != "1" || journal.backupsInGeneration) return std::nullopt;
            journal.backupsInGeneration = true;
            break;
        case 'W': {
            // Of the file just named.
            FileDigest digest;
            const std::size_t space = value.find(' ');
            if (journal.items.empty() || journal.items.back().written || journal.items.back().takenAway ||
                space == std::string::npos)
                return std::nullopt;
            const char* end = value.data() + space;
            const auto [at, error] = std::from_chars(value.data(), end, digest.size);
            digest.sha256 = value.substr(space + 1);
            if (error != std::errc() || at != end || digest.sha256.size() != 64 ||
                digest.sha256.find_first_not_of("0123456789abcdef") != std::string::npos)
                return std::nullopt;
            journal.items.back().written = digest;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return journal;
}

} // namespace telk
