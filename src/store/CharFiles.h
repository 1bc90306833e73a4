// A character's folder in the client's account tree, and the test that a
// folder holds a character's files.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "store/StoreNames.h"

namespace telk {

// UoFolder + "\DESKTOP\" + account + "\" + shard + "\" + character + "\":
// the folder of the character the main window's lists name.
std::string CharFolderPath(const std::string& uoFolder, const std::string& account, const std::string& shard,
                           const std::string& character);
// True when name names one folder inside another: not empty, not "." or
// "..", and free of "\", "/" and ":".
bool IsPlainName(const std::string& name);
// The files (not folders) that folder (ending in "\") lists, hidden ones
// too: whether a file is there, whoever holds it open. Throws FileError
// when the folder cannot be listed.
std::vector<std::string> FilesIn(FileSystem& fs, const std::string& folder);
// The four character files, then the optional fifth, as the program
// spells them.
std::vector<std::string> CharFileNames();
// Whether name is one of them, case aside: the only names a record may
// make the program touch in a character folder.
bool IsCharFileName(const std::string& name);
// Whether a listing's files hold all four character files.
bool HoldsCharFiles(const std::vector<std::string>& files);
// True when the four character files are in folder (ending in "\"), as
// its listing shows them. Never throws: a folder that is there but cannot
// be listed gives false and, when failure is given, says why there.
bool CharFilesExist(FileSystem& fs, const std::string& folder, std::optional<FileError>* failure = nullptr);

} // namespace telk
