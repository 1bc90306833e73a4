// The shared file and folder routines.

#include "store/FileRoutines.h"

#include <algorithm>

#include "platform/PathText.h"
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

std::vector<std::string> FilesIn(FileSystem& fs, const std::string& folder) {
    std::vector<std::string> files;
    for (ListEntry& entry : fs.ListEntries(folder + "*.*", Attr::Folder | Attr::Hidden | Attr::System))
        if (!entry.folder) files.push_back(std::move(entry.name));
    return files;
}

// A file the running client holds without sharing cannot be opened, but
// it is there: only the listing tells "missing" from "held".
bool CharFilesExist(FileSystem& fs, const std::string& folder, std::optional<FileError>* failure) {
    if (failure) failure->reset();
    std::vector<std::string> files;
    try {
        files = FilesIn(fs, folder);
    } catch (const FileError& e) {
        // A folder that is not there holds no files; one that is, may.
        if (failure && FolderExists(fs, folder)) failure->emplace(e);
        return false;
    }
    return HoldsCharFiles(files);
}

bool HoldsCharFiles(const std::vector<std::string>& files) {
    return std::all_of(kCharFiles.begin(), kCharFiles.end(), [&](const char* name) { return Holds(files, name); });
}

bool SaveSettings(FileSystem& fs, TextCodec& codec, const ProgramState& state) {
    return WriteSettings(fs, codec, state.Client2DPath, state.Client3DPath, state.UoFolder);
}

} // namespace telk
