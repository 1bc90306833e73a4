// Where a restore keeps a character's files as it found them: one folder a
// character folder, whole path, below the store's BeforeRestore folder, so
// that a 2D and a 3D install with the same account, shard and character
// names never share one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/StoreNames.h"
#include "store/restore/Records.h"

namespace telk {

// AppFolder + "SETTINGS\BeforeRestore", no trailing "\".
std::string SafetyRoot(const std::string& appFolder);

// The safety folder of a character folder: SafetyRoot, then
// "\<account>\<shard>\<character>~<8 hex digits of the whole path>", no
// trailing "\". Each of the three names is one Windows keeps as written.
std::string SafetyFolderPath(const std::string& appFolder, const std::string& charFolder);

// The safety folder that belongs to charFolder: among SafetyFolderPath
// and "-2", "-3" … after it, the one whose note names charFolder; else
// one without a note that holds nothing but cut-off writes (a first
// restore cut off before its note leaves it so); else the first name
// not taken. One whose note names another folder, or is not a note of the
// program's, or that lost its note while holding a journal or
// generations, is the player's: passed by and never touched. note: the
// note's bytes, when there is one; seen: the folder's entries as the
// look-up listed them, none when it is not there, so that the caller need
// not ask again. Throws FileError when a note or the shard folder cannot
// be read: whose the folder is cannot be told then.
std::string FindSafetyFolder(FileSystem& fs, const std::string& appFolder, const std::string& charFolder,
                             std::optional<std::string>* note = nullptr,
                             std::optional<std::vector<std::string>>* seen = nullptr);

// Whether a safety folder without a note holds nothing but what a write
// cut off before its rename leaves: whose it is, nothing in it says.
bool MayBeTaken(const std::vector<std::string>& entries);
// Whether folder (below SafetyRoot) is one that FindSafetyFolder gives
// charFolder, and charFolder a character folder (its fourth name from the
// end "Desktop"): only then may a note or journal naming charFolder
// steer anything there.
bool IsSafetyFolderOf(const std::string& appFolder, const std::string& folder, const std::string& charFolder);
// Whether name is one that SafetyFolderPath or FindSafetyFolder gives:
// "<character>~<8 hex digits>", with "-<n>" (n > 1) after it.
bool IsSafetyFolderName(const std::string& name);

// Where copies of the program before the whole-path key kept it:
// SafetyRoot + "\<account>\<shard>\<character>".
std::string LegacySafetyFolderPath(const std::string& appFolder, const std::string& charFolder);

// Whether two spellings name the same character folder: case, "/" and
// doubled or trailing "\" aside.
bool SameCharFolder(const std::string& a, const std::string& b);

} // namespace telk
