// The names of a safety folder's generations: "yyyy-mm-dd hh-mm-ss" by the
// restore's local time, " (n)" for the n-th of one second, and the names
// a generation takes while it is built.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace telk {

bool IsGenerationName(const std::string& name);
// The stamp, then the number within its second (1 for the first) in
// eight digits: generations by their names, as text; none when name is
// not a generation's.
std::optional<std::string> StampOrder(const std::string& name);
// stamp, else stamp + " (2)", " (3)" …: the first that no entry of a
// safety folder holds as a generation, its staging or its trash.
std::string FreeGenerationName(const std::vector<std::string>& entries, const std::string& stamp);
std::string StagingName(const std::string& generation);

} // namespace telk
