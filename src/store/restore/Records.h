// The small records a restore keeps beside the generations, each read by
// one rule of CR LF lines: restore.order (the generations in the order
// written), restore.changed (the safety folders the next start looks
// at), restore.untold (what settling left as the client saved it) and
// the note naming a safety folder's character folder. Each reader takes
// only what the writer writes: the bytes may have been copied in from
// anywhere.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/TransferReport.h"

namespace telk {

// One line of restore.order: a generation, and the character files its
// restore added (not there before, so an undo takes them away).
struct WrittenGeneration {
    std::string name;
    std::vector<std::string> added;
    bool operator==(const WrittenGeneration&) const = default;
};

std::string EncodeOrder(const std::vector<WrittenGeneration>& order);
// None when the bytes are not a record of the program's.
std::optional<std::vector<WrittenGeneration>> DecodeOrder(const std::string& bytes);
std::string OrderPath(const std::string& safety);
// The record in safety: empty when there is none, none when its bytes
// are not the program's. Throws FileError when it cannot be read.
std::optional<std::vector<WrittenGeneration>> ReadOrder(FileSystem& fs, const std::string& safety,
                                                        const std::vector<std::string>& entries);

// What wrote a generation, in restore.actions beside them: a restore of
// a slot (its name as the slot's row showed it then), or an undo back to
// before another generation. seq counts the generations written into the
// safety folder, so a gap says one between was pruned; first marks the one
// written into a folder that held none: the character's files from before
// any restore, which pruning keeps for good.
struct GenerationAction {
    enum class Kind { Restore, Undo };
    std::string generation = std::string();
    int seq = 0;
    bool first = false;
    Kind kind = Kind::Restore;
    int slot = -1;                       // a restore's; -1: not a slot of the store
    std::string slotName = std::string(); // a restore's
    std::string undone = std::string();   // an undo's: the generation it went back before; empty: the older copy's files
    bool operator==(const GenerationAction&) const = default;
};

std::string EncodeActions(const std::vector<GenerationAction>& actions);
// None when the bytes are not a record of the program's.
std::optional<std::vector<GenerationAction>> DecodeActions(const std::string& bytes);
// The record in safety, or none when there is none, it cannot be read or
// is not the program's. Never throws.
std::vector<GenerationAction> ReadActions(FileSystem& fs, const std::string& safety,
                                          const std::vector<std::string>& entries);
// Adds action for its generation (seq and first as the record and the
// folder's entries make them), dropping lines that name nothing entries
// hold. Throws FileError, the record as it was.
void RecordAction(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries,
                  GenerationAction action);

// A generation that never became whole: its line goes (and the record,
// when nothing is left in it).
// Never throws: a line left names nothing, and goes with the next write.
void ForgetAction(FileSystem& fs, const std::string& safety, const std::string& generation);

// The safety folders that the next start looks at, each as
// "<account>\<shard>\<folder>" below root (SafetyRoot); none when the
// bytes are not the program's.
std::optional<std::vector<std::string>> DecodeChanged(const std::string& bytes);
// None when there is no record, or none of the program's: the start then
// looks at every folder. Never throws.
std::optional<std::vector<std::string>> ReadChanged(FileSystem& fs, const std::string& root);
// Adds safety (a folder below root) to a record there is: without one the
// start looks at every folder anyway. Throws FileError.
void MarkChanged(FileSystem& fs, const std::string& root, const std::string& safety);
// The record anew. Never throws: a record not written is looked past.
void WriteChanged(FileSystem& fs, const std::string& root, const std::vector<std::string>& relative);

// What settling a restore left as the client saved it, kept in safety
// until the player has been told. Throws FileError.
void RecordUntold(FileSystem& fs, const std::string& safety, const std::vector<KeptCopy>& kept);
// Never throw: a record that cannot be read now is told next time.
std::vector<KeptCopy> DecodeUntold(const std::string& bytes);
std::vector<KeptCopy> ReadUntold(FileSystem& fs, const std::string& safety);
void ForgetUntold(FileSystem& fs, const std::string& safety);

// The note's bytes for charFolder: a UTF-8 mark, the folder, then each
// of the caller's lines, every line ended by CR LF.
std::string SafetyNote(const std::string& charFolder, std::span<const char* const> lines);
// The character folder a note names, when the bytes are a note of the
// program's: the UTF-8 mark, then the folder ending in "\".
std::optional<std::string> NoteFolder(const std::string& bytes);
// note with the lines below its folder line as now, when they are
// exactly those of before (an earlier wording); else none: a note the
// player edited stays as it is.
std::optional<std::string> Reworded(const std::string& note, std::span<const char* const> before,
                                    std::span<const char* const> now);

} // namespace telk
