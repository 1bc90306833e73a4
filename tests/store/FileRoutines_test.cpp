// The shared file routines on real folders: the listing's fixed size, the
// list rule and the character-file test.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "store/CharFiles.h"
#include "store/Listing.h"
#include "store/Settings.h"
#include "support/TempDir.h"

namespace telk {
namespace {

class FileRoutinesTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::unique_ptr<FileSystem> fs = test::MakePlatformFileSystem();
};

TEST_F(FileRoutinesTest, ListFolderKeepsTheFirstHundredNamesFromIndexOne) {
    for (int i = 0; i < 150; ++i) dir.WriteBytes("big\\f" + std::to_string(1000 + i), "");
    const std::string pattern = dir.Win("big") + "\\*.*";
    const std::vector<std::string> all = fs->List(pattern, kListMask);
    ASSERT_GE(all.size(), 150u);

    const Listing listing = ListFolder(*fs, pattern, kListMask);
    EXPECT_EQ(listing[0], "");
    for (std::size_t i = 1; i <= 100; ++i) EXPECT_EQ(listing[i], all[i - 1]) << i;
}

TEST_F(FileRoutinesTest, ListFolderOfAMissingFolderIsEmptyAndSaysWhy) {
    std::optional<FileError> failure;
    const Listing listing = ListFolder(*fs, dir.Win("missing") + "\\*.*", kListMask, &failure);
    for (const std::string& name : listing) EXPECT_EQ(name, "");
    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->SystemMessage().empty());

    // A later good listing clears the report.
    dir.WriteBytes("there\\a", "");
    const Listing good = ListFolder(*fs, dir.Win("there") + "\\*.*", kListMask, &failure);
    EXPECT_FALSE(failure.has_value());
    EXPECT_NE(std::find(good.begin(), good.end(), "a"), good.end());
}

// The window's lists show the first ten of a listing; the rule also stops
// at the first empty entry, which no real listing has before its end.
TEST_F(FileRoutinesTest, TheListRuleStopsAtTheFirstEmptyEntry) {
    Listing gap;
    gap[3] = "first";
    gap[5] = "after the gap";
    EXPECT_EQ(ListRuleEntries(gap), (std::vector<std::string>{"first"}));
}

TEST_F(FileRoutinesTest, CharFilesExistNeedsAllFourAndNotUoCfg) {
    const std::string folder = dir.Win("char") + "\\";
    for (const char* name : {"chardata.mul", "desktop.uos", "macros.txt", "uo.cfg"}) {
        dir.WriteBytes(std::string("char\\") + name, name);
        EXPECT_FALSE(CharFilesExist(*fs, folder)) << name;
    }
    dir.WriteBytes("char\\SKILLGRP.MUL", "4");
    EXPECT_TRUE(CharFilesExist(*fs, folder));
    EXPECT_FALSE(CharFilesExist(*fs, dir.Win("nowhere") + "\\"));
}

} // namespace
} // namespace telk
