// Back-up into a slot. The slot is the program's own folder, so it is
// built anew beside itself and swapped in by two renames; what a crash or
// a failed rename leaves, the repair settles from what the folders hold.

#include "store/Transfer.h"

#include <algorithm>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/restore/Restore.h"
#include "store/restore/StartScan.h"
#include "store/SlotStore.h"
#include "store/TextValues.h"

namespace telk {

namespace {

// slot names the slot folder without its trailing "\".
struct SlotPaths {
    explicit SlotPaths(const std::string& slotFolder)
        : slot(WithoutTrailingSeparators(slotFolder)), staging(slot + kStagingSuffix), retired(slot + kRetiredSuffix) {}
    std::string slot, staging, retired;
};

// What a finished back-up leaves: DATA.INI, written last, and the four files.
bool IsCompleteSlot(FileSystem& fs, const std::string& folder) {
    std::vector<std::string> files;
    try {
        files = FilesIn(fs, folder + "\\");
    } catch (const FileError&) {
        return false; // nothing proves it complete
    }
    return Holds(files, kSlotDataFile) && HoldsCharFiles(files);
}

bool HoldsAnyCharFile(FileSystem& fs, const std::string& folder) {
    const std::vector<std::string> files = FilesIn(fs, folder + "\\");
    return Holds(files, kOptionalCharFile) ||
           std::any_of(kCharFiles.begin(), kCharFiles.end(), [&](const char* name) { return Holds(files, name); });
}

// Decides from what the folders hold, never from which of them exist: a
// slot that a failed start made anew must not pass for a finished swap.
// Throws FileError when a step fails; everything is then still there.
// A link counts as there even when its target is gone, and is only ever
// renamed or removed as itself. Answers false when nothing tells which
// folder holds the truth, so that both stay for the player to choose.
bool RepairSlot(FileSystem& fs, const SlotPaths& p) {
    bool decided = true;
    if (IsFolderOrLink(fs, p.retired)) {
        if (!IsFolderOrLink(fs, p.slot)) {
            fs.Rename(p.retired, p.slot); // cut off between the renames
        } else if (IsCompleteSlot(fs, p.slot)) {
            RemoveTree(fs, p.retired, IfMissing::Fail); // the swap was done; only the clean-up is missing
        } else if (IsCompleteSlot(fs, p.retired)) {
            RemoveTree(fs, p.slot, IfMissing::Fail); // a stand-in made while the old slot waited
            fs.Rename(p.retired, p.slot);
        } else if (!HoldsAnyCharFile(fs, p.retired)) {
            RemoveTree(fs, p.retired, IfMissing::Fail); // an unused slot: nothing of a character's
        } else {
            decided = false;
        }
    }
    RemoveTree(fs, p.staging, IfMissing::Skip); // the slot or its old self holds the truth
    return decided;
}

// The new slot gets everything the slot holds that this back-up does not
// replace (an older uo.cfg, anything the user put there), then the new
// files, then DATA.INI; only a complete staging folder is swapped in.
void BuildStaging(FileSystem& fs, const SlotPaths& p, bool slotExists, const std::string& charFolder,
                  const std::vector<std::string>& incoming, const std::string& dataBytes) {
    const std::vector<std::string> inSlot = slotExists ? Entries(fs, p.slot) : std::vector<std::string>();
    // A file the slot already has keeps its name as it stands on disk.
    auto nameInSlot = [&](const std::string& wanted) {
        for (const std::string& n : inSlot)
            if (SameNameNoCase(n, wanted)) return n;
        return wanted;
    };
    fs.CreateFolder(p.staging);
    try {
        for (const std::string& entry : inSlot) {
            if (!Holds(incoming, entry) && !SameNameNoCase(entry, kSlotDataFileWritten))
                CopyEntry(fs, p.slot + "\\" + entry, p.staging + "\\" + entry);
        }
        for (const std::string& file : incoming) fs.CopyFile(charFolder + file, p.staging + "\\" + nameInSlot(file));
        fs.WriteFile(p.staging + "\\" + nameInSlot(kSlotDataFileWritten), dataBytes);
    } catch (const FileError&) {
        // The failure is what the player hears of; start-up repair removes
        // a staging folder that stays.
        FailureOf([&] { RemoveTree(fs, p.staging, IfMissing::Fail); });
        throw;
    }
}

// Slot -> old, staging -> slot. If the second rename fails the old slot
// goes back; if that fails too it stays as it is under its ".old" name,
// which start-up repair renames back, and the user is told where it is.
void SwapIn(FileSystem& fs, const SlotPaths& p, bool slotExists) {
    try {
        if (slotExists) fs.Rename(p.slot, p.retired);
    } catch (const FileError&) {
        FailureOf([&] { RemoveTree(fs, p.staging, IfMissing::Fail); });
        throw;
    }
    try {
        fs.Rename(p.staging, p.slot);
    } catch (const FileError& e) {
        FailureOf([&] { RemoveTree(fs, p.staging, IfMissing::Fail); });
        if (!slotExists) throw;
        try {
            fs.Rename(p.retired, p.slot);
        } catch (const FileError&) {
            throw RollbackFailed(e, {{p.slot, p.retired}});
        }
        throw;
    }
}

} // namespace

void BackUpToSlot(FileSystem& fs, TextCodec& codec, const std::string& appFolder, const std::string& charFolder,
                  const std::string& slotFolder, const std::string& dateLine, const std::string& name) {
    const SlotPaths p(slotFolder);
    // Left over when an earlier back-up in this run could not clean up; a
    // slot whose old self cannot be put back is not backed up into.
    // Still there when nothing told which folder is the truth: putting it
    // back fails while the slot stands in the way, and says why.
    if (!RepairSlot(fs, p)) fs.Rename(p.retired, p.slot);
    // The swap renames the slot folder: a link would become a plain folder
    // and stop reaching where the player pointed it.
    if (fs.IsLink(p.slot)) throw LinkedSlot(p.slot);
    // Half a restore would be backed up as a set; a whole one whose
    // previous files wait beside it is the set the player has.
    try {
        SettlePendingRestore(fs, appFolder, charFolder);
    } catch (const PreviousFilesWait&) {
        // The window has told the player where those wait.
    }

    std::vector<std::string> incoming(kCharFiles.begin(), kCharFiles.end());
    if (Holds(FilesIn(fs, charFolder), kOptionalCharFile)) incoming.push_back(kOptionalCharFile);
    // A slot folder removed behind the program's back is simply made anew,
    // and so is the store around it.
    const bool slotExists = fs.CanEnterFolder(p.slot);
    const std::string store = appFolder + kStoreFolderName;
    if (!slotExists && !fs.CanEnterFolder(store)) fs.CreateFolder(store);

    BuildStaging(fs, p, slotExists, charFolder, incoming, EncodeValues(codec, {dateLine, name}));
    SwapIn(fs, p, slotExists);
    // The new slot is in place: the back-up has succeeded even if the old
    // folder cannot go now; start-up repair removes it.
    if (slotExists) FailureOf([&] { RemoveTree(fs, p.retired, IfMissing::Fail); });
}

bool SlotAwaitsRepair(FileSystem& fs, const std::string& slotFolder) {
    return IsFolderOrLink(fs, SlotPaths(slotFolder).retired);
}

RepairReport RepairSlotStore(FileSystem& fs, const std::string& appFolder) {
    RepairReport report;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const SlotPaths p(SlotFolderPath(appFolder, slot));
        bool decided = true;
        try {
            decided = RepairSlot(fs, p);
        } catch (const FileError&) {
            // Told below: the old slot is still there.
        }
        if (IsFolderOrLink(fs, p.retired)) (decided ? report.waiting : report.undecided).push_back({p.slot, p.retired});
    }
    SettleRestores(fs, appFolder, report);
    return report;
}

} // namespace telk
