// The shared file and folder routines the windows call: existence tests,
// the fixed-size folder listing, the character-file test and the writer of
// the settings file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/TextCodec.h"
#include "store/ProgramState.h"

namespace telk {

// The four files that make a folder a character's, in the order tested
// and copied; "uo.cfg" goes along when present.
inline constexpr std::array<const char*, 4> kCharFiles = {"chardata.mul", "desktop.uos", "macros.txt",
                                                          "skillgrp.mul"};
inline constexpr const char* kOptionalCharFile = "uo.cfg";

// Index 0 stays empty; names at 1 to 100 in the platform's order.
using Listing = std::array<std::string, 101>;
// The mask every caller of ListFolder passes: sub-folders and files.
inline constexpr std::uint16_t kListMask = Attr::Folder;

// True when the file can be opened for reading. Never throws.
bool FileExists(FileSystem& fs, const std::string& path);
// True when the folder can be entered. Never throws; the current folder
// is the same afterwards.
bool FolderExists(FileSystem& fs, const std::string& path);
// Lists pattern ("C:\x\*.*"). Names past the hundredth are dropped; a
// listing that fails gives all entries empty and, when failure is given,
// says why there. Never throws.
Listing ListFolder(FileSystem& fs, const std::string& pattern, std::uint16_t mask,
                   std::optional<FileError>* failure = nullptr);
// The list rule of the main window's lists: entries 3 to 12 of a listing,
// up to the first empty one.
std::vector<std::string> ListRuleEntries(const Listing& listing);
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
// Whether a listing's files hold all four character files.
bool HoldsCharFiles(const std::vector<std::string>& files);
// True when the four character files are in folder (ending in "\"), as
// its listing shows them. Never throws: a folder that is there but cannot
// be listed gives false and, when failure is given, says why there.
bool CharFilesExist(FileSystem& fs, const std::string& folder, std::optional<FileError>* failure = nullptr);
// Writes telk.ini anew: Client2DPath, Client3DPath, UoFolder. Answers, as
// WriteSettings, whether every path went in whole. Throws FileError.
bool SaveSettings(FileSystem& fs, TextCodec& codec, const ProgramState& state);

} // namespace telk
