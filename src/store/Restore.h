// The restore's side of start-up repair.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace telk {

// Finishes or undoes every restore whose journal is still in the safety
// folders, and removes an unfinished safety copy. Never throws.
void SettleRestores(FileSystem& fs, const std::string& appFolder);

} // namespace telk
