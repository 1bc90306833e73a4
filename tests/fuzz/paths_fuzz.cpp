// The joined paths: the character folder the lists name, the slot folders
// and the safety folder of a restore. The input is six lines: the client's
// install folder, account, shard, character, the program's folder, and a
// character folder as a journal or a caller may hand it over.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "store/CharFiles.h"
#include "store/restore/SafetyFolder.h"
#include "store/SlotStore.h"

using namespace telk;
using namespace telk::fuzz;

namespace {

// Paths are compared as the file system does, without regard to case.
bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// Exactly three plain names below the store's BeforeRestore folder, each
// one that Windows keeps as written (no trailing dot or space).
void CheckSafetyFolder(const std::string& appFolder, const std::string& safety) {
    const std::string root = appFolder + "SETTINGS\\BeforeRestore\\";
    FUZZ_CHECK(safety.compare(0, root.size(), root) == 0);
    const std::vector<std::string> names = Split(safety.substr(root.size()), '\\');
    FUZZ_CHECK(names.size() == 3);
    for (const std::string& name : names) {
        FUZZ_CHECK(IsPlainName(name));
        FUZZ_CHECK(name.back() != '.' && name.back() != ' ');
        FUZZ_CHECK(name.find_first_of("<>:\"|?*") == std::string::npos);
    }
    for (int slot = 0; slot < kSlotCount; ++slot)
        FUZZ_CHECK(!StartsWithNoCase(safety + "\\", SlotFolderPath(appFolder, slot)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> lines = Split(std::string(reinterpret_cast<const char*>(data), size), '\n');
    lines.resize(6);
    const std::string& uoFolder = lines[0];
    const std::string& account = lines[1];
    const std::string& shard = lines[2];
    const std::string& character = lines[3];
    const std::string& appFolder = lines[4];
    const std::string& handedOver = lines[5];

    const std::string charFolder = CharFolderPath(uoFolder, account, shard, character);
    CheckSafetyFolder(appFolder, SafetyFolderPath(appFolder, charFolder));
    CheckSafetyFolder(appFolder, SafetyFolderPath(appFolder, handedOver));

    if (IsPlainName(account) && IsPlainName(shard) && IsPlainName(character)) {
        const std::string desktop = uoFolder + "\\DESKTOP\\";
        FUZZ_CHECK(charFolder.compare(0, desktop.size(), desktop) == 0);
        FUZZ_CHECK(Split(charFolder.substr(desktop.size()), '\\') ==
                   (std::vector<std::string>{account, shard, character, ""}));
        // One safety folder a character folder, the same for every spelling.
        std::string upper = charFolder;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        const std::string safety = SafetyFolderPath(appFolder, charFolder);
        const std::string spelt = SafetyFolderPath(appFolder, upper + "\\");
        FUZZ_CHECK(safety.size() == spelt.size() && StartsWithNoCase(safety, spelt));
    }

    for (int slot = 0; slot < kSlotCount; ++slot) {
        const std::string folder = SlotFolderPath(appFolder, slot);
        FUZZ_CHECK(folder == appFolder + "SETTINGS\\" + std::to_string(slot) + "\\");
        FUZZ_CHECK(SlotDataPath(appFolder, slot) == folder + "DATA.INI");
    }
    return 0;
}
