// A character's safety folder keeps one generation a restore: the files
// that restore replaced, in a folder named by the restore's local time.
// Generations are only ever added: built under a staging name, each file
// through a temporary name, and visible under their own name only whole;
// the oldest go, beyond the newest ten, by a rename before the removal.
// Files an older copy of the program kept straight in the safety folder
// are left as they are: the oldest generation, never pruned.
#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/TransferReport.h"

namespace telk {

// "yyyy-mm-dd hh-mm-ss", with " (n)" for the n-th of one second.
bool IsGenerationName(const std::string& name);
// stamp, else stamp + " (2)", " (3)" …: the first that no entry of a
// safety folder holds as a generation, its staging or its trash.
std::string FreeGenerationName(const std::vector<std::string>& entries, const std::string& stamp);
std::string StagingName(const std::string& generation);

// from's bytes into folder\name through a temporary name, so that name
// never holds part of a file. Throws FileError, the temporary file gone.
void PutWhole(FileSystem& fs, const std::string& from, const std::string& folder, const std::string& name);

// Only while no journal waits in safety, whose listing entries is: the
// newest kGenerationsKept complete generations stay. Never throws; what it
// cannot remove waits as trash, no longer a generation.
void PruneGenerations(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries);
// Only while no journal waits in safety, whose listing entries is: a
// staging folder keeps what it holds as the generation it was to be,
// files cut short on their way in and trash go. Throws FileError.
void TidyGenerations(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries);

// What settling a restore left as the client saved it, kept in safety
// until the player has been told. Throws FileError.
void RecordUntold(FileSystem& fs, const std::string& safety, const std::vector<KeptCopy>& kept);
// Never throw: a record that cannot be read now is told next time.
std::vector<KeptCopy> ReadUntold(FileSystem& fs, const std::string& safety);
void ForgetUntold(FileSystem& fs, const std::string& safety);

} // namespace telk
