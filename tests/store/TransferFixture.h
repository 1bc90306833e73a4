// The fixture the back-up and restore tests share: a temporary install
// with a store of five slots and one character folder, the real file
// system and a faulty one over it, and snapshots of both folders.
#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "store/CharFiles.h"
#include "store/FolderTree.h"
#include "store/restore/Generations.h"
#include "store/restore/Restore.h"
#include "store/restore/SafetyFolder.h"
#include "store/SlotStore.h"
#include "store/Transfer.h"
#include "support/FaultyFileSystem.h"
#include "support/FolderSnapshot.h"
#include "support/TempDir.h"
#include "ui/Texts.h"

namespace telk {

using Snapshot = std::map<std::string, std::string>;
using Mode = test::FaultyFileSystem::Mode;

// A runaway loop would mean an operation that never completes.
inline constexpr int kMaxOperations = 300;
inline constexpr const char* kCharRel = "UO\\DESKTOP\\acct\\shard\\Name";
inline constexpr const char* kDate = "12-07-2026";
inline constexpr const char* kName = "狩り用, メイン";
// Every restore of a test falls in one second: its generations are this,
// then " (2)", " (3)" …
inline constexpr const char* kNow = "2026-12-09 07-45-00";
inline const std::vector<std::string> kFiles = {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul", "uo.cfg"};

// How a run under faults ended.
struct Tally {
    int runs = 0;
    int lost = 0;
};

// What happens between a crash and the next start.
enum class Between { Nothing, Unreachable, ClientSaves, SlotFileGone };
inline constexpr const char* kClientSave = "saved by the client after the crash";

class TransferTest : public ::testing::Test {
protected:
    Snapshot Store() const { return test::FolderSnapshot(dir.Native("Settings")); }
    Snapshot Char() const { return test::FolderSnapshot(dir.Native(kCharRel)); }
    // A generation of the character's safety folder.
    Snapshot Generation(const std::string& name = kNow) const {
        return test::FolderSnapshot(dir.Native(safetyRel + "\\" + name));
    }
    // A restore puts a backup whose file is missing back into place before
    // it starts: the state either way, as the put-back leaves it.
    static Snapshot PutBack(Snapshot state) {
        for (const std::string& name : kFiles) {
            const auto stranded = state.find("char/" + name + kBackupSuffix);
            if (stranded == state.end() || state.count("char/" + name)) continue;
            state["char/" + name] = stranded->second;
            state.erase(stranded);
        }
        return state;
    }
    // The slot store with the safety copies, and the character folder: what
    // must be as before or after.
    Snapshot World() const {
        Snapshot world;
        for (auto& [rel, bytes] : Store()) world["Settings/" + rel] = bytes;
        // Where the start is to look next time: its own, not the player's.
        world.erase(std::string("Settings/BeforeRestore/") + kChangedName);
        for (auto& [rel, bytes] : Char()) world["char/" + rel] = bytes;
        return world;
    }

    void Reset() {
        std::filesystem::remove_all(dir.Native("Settings"));
        std::filesystem::remove_all(dir.Native("UO"));
        for (int i = 0; i < kSlotCount; ++i)
            dir.WriteBytes("Settings\\" + std::to_string(i) + "\\DATA.INI", "old label\r\nSlot" + std::to_string(i) + "\r\n");
    }

    // A slot filled by an earlier back-up, with things the user put there,
    // one of them hidden (by its name on POSIX and in Wine).
    void FillSlot2() {
        for (const std::string& name : kFiles) dir.WriteBytes("Settings\\2\\" + name, "slot " + name);
        dir.WriteBytes("Settings\\2\\notes.txt", "kept by the user");
        dir.WriteBytes("Settings\\2\\.hidden", "hidden by the user");
        dir.WriteBytes("Settings\\2\\extra\\deep.txt", "nested");
    }

    void FillChar(bool withUoCfg) {
        for (const std::string& name : kFiles)
            if (withUoCfg || name != "uo.cfg") dir.WriteBytes(std::string(kCharRel) + "\\" + name, "client " + name);
    }

    void BackUp(FileSystem& fileSystem) { BackUpToSlot(fileSystem, *codec, app, charFolder, slotFolder, kDate, kName); }
    void Restore(FileSystem& fileSystem) {
        RestoreFromSlot(fileSystem, app, slotFolder, charFolder, kNow, ui::kSafetyNoteLines);
    }

    // The files of state that are nowhere in the store or the character
    // folder, under any name.
    std::vector<std::string> Missing(const Snapshot& state) const {
        std::vector<std::string> now;
        for (auto& [rel, bytes] : Store()) now.push_back(bytes);
        for (auto& [rel, bytes] : Char()) now.push_back(bytes);
        std::vector<std::string> missing;
        for (auto& [rel, bytes] : state)
            if (bytes != "<folder>" && std::find(now.begin(), now.end(), bytes) == now.end()) missing.push_back(rel);
        return missing;
    }

    // The 1-based number of the first logged operation that starts with prefix.
    int IndexOf(const std::string& prefix) const {
        const std::vector<std::string>& log = faulty.Log();
        const auto at = std::find_if(log.begin(), log.end(), [&](const std::string& l) { return l.starts_with(prefix); });
        return static_cast<int>(at - log.begin()) + 1;
    }

    // Nothing of the player's is lost: every file of before is still
    // somewhere, or the run got as far as after, which drops only what a
    // back-up overwrites by design.
    int LostFiles(const Snapshot& before, const Snapshot& after) const {
        const std::vector<std::string> missing = Missing(before);
        if (missing.empty() || Missing(after).empty()) return 0;
        for (const std::string& rel : missing) ADD_FAILURE() << "lost " << rel;
        return static_cast<int>(missing.size());
    }

    // One run of run under the faults that arm() sets; then what happens
    // before the next start, and the next start.
    void RunOnce(const std::function<void()>& setUp, const std::function<void(FileSystem&)>& run,
                 const std::function<void()>& arm, const Snapshot& before, const Snapshot& after, Between between,
                 Tally& tally);
    // A start cut off at each operation in turn (setUp before each; cut
    // sees what the cut left), then a whole start, whose report check sees
    // with where the cut was.
    void EachCutStart(const std::function<void()>& setUp,
                      const std::function<void(const RepairReport&, const std::string& cut)>& check,
                      const std::function<void()>& cut = {}) {
        for (int n = 1; n < kMaxOperations && !HasFailure(); ++n) {
            setUp();
            faulty.CrashAtNth(n);
            try {
                RepairSlotStore(faulty, app);
            } catch (const test::SimulatedCrash&) {
            }
            const bool crashed = faulty.Fired();
            if (cut) cut();
            check(RepairSlotStore(*real, app), crashed ? faulty.FiredAt() : "nowhere");
            if (!crashed) break;
        }
    }
    // Single faults in both modes, every pair of faults, a crash at each
    // operation (for a restore followed by each of the Between cases);
    // prints the figures.
    void ExpectAllOrNothing(const char* direction, const std::function<void()>& setUp,
                            const std::function<void(FileSystem&)>& run, bool restore = false);

    test::TempDir dir;
    std::unique_ptr<FileSystem> real = test::MakePlatformFileSystem();
    test::FaultyFileSystem faulty{*real};
    std::unique_ptr<TextCodec> codec = test::MakeJapaneseTextCodec();
    std::string app = dir.Win() + "\\";
    std::string slotFolder = SlotFolderPath(app, 2);
    std::string charFolder = dir.Win(kCharRel) + "\\";
    // As the native helpers name it: below "Settings", as it is made.
    std::string StoreRel(const std::string& path) const { return "Settings" + path.substr(app.size() + 8); }
    std::string safetyRel = StoreRel(SafetyFolderPath(app, charFolder));
};

} // namespace telk
