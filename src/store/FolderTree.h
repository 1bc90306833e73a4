// Whole folders as the transfers handle them: listed with hidden entries,
// copied and removed without ever following a link or junction, and names
// compared without regard to case.
#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace telk {

// Every entry of folder (no trailing "\"), hidden ones too, less "." and "..".
std::vector<std::string> Entries(FileSystem& fs, const std::string& folder);

// What RemoveTree does when no folder that can be entered, and no link,
// stands at folder.
enum class IfMissing { Fail, Skip };
// Removes folder with all it holds. A link, the folder itself included, is
// removed as itself: what it points at is never entered. Throws FileError.
void RemoveTree(FileSystem& fs, const std::string& folder, IfMissing ifMissing);
// Copies a file, a link as itself, or a folder with all it holds. Throws
// FileError.
void CopyEntry(FileSystem& fs, const std::string& from, const std::string& to);

} // namespace telk
