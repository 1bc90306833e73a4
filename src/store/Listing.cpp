// The fixed-size listing the windows fill their lists from, and the list
// rule of the main window: what a failed listing leaves, and which entries
// the lists take.

#include "store/Listing.h"

namespace telk {

// Index 0 is never filled and the names run from 1; the listing is read to
// its end, but only the first hundred names have a place.
Listing ListFolder(FileSystem& fs, const std::string& pattern, std::uint16_t mask,
                   std::optional<FileError>* failure) {
    Listing listing;
    if (failure) failure->reset();
    try {
        std::vector<std::string> names = fs.List(pattern, mask);
        for (std::size_t i = 0; i < names.size() && i + 1 < listing.size(); ++i)
            listing[i + 1] = std::move(names[i]);
    } catch (const FileError& e) {
        listing.fill(std::string());
        if (failure) failure->emplace(e);
    }
    return listing;
}

// Entries 1 and 2 are taken to be the folder's "." and "..", which an
// ordinary folder lists first, and are passed over unseen whatever they
// are; so is everything past the twelfth entry.
std::vector<std::string> ListRuleEntries(const Listing& listing) {
    std::vector<std::string> entries;
    for (int i = 1; i <= 10; ++i) {
        const std::string& name = listing[static_cast<std::size_t>(i + 2)];
        if (name.empty()) break;
        entries.push_back(name);
    }
    return entries;
}

} // namespace telk
