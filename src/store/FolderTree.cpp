#include "store/FolderTree.h"

#include <algorithm>

#include "platform/FileError.h"
#include "store/FileRoutines.h"
#include "store/Transfer.h"

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
    return !fs.IsLink(path) && FolderExists(fs, path);
}

bool FolderOrLinkAt(FileSystem& fs, const std::string& path) {
    return fs.IsLink(path) || FolderExists(fs, path);
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
    } else if (FolderExists(fs, from)) {
        fs.CreateFolder(to);
        for (const std::string& name : Entries(fs, from)) CopyEntry(fs, from + "\\" + name, to + "\\" + name);
    } else {
        fs.CopyFile(from, to);
    }
}

void RemoveTreeQuietly(FileSystem& fs, const std::string& folder) {
    try {
        RemoveTree(fs, folder);
    } catch (const FileError&) {
    }
}

void RemoveFileQuietly(FileSystem& fs, const std::string& path) {
    try {
        fs.RemoveFile(path);
    } catch (const FileError&) {
    }
}

void WriteWhole(FileSystem& fs, const std::string& path, const std::string& bytes) {
    const std::string fresh = path + kIncomingSuffix;
    try {
        fs.WriteFile(fresh, bytes);
        fs.Rename(fresh, path);
    } catch (const FileError& e) {
        // Nothing was written there, or it is beyond saving.
        RemoveFileQuietly(fs, fresh);
        // The user knows the file by its own name.
        throw FileError(e.Operation(), path, e.SystemMessage(), e.Code(), e.Cause());
    }
}

} // namespace telk
