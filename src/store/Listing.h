// The fixed-size folder listing the windows fill their lists from, and the
// rule by which the main window's lists take their entries from it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "platform/FileSystem.h"

namespace telk {

// Index 0 stays empty; names at 1 to 100 in the platform's order.
using Listing = std::array<std::string, 101>;
// The mask every caller of ListFolder passes: sub-folders and files.
inline constexpr std::uint16_t kListMask = Attr::Folder;

// Lists pattern ("C:\x\*.*"). Names past the hundredth are dropped; a
// listing that fails gives all entries empty and, when failure is given,
// says why there. Never throws.
Listing ListFolder(FileSystem& fs, const std::string& pattern, std::uint16_t mask,
                   std::optional<FileError>* failure = nullptr);
// The list rule of the main window's lists: entries 3 to 12 of a listing,
// up to the first empty one.
std::vector<std::string> ListRuleEntries(const Listing& listing);

} // namespace telk
