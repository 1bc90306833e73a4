// Paths and DATA.INI of the slot store: where each slot lies, and its
// state label and name, read as far as the file gives them.

#include "store/SlotStore.h"

#include "platform/FileError.h"
#include "store/TextValues.h"

namespace telk {

std::string SlotFolderPath(const std::string& appFolder, int slot) {
    return appFolder + kStoreFolder + "\\" + std::to_string(slot) + "\\";
}

std::string SlotDataPath(const std::string& appFolder, int slot) {
    return SlotFolderPath(appFolder, slot) + kSlotDataFile;
}

std::string DefaultSlotName(int slot) {
    return "Slot" + std::to_string(slot);
}

// The slot rows show whatever a damaged or missing file still gives, so
// a failure here is an answer, not an error.
SlotData ReadSlotData(FileSystem& fs, TextCodec& codec, const std::string& slotFolder) {
    SlotData data;
    try {
        ValueReader reader = ReadValues(fs, codec, slotFolder + kSlotDataFile);
        if (reader.Read(data.label)) reader.Read(data.name);
    } catch (const FileError&) {
        // missing or unreadable: the row shows what was read
    }
    return data;
}

void WriteSlotData(FileSystem& fs, TextCodec& codec, const std::string& slotFolder,
                   const std::string& label, const std::string& name) {
    WriteValues(fs, codec, slotFolder + kSlotDataFile, {label, name});
}

} // namespace telk
