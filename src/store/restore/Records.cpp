// The records beside the generations: one reader of CR LF lines, and for
// each record what its writer writes and its reader takes.

#include "store/restore/Records.h"

#include <algorithm>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/StoreNames.h"
#include "store/WriteWhole.h"
#include "store/restore/GenerationNames.h"

namespace telk {

namespace {

// The lines of bytes that a CR LF ends; whole false when the bytes end in
// a line without one (a write of the program's never does).
std::vector<std::string> CrLfLines(const std::string& bytes, bool* whole = nullptr) {
    std::vector<std::string> lines;
    if (whole) *whole = true;
    for (std::size_t begin = 0, end; begin < bytes.size(); begin = end + 2) {
        end = bytes.find("\r\n", begin);
        if (end == std::string::npos) {
            if (whole) *whole = false;
            break;
        }
        lines.push_back(bytes.substr(begin, end - begin));
    }
    return lines;
}

// The lines after header, when bytes are whole lines that begin with it.
std::optional<std::vector<std::string>> Body(const std::string& bytes, const char* header) {
    bool whole = false;
    std::vector<std::string> lines = CrLfLines(bytes, &whole);
    if (!whole || lines.empty() || lines[0] != header) return std::nullopt;
    lines.erase(lines.begin());
    return lines;
}

std::vector<std::string> Fields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    for (std::size_t begin = 0, end; begin <= line.size(); begin = end + 1) {
        end = std::min(line.find(separator, begin), line.size());
        fields.push_back(line.substr(begin, end - begin));
    }
    return fields;
}

constexpr const char* kOrderHeader = "TELK restore order";
constexpr const char* kChangedHeader = "TELK safety folders to look at";
constexpr const char* kNoteMark = "\xEF\xBB\xBF";
constexpr const char* kActionsHeader = "TELK restore actions";

std::string ChangedPath(const std::string& root) {
    return root + "\\" + kChangedName;
}

std::string EncodeChanged(const std::vector<std::string>& relative) {
    std::string bytes = std::string(kChangedHeader) + "\r\n";
    for (const std::string& folder : relative) bytes += folder + "\r\n";
    return bytes;
}

} // namespace

// ASCII lines, the oldest first: the generation's name, then a tab and a
// name for each file its restore added.
std::string EncodeOrder(const std::vector<WrittenGeneration>& order) {
    std::string bytes = std::string(kOrderHeader) + "\r\n";
    for (const WrittenGeneration& generation : order) {
        bytes += generation.name;
        for (const std::string& file : generation.added) bytes += "\t" + file;
        bytes += "\r\n";
    }
    return bytes;
}

std::optional<std::vector<WrittenGeneration>> DecodeOrder(const std::string& bytes) {
    const std::optional<std::vector<std::string>> lines = Body(bytes, kOrderHeader);
    if (!lines) return std::nullopt;
    std::vector<WrittenGeneration> order;
    for (const std::string& line : *lines) {
        std::vector<std::string> fields = Fields(line, '\t');
        if (!IsGenerationName(fields[0]) ||
            !std::all_of(fields.begin() + 1, fields.end(), [](const std::string& f) { return IsCharFileName(f); }))
            return std::nullopt;
        order.push_back({fields[0], std::vector<std::string>(fields.begin() + 1, fields.end())});
    }
    return order;
}

std::string OrderPath(const std::string& safety) {
    return safety + "\\" + kOrderName;
}

std::optional<std::vector<WrittenGeneration>> ReadOrder(FileSystem& fs, const std::string& safety,
                                                        const std::vector<std::string>& entries) {
    if (!Holds(entries, kOrderName)) return std::vector<WrittenGeneration>{};
    return DecodeOrder(fs.ReadFile(OrderPath(safety)));
}

// UTF-8 lines: the generation, its number, 1 for the first, then
// "restore", the slot and its name, or "undo" and the generation undone.
std::string EncodeActions(const std::vector<GenerationAction>& actions) {
    std::string bytes = std::string(kActionsHeader) + "\r\n";
    for (const GenerationAction& a : actions) {
        bytes += a.generation + "\t" + std::to_string(a.seq) + "\t" + (a.first ? "1" : "0");
        if (a.kind == GenerationAction::Kind::Restore) {
            std::string name = a.slotName;
            for (char& c : name)
                if (c == '\t' || c == '\r' || c == '\n') c = ' ';
            bytes += "\trestore\t" + std::to_string(a.slot) + "\t" + name;
        } else {
            bytes += "\tundo\t" + a.undone;
        }
        bytes += "\r\n";
    }
    return bytes;
}

std::optional<std::vector<GenerationAction>> DecodeActions(const std::string& bytes) {
    const std::optional<std::vector<std::string>> lines = Body(bytes, kActionsHeader);
    if (!lines) return std::nullopt;
    std::vector<GenerationAction> actions;
    auto number = [](const std::string& field, int low, int high) -> std::optional<int> {
        if (field.empty() || field.size() > 9 || field.find_first_not_of("0123456789") != std::string::npos ||
            (field.size() > 1 && field[0] == '0'))
            return std::nullopt;
        const int n = std::stoi(field);
        if (n < low || n > high) return std::nullopt;
        return n;
    };
    for (const std::string& line : *lines) {
        const std::vector<std::string> fields = Fields(line, '\t');
        GenerationAction a;
        const std::optional<int> seq = fields.size() >= 5 ? number(fields[1], 1, 999999999) : std::nullopt;
        if (!seq || !IsGenerationName(fields[0]) || (fields[2] != "0" && fields[2] != "1")) return std::nullopt;
        a.generation = fields[0];
        a.seq = *seq;
        a.first = fields[2] == "1";
        if (fields[3] == "restore" && fields.size() == 6) {
            const std::optional<int> slot = fields[4] == "-1" ? std::optional<int>(-1) : number(fields[4], 0, kSlotCount - 1);
            // The writer turns line ends in a name into spaces.
            if (!slot || fields[5].find_first_of("\r\n") != std::string::npos) return std::nullopt;
            a.slot = *slot;
            a.slotName = fields[5];
        } else if (fields[3] == "undo" && fields.size() == 5 && (fields[4].empty() || IsGenerationName(fields[4]))) {
            a.kind = GenerationAction::Kind::Undo;
            a.undone = fields[4];
        } else {
            return std::nullopt;
        }
        actions.push_back(std::move(a));
    }
    return actions;
}

std::vector<GenerationAction> ReadActions(FileSystem& fs, const std::string& safety,
                                          const std::vector<std::string>& entries) {
    std::string bytes;
    if (!Holds(entries, kActionsName) || FailureOf([&] { bytes = fs.ReadFile(safety + "\\" + kActionsName); })) return {};
    return DecodeActions(bytes).value_or(std::vector<GenerationAction>{});
}

void RecordAction(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries,
                  GenerationAction action) {
    std::vector<GenerationAction> actions;
    if (Holds(entries, kActionsName))
        actions = DecodeActions(fs.ReadFile(safety + "\\" + kActionsName)).value_or(std::vector<GenerationAction>{});
    std::erase_if(actions, [&](const GenerationAction& a) {
        return a.generation == action.generation || (!Holds(entries, a.generation) && !Holds(entries, StagingName(a.generation)));
    });
    action.seq = 1;
    for (const GenerationAction& a : actions) action.seq = std::max(action.seq, a.seq + 1);
    // Only into a folder that holds nothing of an earlier restore: one
    // that does may have lost its first already.
    action.first = std::none_of(entries.begin(), entries.end(), [](const std::string& name) {
        return StampOrder(name.substr(0, std::min(name.size(), name.find('.')))) || IsCharFileName(name);
    });
    actions.push_back(std::move(action));
    WriteWhole(fs, safety + "\\" + kActionsName, EncodeActions(actions));
}

void ForgetAction(FileSystem& fs, const std::string& safety, const std::string& generation) {
    const std::string path = safety + "\\" + kActionsName;
    FailureOf([&] {
        if (!FileExists(fs, path)) return;
        std::optional<std::vector<GenerationAction>> actions = DecodeActions(fs.ReadFile(path));
        if (!actions) return;
        std::erase_if(*actions, [&](const GenerationAction& a) { return a.generation == generation; });
        if (actions->empty())
            fs.RemoveFile(path);
        else
            WriteWhole(fs, path, EncodeActions(*actions));
    });
}

std::optional<std::vector<std::string>> DecodeChanged(const std::string& bytes) {
    std::optional<std::vector<std::string>> lines = Body(bytes, kChangedHeader);
    if (!lines) return std::nullopt;
    // Three plain names each: nothing in it may lead outside the store.
    for (const std::string& line : *lines) {
        const std::vector<std::string> names = Fields(line, '\\');
        if (names.size() != 3 || !std::all_of(names.begin(), names.end(), [](const std::string& n) { return IsPlainName(n); }))
            return std::nullopt;
    }
    return lines;
}

std::optional<std::vector<std::string>> ReadChanged(FileSystem& fs, const std::string& root) {
    std::string bytes;
    if (FailureOf([&] { bytes = fs.ReadFile(ChangedPath(root)); })) return std::nullopt;
    return DecodeChanged(bytes);
}

void MarkChanged(FileSystem& fs, const std::string& root, const std::string& safety) {
    const std::string relative = safety.substr(root.size() + 1);
    // Missing or not the program's: the start looks at every folder. One
    // that is there but cannot be read now fails the restore: the start
    // must not miss this folder.
    std::string bytes;
    try {
        bytes = fs.ReadFile(ChangedPath(root));
    } catch (const FileError&) {
        if (!FileExists(fs, ChangedPath(root)) && !Holds(Entries(fs, root), kChangedName)) return;
        throw;
    }
    std::optional<std::vector<std::string>> changed = DecodeChanged(bytes);
    if (!changed || std::find(changed->begin(), changed->end(), relative) != changed->end()) return;
    changed->push_back(relative);
    WriteWhole(fs, ChangedPath(root), EncodeChanged(*changed));
}

void WriteChanged(FileSystem& fs, const std::string& root, const std::vector<std::string>& relative) {
    FailureOf([&] { WriteWhole(fs, ChangedPath(root), EncodeChanged(relative)); });
}

// UTF-8 lines: the file, then where its previous contents are.
void RecordUntold(FileSystem& fs, const std::string& safety, const std::vector<KeptCopy>& kept) {
    std::vector<KeptCopy> all = ReadUntold(fs, safety);
    for (const KeptCopy& copy : kept)
        if (std::find_if(all.begin(), all.end(), [&](const KeptCopy& k) { return k.file == copy.file && k.copy == copy.copy; }) == all.end())
            all.push_back(copy);
    std::string bytes;
    for (const KeptCopy& copy : all) bytes += copy.file + "\r\n" + copy.copy + "\r\n";
    WriteWhole(fs, safety + "\\" + kUntoldName, bytes);
}

std::vector<KeptCopy> DecodeUntold(const std::string& bytes) {
    const std::vector<std::string> lines = CrLfLines(bytes);
    std::vector<KeptCopy> kept;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) kept.push_back({lines[i], lines[i + 1]});
    return kept;
}

std::vector<KeptCopy> ReadUntold(FileSystem& fs, const std::string& safety) {
    std::string bytes;
    if (!FileExists(fs, safety + "\\" + kUntoldName) || FailureOf([&] { bytes = fs.ReadFile(safety + "\\" + kUntoldName); }))
        return {};
    return DecodeUntold(bytes);
}

void ForgetUntold(FileSystem& fs, const std::string& safety) {
    if (FileExists(fs, safety + "\\" + kUntoldName)) FailureOf([&] { fs.RemoveFile(safety + "\\" + kUntoldName); });
}

// The folder as a player would type it: a doubled "\\" where two parts
// met names the same folder, but reads as a mistake. The two at the start
// of a network share's path stay.
std::string SafetyNote(const std::string& charFolder, std::span<const char* const> lines) {
    std::string note = kNoteMark;
    for (std::size_t i = 0; i < charFolder.size(); ++i)
        if (charFolder[i] != '\\' || i < 2 || note.back() != '\\') note += charFolder[i];
    note += "\r\n";
    for (const char* line : lines) note += std::string(line) + "\r\n";
    return note;
}

std::optional<std::string> NoteFolder(const std::string& bytes) {
    const std::string mark = kNoteMark;
    const std::vector<std::string> lines = CrLfLines(bytes);
    if (lines.empty() || !lines[0].starts_with(mark) || lines[0].size() <= mark.size() || lines[0].back() != '\\')
        return std::nullopt;
    return lines[0].substr(mark.size());
}

std::optional<std::string> Reworded(const std::string& note, std::span<const char* const> before,
                                    std::span<const char* const> now) {
    const std::size_t end = note.find("\r\n");
    if (end == std::string::npos) return std::nullopt;
    std::string lines;
    for (const char* line : before) lines += std::string(line) + "\r\n";
    if (before.empty() || note.substr(end + 2) != lines) return std::nullopt;
    std::string reworded = note.substr(0, end + 2);
    for (const char* line : now) reworded += std::string(line) + "\r\n";
    return reworded;
}

} // namespace telk
