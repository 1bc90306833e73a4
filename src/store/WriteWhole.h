// The program's own files are written beside themselves and renamed into
// place, so that a write cut short never leaves half a file.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace telk {

// A write that fails leaves the previous file whole. Throws FileError
// naming path.
void WriteWhole(FileSystem& fs, const std::string& path, const std::string& bytes);

} // namespace telk
