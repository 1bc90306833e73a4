// The generations of a safety folder: which ones pruning keeps, what
// tidying makes of a cut-off run's folders, and the record of what the
// player has not been told yet.
#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "store/FolderTree.h"
#include "store/restore/Generations.h"
#include "store/StoreNames.h"
#include "support/FaultyFileSystem.h"
#include "support/FolderSnapshot.h"
#include "support/TempDir.h"

namespace telk {
namespace {

class Generations : public ::testing::Test {
protected:
    // The n-th restore of one second.
    static std::string Nth(int n) {
        const std::string stamp = "2026-12-09 07-45-00";
        return n == 1 ? stamp : stamp + " (" + std::to_string(n) + ")";
    }

    test::TempDir dir;
    std::unique_ptr<FileSystem> fs = test::MakePlatformFileSystem();
    std::string safety = dir.Win("safety");
};

// Of the generations the record names, the last written ten stay, whatever
// the clock said; one it does not name (an earlier version's, the player's)
// is neither pruned nor counted, and is listed below them by name (" (10)"
// after " (2)"), whatever the listing's order: FAT's is the directory's.
// Nothing goes while a journal waits or the record is spoilt; a prune cut
// at any step leaves no generation's name on part of one.
TEST_F(Generations, PruningKeepsTheNewestTen) {
    const std::string clockBehind = "2025-11-05 07-45-00";
    std::vector<std::string> byName = {"2019-05-05 05-05-05", clockBehind, "2026-12-08 23-59-59"};
    for (int n = 1; n <= 12; ++n) byName.push_back(Nth(n));
    for (const int row : {0, 1, 2, 3}) { // none waits, a journal waits, a spoilt record, cut at the n-th step
        for (int n = row == 3;; ++n) {
            SCOPED_TRACE(std::to_string(row) + " " + std::to_string(n));
            std::filesystem::remove_all(dir.Native("safety"));
            for (const std::string& name : byName)
                for (const char* file : {"macros.txt", "uo.cfg"}) dir.WriteBytes("safety\\" + name + "\\" + file, name);
            for (int g = 1; g <= 13; ++g) RecordWritten(*fs, safety, dir.Names("safety"), {g < 13 ? Nth(g) : clockBehind, {}});
            if (row == 1) dir.WriteBytes(std::string("safety\\") + kJournalName, "journal");
            if (row == 2) dir.WriteBytes(std::string("safety\\") + kOrderName, "spoilt");
            test::FaultyFileSystem faulty(*fs);
            faulty.ListReversed();
            const std::vector<std::string> listed = Entries(faulty, safety);
            faulty.FailNth(n);
            const bool done = PruneGenerations(faulty, safety, listed);
            EXPECT_EQ(done, !faulty.Fired()) << faulty.FiredAt();
            for (const std::string& name : dir.Names("safety"))
                EXPECT_TRUE(!IsGenerationName(name) || dir.Names("safety\\" + name).size() == 2) << name << faulty.FiredAt();
            if (faulty.Fired()) continue;
            std::vector<std::string> newestFirst(byName.rbegin(), byName.rend());
            if (row != 2) {
                newestFirst = {clockBehind};
                for (int g = 12; g > (row == 1 ? 0 : 3); --g) newestFirst.push_back(Nth(g));
                newestFirst.insert(newestFirst.end(), {byName[2], byName[0]});
            }
            faulty.FailNth(0);
            EXPECT_EQ(GenerationsNewestFirst(faulty, safety, Entries(faulty, safety)), newestFirst);
            break;
        }
    }
}

// A staging folder the record names keeps its whole files as the
// generation it was to be, one that holds only parts goes, and so does a
// generation pruning put out of sight; folders that only look like them
// stay.
TEST_F(Generations, TidyingKeepsOnlyWholeFiles) {
    // Each step stands alone: one that fails (the n-th operation) leaves
    // the others done, and the next tidy finishes it. Before a restore too.
    for (int n = 0, quick = 0; quick < 2; ++n) {
        const Tidy tidy = quick ? Tidy::Quick : Tidy::Full;
        SCOPED_TRACE(std::to_string(n) + (quick ? " quick" : ""));
        std::filesystem::remove_all(dir.Native("safety"));
        dir.WriteBytes("safety\\" + Nth(1) + kStagingSuffix + "\\macros.txt", "whole");
        dir.WriteBytes("safety\\" + Nth(1) + kStagingSuffix + "\\uo.cfg" + kPartSuffix, "cut short");
        dir.WriteBytes("safety\\" + Nth(2) + kStagingSuffix + "\\uo.cfg" + kPartSuffix, "cut short");
        for (int g : {1, 2}) RecordWritten(*fs, safety, dir.Names("safety"), {Nth(g), {}});
        dir.WriteBytes("safety\\" + Nth(3) + kPrunedSuffix + "\\macros.txt", "pruned");
        dir.WriteBytes("safety\\" + Nth(4) + kPrunedSuffix + "\\extra\\macros.txt", "pruned, cut short");
        const std::vector<std::string> lookalikes = {Nth(5) + kStagingSuffix, Nth(6) + kRetiredSuffix};
        for (const std::string& name : lookalikes) dir.WriteBytes("safety\\" + name + "\\macros.txt", "the player's");
        test::FaultyFileSystem faulty(*fs);
        faulty.FailNth(n);
        const bool done = TidyGenerations(faulty, safety, dir.Names("safety"), tidy);
        EXPECT_EQ(done, !faulty.Fired()) << faulty.FiredAt();
        const std::vector<std::string> left = dir.Names("safety");
        const int undone = static_cast<int>(std::count_if(left.begin(), left.end(), [&](const std::string& name) {
            return name == Nth(1) + kStagingSuffix || name == Nth(2) + kStagingSuffix || name == Nth(3) + kPrunedSuffix ||
                   name == Nth(4) + kPrunedSuffix;
        }));
        // The record tells both staging folders apart: without it, both wait.
        EXPECT_LE(undone, faulty.FiredAt().starts_with("ReadFile") ? 2 : 1) << faulty.FiredAt();
        if (faulty.Fired()) {
            EXPECT_TRUE(TidyGenerations(*fs, safety, dir.Names("safety"), tidy));
        }
        EXPECT_EQ(dir.Names("safety"), (std::vector<std::string>{Nth(1), lookalikes[0], lookalikes[1], kOrderName}));
        EXPECT_EQ(test::FolderSnapshot(dir.Native("safety\\" + Nth(1))), (std::map<std::string, std::string>{{"macros.txt", "whole"}}));
        for (const std::string& name : lookalikes)
            EXPECT_EQ(test::FolderSnapshot(dir.Native("safety\\" + name)), (std::map<std::string, std::string>{{"macros.txt", "the player's"}}));
        // Before a restore, that restore's own write drops a line left.
        if (!quick) {
            EXPECT_EQ(*ReadOrder(*fs, safety, dir.Names("safety")), (std::vector<WrittenGeneration>{{Nth(1), {}}}));
        }
        EXPECT_EQ(GenerationsNewestFirst(*fs, safety, dir.Names("safety")), (std::vector<std::string>{Nth(1)}));
        if (n > 0 && !faulty.Fired()) {
            n = -1;
            ++quick;
        }
    }
}

// Added to, never overwritten: what the player has not heard of stays
// until told, whatever is recorded after it.
TEST_F(Generations, TheUntoldRecordIsAddedTo) {
    dir.MakeFolder("safety");
    const KeptCopy first{"C:\\UO\\a\\desktop.uos", safety + "\\" + Nth(1) + "\\desktop.uos"};
    const KeptCopy second{"C:\\UO\\a\\macros.txt", safety + "\\" + Nth(2) + "\\macros.txt"};
    RecordUntold(*fs, safety, {first});
    RecordUntold(*fs, safety, {second, first});
    std::vector<std::pair<std::string, std::string>> read;
    for (const KeptCopy& kept : ReadUntold(*fs, safety)) read.push_back({kept.file, kept.copy});
    EXPECT_EQ(read, (std::vector<std::pair<std::string, std::string>>{{first.file, first.copy}, {second.file, second.copy}}));
}

} // namespace
} // namespace telk
