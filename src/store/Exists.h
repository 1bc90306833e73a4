// What stands at a path, for the questions the windows and the store ask:
// whether a file can be read, and whether a folder is there as itself or
// only as a link. Whether a folder can be entered is FileSystem's own
// CanEnterFolder. None of them throws.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace telk {

// True when the file can be opened for reading.
inline bool FileExists(FileSystem& fs, const std::string& path) {
    return fs.CanOpenForReading(path);
}
// A folder that can be entered and is not a link: the only kind the
// store ever enters, since what a link points at is not its to touch.
inline bool IsFolderNotLink(FileSystem& fs, const std::string& path) {
    // Most often asked of a folder that is not there: one question then.
    return fs.CanEnterFolder(path) && !fs.IsLink(path);
}
// Whether a folder, or a link (even one whose target is gone), stands at
// path: something that a rename or a removal must reckon with.
inline bool IsFolderOrLink(FileSystem& fs, const std::string& path) {
    return fs.IsLink(path) || fs.CanEnterFolder(path);
}

} // namespace telk
