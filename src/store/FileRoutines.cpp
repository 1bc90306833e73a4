// The shared file and folder routines.

#include "store/FileRoutines.h"

#include "store/Settings.h"

namespace telk {

bool FileExists(FileSystem& fs, const std::string& path) {
    return fs.CanOpenForReading(path);
}

bool FolderExists(FileSystem& fs, const std::string& path) {
    return fs.CanEnterFolder(path);
}

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

// Entries 1 and 2 are the folder's "." and ".." on an ordinary folder and
// are passed over unseen, as the lists always did.
std::vector<std::string> ListRuleEntries(const Listing& listing) {
    std::vector<std::string> entries;
    for (int i = 1; i <= 10; ++i) {
        const std::string& name = listing[static_cast<std::size_t>(i + 2)];
        if (name.empty()) break;
        entries.push_back(name);
    }
    return entries;
}

std::string CharFolderPath(const std::string& uoFolder, const std::string& account, const std::string& shard,
                           const std::string& character) {
    return uoFolder + "\\DESKTOP\\" + account + "\\" + shard + "\\" + character + "\\";
}

bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}

bool CharFilesExist(FileSystem& fs, const std::string& folder) {
    for (const char* name : kCharFiles)
        if (!FileExists(fs, folder + name)) return false;
    return true;
}

bool SaveSettings(FileSystem& fs, TextCodec& codec, const ProgramState& state) {
    return WriteSettings(fs, codec, state.Client2DPath, state.Client3DPath, state.UoFolder);
}

} // namespace telk
