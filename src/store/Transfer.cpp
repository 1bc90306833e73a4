// Back-up and restore. Windows has no call that replaces a set of files at
// once, so each direction builds one: the slot, being the program's own
// folder, is built anew beside itself and swapped in by two renames; the
// character folder belongs to the client and is never renamed, so its
// files are staged one by one beside their targets and swapped in with
// ReplaceFile, which keeps the old file until all of them are in.

#include "store/Transfer.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/FileError.h"
#include "store/FileRoutines.h"
#include "store/SlotStore.h"
#include "store/TextValues.h"

namespace telk {

namespace {

constexpr std::uint16_t kEverything = Attr::Folder | Attr::Hidden | Attr::System;
constexpr const char* kDataFileName = "data.ini";

std::string WithoutTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
    return folder;
}

bool SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

bool Holds(const std::vector<std::string>& names, const std::string& wanted) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, wanted); });
}

// A file the slot already has keeps its name as it stands on disk, as it
// did when the copy went over it in place.
std::string NameIn(const std::vector<std::string>& names, const std::string& wanted) {
    for (const std::string& n : names)
        if (SameName(n, wanted)) return n;
    return wanted;
}

// Every entry of folder (no trailing "\"), hidden ones too, less "." and "..".
std::vector<std::string> Entries(FileSystem& fs, const std::string& folder) {
    std::vector<std::string> names = fs.List(folder + "\\*.*", kEverything);
    std::erase_if(names, [](const std::string& n) { return n == "." || n == ".."; });
    return names;
}

// A sub-folder is first removed as it stands: on Windows that takes away a
// link (junction) to a folder elsewhere without reaching into it. Only a
// folder that is not empty is emptied first.
void RemoveTree(FileSystem& fs, const std::string& folder) {
    for (const std::string& name : Entries(fs, folder)) {
        const std::string path = folder + "\\" + name;
        if (!FolderExists(fs, path)) {
            fs.RemoveFile(path);
            continue;
        }
        try {
            fs.RemoveFolder(path);
        } catch (const FileError&) {
            RemoveTree(fs, path);
        }
    }
    fs.RemoveFolder(folder);
}

// Clean-up after a failure must not hide that failure; what it leaves,
// start-up repair removes.
void RemoveTreeQuietly(FileSystem& fs, const std::string& folder) {
    try {
        RemoveTree(fs, folder);
    } catch (const FileError&) {
    }
}

void CopyTree(FileSystem& fs, const std::string& from, const std::string& to) {
    fs.CreateFolder(to);
    for (const std::string& name : Entries(fs, from)) {
        const std::string source = from + "\\" + name;
        if (FolderExists(fs, source))
            CopyTree(fs, source, to + "\\" + name);
        else
            fs.CopyFile(source, to + "\\" + name);
    }
}

// slot names the slot folder without its trailing "\".
void RepairSlot(FileSystem& fs, const std::string& slot) {
    const std::string retired = slot + kRetiredSuffix;
    const std::string staging = slot + kStagingSuffix;
    if (FolderExists(fs, retired)) {
        try {
            if (FolderExists(fs, slot))
                RemoveTree(fs, retired); // the swap was done; only the clean-up is missing
            else
                fs.Rename(retired, slot); // cut off between the renames: the old slot is the truth
        } catch (const FileError&) {
        }
    }
    if (FolderExists(fs, staging)) RemoveTreeQuietly(fs, staging);
}

void RemoveFileQuietly(FileSystem& fs, const std::string& path) {
    try {
        fs.RemoveFile(path);
    } catch (const FileError&) {
    }
}

} // namespace

// The staging folder gets everything the slot holds that this back-up does
// not replace (an older uo.cfg, anything the user put there), then the new
// files, then DATA.INI; only a complete staging folder is swapped in.
void BackUpToSlot(FileSystem& fs, TextCodec& codec, const std::string& charFolder,
                  const std::string& slotFolder, const std::string& dateLine, const std::string& name) {
    const std::string slot = WithoutTrailingSeparators(slotFolder);
    const std::string staging = slot + kStagingSuffix;
    const std::string retired = slot + kRetiredSuffix;
    const std::string dataBytes = EncodeValues(codec, {dateLine, name});

    // Left over when an earlier back-up in this run could not clean up.
    RepairSlot(fs, slot);

    std::vector<std::string> incoming(kCharFiles.begin(), kCharFiles.end());
    if (FileExists(fs, charFolder + kOptionalCharFile)) incoming.push_back(kOptionalCharFile);

    // A slot folder removed behind the program's back is simply made anew.
    const bool slotExists = FolderExists(fs, slot);
    const std::vector<std::string> held = slotExists ? Entries(fs, slot) : std::vector<std::string>();

    fs.CreateFolder(staging);
    try {
        for (const std::string& entry : held) {
            if (Holds(incoming, entry) || SameName(entry, kDataFileName)) continue;
            const std::string source = slot + "\\" + entry;
            if (FolderExists(fs, source))
                CopyTree(fs, source, staging + "\\" + entry);
            else
                fs.CopyFile(source, staging + "\\" + entry);
        }
        for (const std::string& file : incoming)
            fs.CopyFile(charFolder + file, staging + "\\" + NameIn(held, file));
        fs.WriteFile(staging + "\\" + NameIn(held, kDataFileName), dataBytes);
    } catch (const FileError&) {
        RemoveTreeQuietly(fs, staging);
        throw;
    }

    if (!slotExists) {
        try {
            fs.Rename(staging, slot);
        } catch (const FileError&) {
            RemoveTreeQuietly(fs, staging);
            throw;
        }
        return;
    }

    try {
        fs.Rename(slot, retired);
    } catch (const FileError&) {
        RemoveTreeQuietly(fs, staging);
        throw;
    }
    try {
        fs.Rename(staging, slot);
    } catch (const FileError&) {
        try {
            fs.Rename(retired, slot);
        } catch (const FileError&) {
            // Start-up repair renames it back.
        }
        RemoveTreeQuietly(fs, staging);
        throw;
    }
    // The new slot is in place: the back-up has succeeded even if the old
    // folder cannot go now; start-up repair removes it.
    RemoveTreeQuietly(fs, retired);
}

// Nothing of the client's changes until every target has passed the check
// and every new file sits beside its target. A failure after that puts the
// replaced targets back from their backups; a backup that cannot be put
// back stays on disk rather than be lost.
void RestoreFromSlot(FileSystem& fs, const std::string& slotFolder, const std::string& charFolder) {
    std::vector<std::string> files(kCharFiles.begin(), kCharFiles.end());
    if (FileExists(fs, slotFolder + kOptionalCharFile)) files.push_back(kOptionalCharFile);

    const std::vector<std::string> present = Entries(fs, WithoutTrailingSeparators(charFolder));

    struct Item {
        std::string source, target, incoming, backup;
        bool existed = false;
        bool keepBackup = false;
    };
    std::vector<Item> items;
    for (const std::string& file : files) {
        Item item;
        item.source = slotFolder + file;
        item.target = charFolder + file;
        item.incoming = item.target + kIncomingSuffix;
        item.backup = item.target + kBackupSuffix;
        item.existed = Holds(present, file);
        items.push_back(item);
    }

    for (const Item& item : items) fs.CheckReplaceable(item.target);
    // Leftovers of a restore the system cut off would stand in the way, and
    // a stray backup would later pass for one of ours.
    for (const std::string& file : files) {
        if (Holds(present, file + kIncomingSuffix)) fs.RemoveFile(charFolder + file + kIncomingSuffix);
        if (Holds(present, file + kBackupSuffix)) fs.RemoveFile(charFolder + file + kBackupSuffix);
    }

    std::size_t replaced = 0;
    bool replacing = false;
    try {
        for (const Item& item : items) fs.CopyFile(item.source, item.incoming);
        replacing = true;
        for (; replaced < items.size(); ++replaced) {
            const Item& item = items[replaced];
            if (item.existed)
                fs.ReplaceFile(item.target, item.incoming, item.backup);
            else
                fs.Rename(item.incoming, item.target);
        }
    } catch (const FileError&) {
        for (std::size_t i = 0; i < replaced; ++i) {
            Item& item = items[i];
            try {
                if (item.existed)
                    fs.Rename(item.backup, item.target);
                else
                    fs.RemoveFile(item.target);
            } catch (const FileError&) {
                item.keepBackup = true;
            }
        }
        // A replace that failed half-way may have moved the target to its
        // backup already; no backup of ours existed before.
        if (replacing && replaced < items.size()) {
            Item& item = items[replaced];
            if (item.existed && FileExists(fs, item.backup)) {
                try {
                    fs.Rename(item.backup, item.target);
                } catch (const FileError&) {
                    item.keepBackup = true;
                }
            }
        }
        for (const Item& item : items) {
            if (FileExists(fs, item.incoming)) RemoveFileQuietly(fs, item.incoming);
            if (!item.keepBackup && FileExists(fs, item.backup)) RemoveFileQuietly(fs, item.backup);
        }
        throw;
    }
    for (const Item& item : items)
        if (item.existed) RemoveFileQuietly(fs, item.backup);
}

void RepairSlotStore(FileSystem& fs, const std::string& appFolder) {
    for (int slot = 0; slot < kSlotCount; ++slot)
        RepairSlot(fs, WithoutTrailingSeparators(SlotFolderPath(appFolder, slot)));
}

} // namespace telk
