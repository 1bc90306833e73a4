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

#include "store/Generations.h"
#include "store/StoreNames.h"
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

// The newest ten stay, in the order they were written (" (10)" after
// " (2)"); nothing goes while a journal waits.
TEST_F(Generations, PruningKeepsTheNewestTen) {
    for (const bool waiting : {false, true}) {
        SCOPED_TRACE(waiting ? "a journal waits" : "none waits");
        std::filesystem::remove_all(dir.Native("safety"));
        std::vector<std::string> all = {"2026-12-08 23-59-59"};
        for (int n = 1; n <= 12; ++n) all.push_back(Nth(n));
        for (const std::string& name : all) dir.WriteBytes("safety\\" + name + "\\macros.txt", name);
        if (waiting) dir.WriteBytes(std::string("safety\\") + kJournalName, "journal");
        PruneGenerations(*fs, safety, dir.Names("safety"));
        std::vector<std::string> kept = waiting ? all : std::vector<std::string>(all.begin() + 3, all.end());
        if (waiting) kept.push_back(kJournalName);
        std::sort(kept.begin(), kept.end());
        EXPECT_EQ(dir.Names("safety"), kept);
    }
}

// A staging folder keeps its whole files as the generation it was to be,
// one that holds only parts goes, and so does a pruned one.
TEST_F(Generations, TidyingKeepsOnlyWholeFiles) {
    dir.WriteBytes("safety\\" + Nth(1) + kStagingSuffix + "\\macros.txt", "whole");
    dir.WriteBytes("safety\\" + Nth(1) + kStagingSuffix + "\\uo.cfg" + kPartSuffix, "cut short");
    dir.WriteBytes("safety\\" + Nth(2) + kStagingSuffix + "\\uo.cfg" + kPartSuffix, "cut short");
    dir.WriteBytes("safety\\" + Nth(3) + kRetiredSuffix + "\\macros.txt", "pruned");
    TidyGenerations(*fs, safety, dir.Names("safety"));
    const std::vector<std::string> names = dir.Names("safety");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(IsGenerationName(names[0])) << names[0];
    EXPECT_EQ(test::FolderSnapshot(dir.Native("safety\\" + names[0])), (std::map<std::string, std::string>{{"macros.txt", "whole"}}));
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
