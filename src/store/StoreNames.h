// The names of the program's files and folders, and of the client's that
// it touches, each spelled here once. Names are compared without regard
// to case, as Windows does; where two spellings stand for one name, a file
// on disk keeps the one it was made with.
#pragma once

#include <array>

namespace telk {

// The slot store in AppFolder: made as "Settings", addressed as "SETTINGS".
inline constexpr const char* kStoreFolderName = "Settings";
inline constexpr const char* kStoreFolder = "SETTINGS";
inline constexpr int kSlotCount = 5;
// A slot's data file: made by the start as "DATA.INI", written by a
// back-up as "data.ini"; the same file either way.
inline constexpr const char* kSlotDataFile = "DATA.INI";
inline constexpr const char* kSlotDataFileWritten = "data.ini";

// In the store: the safety folders, under <account>\<shard>.
inline constexpr const char* kSafetyFolderName = "BeforeRestore";
// In a safety folder: the character folder it belongs to, for the player
// who looks for the right one by hand (UTF-8, so that every name is kept).
inline constexpr const char* kSafetyNoteName = "キャラのフォルダ.txt";
// In BeforeRestore: the safety folders a start has to look at, since a
// restore changed them or something in them waits.
inline constexpr const char* kChangedName = "restore.changed";
// In a character's safety folder while a restore changes the character.
inline constexpr const char* kJournalName = "restore.journal";
// In a character's safety folder: files that settling an interrupted
// restore left as the client saved them, until the player has been told.
inline constexpr const char* kUntoldName = "restore.untold";
// In a character's safety folder: the generations in the order they were
// written, each with the files its restore added.
inline constexpr const char* kOrderName = "restore.order";
// In a character's safety folder: what wrote each generation (a restore
// of which slot, or an undo), for the undo window's rows; UTF-8.
inline constexpr const char* kActionsName = "restore.actions";
// Beside the generations: one that pruning is taking away, renamed out of
// sight; the name is the program's own, so that the next start finishes
// the removal, and no folder of the player's is taken for one.
inline constexpr const char* kPrunedSuffix = ".telk-pruned";
// In a character's safety folder, one folder a restore, named by its
// local time ("2026-12-07 21-05-09", " (2)" when two share a second); a
// generation of an older copy's restore sorts before all of them.
inline constexpr const char* kUndatedGeneration = "0000-00-00 00-00-00";
inline constexpr int kGenerationsKept = 10;

// Beside a slot folder: the new slot while it is built, the previous one
// while the two are swapped; beside a generation, the first for it while
// it is built (earlier versions also pruned through the second).
inline constexpr const char* kStagingSuffix = ".new";
inline constexpr const char* kRetiredSuffix = ".old";
// Beside a file while it is replaced: the new bytes, and the previous file
// (also beside a character's safety folder, for the copy it replaces).
inline constexpr const char* kIncomingSuffix = ".telk-new";
inline constexpr const char* kBackupSuffix = ".telk-old";
// Inside a generation while it is built: a file on its way in.
inline constexpr const char* kPartSuffix = ".telk-part";

// The client's account tree in its install folder: the client makes it as
// "Desktop"; the main window's lists address it as "DESKTOP".
inline constexpr const char* kDesktopFolderName = "Desktop";
inline constexpr const char* kDesktopFolder = "DESKTOP";

// The four files that make a folder a character's, in the order tested
// and copied; "uo.cfg" goes along when present.
inline constexpr std::array<const char*, 4> kCharFiles = {"chardata.mul", "desktop.uos", "macros.txt",
                                                          "skillgrp.mul"};
inline constexpr const char* kOptionalCharFile = "uo.cfg";

} // namespace telk
