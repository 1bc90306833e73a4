// Where a character's folder lies and whether a folder holds a character's
// files: the answer comes from the folder's listing, hidden entries too,
// never from opening a file the client may hold.

#include "store/CharFiles.h"

#include <algorithm>

#include "platform/PathText.h"

namespace telk {

std::string CharFolderPath(const std::string& uoFolder, const std::string& account, const std::string& shard,
                           const std::string& character) {
    return uoFolder + "\\" + kDesktopFolder + "\\" + account + "\\" + shard + "\\" + character + "\\";
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

std::vector<std::string> CharFileNames() {
    std::vector<std::string> names(kCharFiles.begin(), kCharFiles.end());
    names.push_back(kOptionalCharFile);
    return names;
}

bool IsCharFileName(const std::string& name) {
    for (const char* file : kCharFiles)
        if (SameNameNoCase(name, file)) return true;
    return SameNameNoCase(name, kOptionalCharFile);
}

bool HoldsCharFiles(const std::vector<std::string>& files) {
    return std::all_of(kCharFiles.begin(), kCharFiles.end(), [&](const char* name) { return Holds(files, name); });
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
        if (failure && fs.CanEnterFolder(folder)) failure->emplace(e);
        return false;
    }
    return HoldsCharFiles(files);
}

} // namespace telk
