// Paths as the player knows them from Explorer: the program joins paths
// with doubled "\" and its own spelling of names ("DESKTOP", "SETTINGS");
// a message shows each folder's name as it is on disk instead.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace telk {

// path with single separators and each name, from the root down, as its
// folder lists it; from the first name that is not there on, as given.
// Never throws.
std::string PathAsShown(FileSystem& fs, const std::string& path);

} // namespace telk
