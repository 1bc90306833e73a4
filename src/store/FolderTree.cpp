// Listing, copying and removing whole folders. A removal lists each folder
// once and asks only the entries the listing calls folders whether they
// are links, so that a link is removed as itself and never entered.

#include "store/FolderTree.h"

#include <algorithm>

namespace telk {

namespace {

constexpr std::uint16_t kEverything = Attr::Folder | Attr::Hidden | Attr::System;

std::vector<ListEntry> EntriesOf(FileSystem& fs, const std::string& folder) {
    std::vector<ListEntry> entries = fs.ListEntries(folder + "\\*.*", kEverything);
    std::erase_if(entries, [](const ListEntry& e) { return e.name == "." || e.name == ".."; });
    return entries;
}

// The listing tells files from folders: a file, or a link to one, goes as
// itself (RemoveFile never reaches through a link); only a folder is asked
// whether it is a link before it is entered.
void RemoveContents(FileSystem& fs, const std::string& folder) {
    for (const ListEntry& entry : EntriesOf(fs, folder)) {
        const std::string path = folder + "\\" + entry.name;
        if (entry.folder && !fs.IsLink(path)) {
            RemoveContents(fs, path);
            fs.RemoveFolder(path);
        } else {
            fs.RemoveFile(path);
        }
    }
}

} // namespace

std::vector<std::string> Entries(FileSystem& fs, const std::string& folder) {
    std::vector<std::string> names;
    for (ListEntry& entry : EntriesOf(fs, folder)) names.push_back(std::move(entry.name));
    return names;
}

// Fail: a folder that is missing, or cannot be entered, fails its listing.
void RemoveTree(FileSystem& fs, const std::string& folder, IfMissing ifMissing) {
    if (fs.IsLink(folder)) {
        fs.RemoveFile(folder);
        return;
    }
    if (ifMissing == IfMissing::Skip && !fs.CanEnterFolder(folder)) return;
    RemoveContents(fs, folder);
    fs.RemoveFolder(folder);
}

void CopyEntry(FileSystem& fs, const std::string& from, const std::string& to) {
    if (fs.IsLink(from)) {
        fs.CopyLink(from, to);
    } else if (fs.CanEnterFolder(from)) {
        fs.CreateFolder(to);
        for (const std::string& name : Entries(fs, from)) CopyEntry(fs, from + "\\" + name, to + "\\" + name);
    } else {
        fs.CopyFile(from, to);
    }
}

} // namespace telk
