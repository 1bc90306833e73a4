// The shared file routines on real folders: existence tests, the listing's
// fixed size, the list rule, the character-file test and SaveSettings.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/Listing.h"
#include "store/Settings.h"
#include "support/TempDir.h"

namespace telk {
namespace {

class FileRoutinesTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::unique_ptr<FileSystem> fs = test::MakePlatformFileSystem();
    std::unique_ptr<TextCodec> codec = test::MakeJapaneseTextCodec();
};

TEST_F(FileRoutinesTest, FileExistsOnlyForAReadableFile) {
    dir.WriteBytes("empty.txt", "");
    dir.MakeFolder("sub");
    EXPECT_TRUE(FileExists(*fs, dir.Win("empty.txt")));
    EXPECT_TRUE(FileExists(*fs, dir.Win("EMPTY.TXT")));
    EXPECT_FALSE(FileExists(*fs, dir.Win("sub")));
    EXPECT_FALSE(FileExists(*fs, dir.Win("missing.txt")));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"empty.txt", "sub"}));
}

TEST_F(FileRoutinesTest, FolderExistsLeavesTheCurrentFolderWhereItWas) {
    dir.MakeFolder("sub");
    dir.WriteBytes("file.txt", "x");
    const std::string before = fs->CurrentFolder();
    EXPECT_TRUE(FolderExists(*fs, dir.Win("sub")));
    EXPECT_EQ(fs->CurrentFolder(), before);
    EXPECT_FALSE(FolderExists(*fs, dir.Win("missing")));
    EXPECT_EQ(fs->CurrentFolder(), before);
    EXPECT_FALSE(FolderExists(*fs, dir.Win("file.txt")));
}

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

TEST_F(FileRoutinesTest, ADesktopWithTwelveAccountsShowsTen) {
    for (int i = 0; i < 12; ++i) dir.MakeFolder("DESKTOP\\acct" + std::to_string(10 + i));
    const std::string pattern = dir.Win("DESKTOP") + "\\*.*";
    const std::vector<std::string> all = fs->List(pattern, kListMask);
    ASSERT_EQ(all.size(), 14u); // "." and ".." first
    const std::vector<std::string> shown = ListRuleEntries(ListFolder(*fs, pattern, kListMask));
    EXPECT_EQ(shown, std::vector<std::string>(all.begin() + 2, all.begin() + 12));

    // The rule stops at the first empty entry.
    Listing gap;
    gap[3] = "first";
    gap[5] = "after the gap";
    EXPECT_EQ(ListRuleEntries(gap), (std::vector<std::string>{"first"}));
}

TEST_F(FileRoutinesTest, CharFilesExistNeedsAllFourAndNotUoCfg) {
    const std::string folder = dir.Win("char") + "\\";
    dir.WriteBytes("char\\chardata.mul", "1");
    dir.WriteBytes("char\\desktop.uos", "2");
    dir.WriteBytes("char\\macros.txt", "3");
    EXPECT_FALSE(CharFilesExist(*fs, folder));
    dir.WriteBytes("char\\uo.cfg", "5");
    EXPECT_FALSE(CharFilesExist(*fs, folder));
    dir.WriteBytes("char\\SKILLGRP.MUL", "4");
    EXPECT_TRUE(CharFilesExist(*fs, folder));

    dir.WriteBytes("four\\chardata.mul", "1");
    dir.WriteBytes("four\\desktop.uos", "2");
    dir.WriteBytes("four\\macros.txt", "3");
    dir.WriteBytes("four\\skillgrp.mul", "4");
    EXPECT_TRUE(CharFilesExist(*fs, dir.Win("four") + "\\"));
    EXPECT_FALSE(CharFilesExist(*fs, dir.Win("nowhere") + "\\"));
}

TEST_F(FileRoutinesTest, SaveSettingsWritesExactlyThreeLines) {
    test::ScopedCurrentFolder cwd(dir.Native());
    dir.WriteBytes("telk.ini", "old\r\nlonger old file\r\nthird\r\nfourth\r\n");
    ProgramState state;
    state.Client2DPath = "d:\\UO\\client.exe";
    state.Client3DPath = "";
    state.UoFolder = "d:\\ゲーム\\UO\\";
    SaveSettings(*fs, *codec, state);
    EXPECT_EQ(dir.ReadBytes("telk.ini"), "d:\\UO\\client.exe\r\n\r\nd:\\\x83\x51\x81\x5b\x83\x80\\UO\\\r\n");

    // Its callers report a file that cannot be written.
    std::filesystem::remove(dir.Native("telk.ini"));
    dir.MakeFolder("telk.ini");
    EXPECT_THROW(SaveSettings(*fs, *codec, state), FileError);
}

} // namespace
} // namespace telk
