// The slot store: the folder "Settings" in AppFolder with the five slot
// folders "0" to "4", each holding DATA.INI (state label, slot name) and
// the saved character files.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/TextCodec.h"
#include "store/StoreNames.h"

namespace telk {

// First line of a slot that never received a back-up ("not used yet").
inline constexpr const char* kUnusedLabel = "未使用";

// AppFolder + "SETTINGS\" + digit + "\".
std::string SlotFolderPath(const std::string& appFolder, int slot);
// AppFolder + "SETTINGS\" + digit + "\DATA.INI".
std::string SlotDataPath(const std::string& appFolder, int slot);
// "Slot0" to "Slot4".
std::string DefaultSlotName(int slot);

struct SlotData {
    std::string label;
    std::string name;
};

// What DATA.INI in slotFolder (with its trailing "\") holds; a missing or
// short file leaves the rest empty. Never throws.
SlotData ReadSlotData(FileSystem& fs, TextCodec& codec, const std::string& slotFolder);
// Writes DATA.INI in slotFolder anew (beside itself, then renamed into
// place). Throws FileError.
void WriteSlotData(FileSystem& fs, TextCodec& codec, const std::string& slotFolder,
                   const std::string& label, const std::string& name);

} // namespace telk
