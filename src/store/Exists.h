// The two existence tests the windows and the store share.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace telk {

// True when the file can be opened for reading. Never throws.
inline bool FileExists(FileSystem& fs, const std::string& path) {
    return fs.CanOpenForReading(path);
}
// True when the folder can be entered. Never throws; the current folder
// is the same afterwards.
inline bool FolderExists(FileSystem& fs, const std::string& path) {
    return fs.CanEnterFolder(path);
}

} // namespace telk
