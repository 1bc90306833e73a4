// A character's safety folder keeps one generation a restore: the files
// that restore replaced, in a folder named by the restore's local time.
// Their order is the order they were written, kept in restore.order, not
// the clock's: a restore made while the clock was behind is still the
// newest. Generations the record does not name are older than every one
// it does, and among themselves go by their names.
// Generations are only ever added: built under a staging name, each file
// through a temporary name, and visible under their own name only whole;
// of those the record names, the oldest go, beyond the newest ten, by a
// rename before the removal. One it does not name (an earlier version's,
// or a folder of the player's named like one) stays until the player
// removes it.
// Files an older copy of the program kept straight in the safety folder
// are left as they are: the oldest generation, never pruned.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/restore/GenerationNames.h"
#include "store/restore/Records.h"

namespace telk {

// Adds generation as the newest, dropping what names nothing that the
// safety folder's entries hold. Throws FileError, the record as it was.
void RecordWritten(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries,
                   const WrittenGeneration& generation);
// A generation that never became whole leaves the record (and the
// record, when nothing is left in it), and restore.actions too. Never throws; false when the
// record could not be rewritten (its line names nothing, and goes later).
bool ForgetWritten(FileSystem& fs, const std::string& safety, const std::string& generation);
// The complete generations among entries, the last written first; those
// the record does not name (all, when it is not the program's) after
// them, by name.
// Throws FileError when the record cannot be read.
std::vector<std::string> GenerationsNewestFirst(FileSystem& fs, const std::string& safety,
                                                const std::vector<std::string>& entries);

// from's bytes into folder\name through a temporary name, so that name
// never holds part of a file. Throws FileError, the temporary file gone.
void PutWhole(FileSystem& fs, const std::string& from, const std::string& folder, const std::string& name);

// Only while no journal waits in safety, whose listing entries is: of the
// generations restore.order names, the last written kGenerationsKept stay;
// the others are neither pruned nor counted. Never throws;
// false when something is left to do next time. Each goes out of sight
// under a name of the program's own, then is removed; a record it cannot
// read or that is not the program's keeps them all.
bool PruneGenerations(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries);
// Only while no journal waits in safety, whose listing entries is: a
// staging folder the record names keeps what it holds as the generation
// it was to be, files cut short on their way in go, and so does what
// pruning left under its own name. Folders that only look like these are
// not the program's and stay. Every step runs; false when one is left for
// next time. Full (the start) also drops the record's lines that name
// nothing; before a restore, that restore's own write drops them.
enum class Tidy { Quick, Full };
// Whether entries hold a name that tidying acts on: a staging folder's or
// pruning's own.
bool MayTidy(const std::vector<std::string>& entries);
bool TidyGenerations(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries,
                     Tidy tidy = Tidy::Full);

} // namespace telk
