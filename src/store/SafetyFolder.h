// Where a restore keeps a character's files as it found them: one folder a
// character folder, whole path, below the store's BeforeRestore folder, so
// that a 2D and a 3D install with the same account, shard and character
// names never share one.
#pragma once

#include <span>
#include <string>

#include "store/StoreNames.h"

namespace telk {

// AppFolder + "SETTINGS\BeforeRestore", no trailing "\".
std::string SafetyRoot(const std::string& appFolder);

// The safety folder of a character folder: SafetyRoot, then
// "\<account>\<shard>\<character>~<8 hex digits of the whole path>", no
// trailing "\". Each of the three names is one Windows keeps as written.
std::string SafetyFolderPath(const std::string& appFolder, const std::string& charFolder);

// Where copies of the program before the whole-path key kept it:
// SafetyRoot + "\<account>\<shard>\<character>".
std::string LegacySafetyFolderPath(const std::string& appFolder, const std::string& charFolder);

// Whether two spellings name the same character folder: case, "/" and
// doubled or trailing "\" aside.
bool SameCharFolder(const std::string& a, const std::string& b);

// The note's bytes for charFolder: a UTF-8 mark, the folder, then each
// of the caller's lines, every line ended by CR LF.
std::string SafetyNote(const std::string& charFolder, std::span<const char* const> lines);

} // namespace telk
