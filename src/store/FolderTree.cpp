#include "store/FolderTree.h"

#include <algorithm>

namespace telk {

namespace {

constexpr std::uint16_t kEverything = Attr::Folder | Attr::Hidden | Attr::System;

void RemoveContents(FileSystem& fs, const std::string& folder) {
    for (const std::string& name : Entries(fs, folder)) {
        const std::string path = folder + "\\" + name;
        if (IsRealFolder(fs, path)) {
            RemoveContents(fs, path);
            fs.RemoveFolder(path);
        } else {
            fs.RemoveFile(path);
        }
    }
}

} // namespace

// A link is never entered: whatever it points at is not ours to touch.
bool IsRealFolder(FileSystem& fs, const std::string& path) {
    return !fs.IsLink(path) && fs.CanEnterFolder(path);
}

bool FolderOrLinkAt(FileSystem& fs, const std::string& path) {
    return fs.IsLink(path) || fs.CanEnterFolder(path);
}

std::vector<std::string> Entries(FileSystem& fs, const std::string& folder) {
    std::vector<std::string> names = fs.List(folder + "\\*.*", kEverything);
    std::erase_if(names, [](const std::string& n) { return n == "." || n == ".."; });
    return names;
}

void RemoveTree(FileSystem& fs, const std::string& folder) {
    if (fs.IsLink(folder)) {
        fs.RemoveFile(folder);
        return;
    }
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
