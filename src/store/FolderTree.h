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

// A folder that is not a link: the only kind ever entered.
bool IsRealFolder(FileSystem& fs, const std::string& path);
// Whether a folder, or a link (even one whose target is gone), stands at path.
bool FolderOrLinkAt(FileSystem& fs, const std::string& path);

// Removes folder with all it holds. A link, the folder itself included, is
// removed as itself: what it points at is never entered. Throws FileError.
void RemoveTree(FileSystem& fs, const std::string& folder);
// The same for whatever of the two stands at folder; nothing when neither
// does.
void RemoveTreeIfThere(FileSystem& fs, const std::string& folder);
// Copies a file, a link as itself, or a folder with all it holds. Throws
// FileError.
void CopyEntry(FileSystem& fs, const std::string& from, const std::string& to);

} // namespace telk
