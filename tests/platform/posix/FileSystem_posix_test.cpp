// What only the POSIX file system has to get right: mapping drive letters
// onto native folders, its own listing order, and how POSIX shows a file
// held by a running program.

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/FileError.h"
#include "platform/posix/FileSystem_posix.h"
#include "support/TempDir.h"

extern char** environ;

namespace telk::test {
namespace {

class PosixDrives : public ::testing::Test {
protected:
    TempDir dir;
    // C: and D: are folders of the temporary one; Z: is the whole host, as in Wine.
    PosixFileSystem fs {{{'c', dir.Native("c") + "/"}, {'D', dir.Native("d")}, {'Z', "/"}}};

    void SetUp() override {
        dir.MakeFolder("c\\Program Files");
        dir.MakeFolder("d\\Games\\UO");
    }
};

// A drive letter stands for its folder ("/" separates too), dots are taken
// as text and stop at the root, a path without a drive starts on the
// current one; an unmapped drive and a UNC path lead nowhere.
TEST_F(PosixDrives, WindowsPathsMapOntoNativeFolders) {
    const struct {
        const char* current; // below dir; empty: as it is
        const char* path;
        std::string native;
    } cases[] = {
        {"", "C:\\Program Files", dir.Native("c\\Program Files")},
        {"", "c:\\PROGRAM FILES\\new.txt", dir.Native("c\\Program Files\\new.txt")},
        {"", "d:/games/uo", dir.Native("d\\Games\\UO")},
        {"", "C:\\", dir.Native("c")},
        {"", "Q:\\x", ""},
        {"", "\\\\server\\share\\x", ""},
        {"", "D:\\Games\\UO\\..\\.\\UO", dir.Native("d\\Games\\UO")},
        {"", "D:\\..\\..\\Games", dir.Native("d\\Games")},
        {"d\\Games", "\\Games\\uo", dir.Native("d\\Games\\UO")},
        {"d\\Games", "uo", dir.Native("d\\Games\\UO")},
        {"d\\Games", "D:uo", dir.Native("d\\Games\\UO")},
        {"d\\Games", "C:program files", dir.Native("c\\Program Files")},
    };
    for (const auto& c : cases) {
        std::optional<ScopedCurrentFolder> inside;
        if (*c.current) inside.emplace(dir.Native(c.current));
        EXPECT_EQ(fs.NativePath(c.path), c.native) << c.path;
    }
}

TEST_F(PosixDrives, CurrentFolderTakesTheDriveWithTheLongestRoot) {
    ScopedCurrentFolder inside(dir.Native("d\\Games\\UO"));
    EXPECT_EQ(fs.CurrentFolder(), "D:\\Games\\UO");
    ScopedCurrentFolder root(dir.Native("c"));
    EXPECT_EQ(fs.CurrentFolder(), "C:\\");
    ScopedCurrentFolder elsewhere("/");
    EXPECT_EQ(fs.CurrentFolder(), "Z:\\");
}

TEST_F(PosixDrives, DrivesListEveryMappedLetter) {
    const auto drives = fs.Drives();
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].root, "C:\\");
    EXPECT_EQ(drives[1].root, "D:\\");
    EXPECT_EQ(drives[2].root, "Z:\\");
    EXPECT_EQ(drives[0].label, "");
}

TEST_F(PosixDrives, WindowsPathIsTheWayBack) {
    EXPECT_EQ(fs.WindowsPath(dir.Native("d\\Games\\UO")), "D:\\Games\\UO");
    EXPECT_EQ(fs.WindowsPath(dir.Native("c")), "C:\\");
    EXPECT_EQ(fs.WindowsPath(dir.Native("cc")), "Z:" + dir.Win().substr(2) + "\\cc")
        << "a sibling whose name begins like a root is not under it";
}

class PosixFs : public ::testing::Test {
protected:
    TempDir dir;
    PosixFileSystem fs;
};

TEST_F(PosixFs, ListsDotEntriesFirstThenNamesInCaseInsensitiveOrder) {
    for (const char* name : {"b.txt", "C", "a.TXT", "B2", "_x", "10"}) dir.WriteBytes(name, "");
    dir.MakeFolder("Alpha");

    EXPECT_EQ(fs.List(dir.Win("*.*"), Attr::Folder),
              (std::vector<std::string>{".", "..", "10", "_x", "a.TXT", "Alpha", "b.txt", "B2", "C"}));
}

TEST_F(PosixFs, ABrokenSymbolicLinkIsListedAsAFile) {
    dir.WriteBytes("real.txt", "");
    std::filesystem::create_symlink(dir.Native("gone"), dir.Native("broken"));
    std::filesystem::create_directory_symlink(dir.Native(), dir.Native("loop"));

    EXPECT_EQ(fs.List(dir.Win("*.*"), Attr::Normal), (std::vector<std::string>{"broken", "real.txt"}));
    EXPECT_EQ(fs.List(dir.Win("*.*"), Attr::Folder),
              (std::vector<std::string>{".", "..", "broken", "loop", "real.txt"}));
    std::vector<bool> folder;
    for (const ListEntry& entry : fs.ListEntries(dir.Win("*.*"), Attr::Folder)) folder.push_back(entry.folder);
    EXPECT_EQ(folder, (std::vector<bool>{true, true, false, true, false}));
}

TEST_F(PosixFs, NamesThatDifferOnlyInCaseResolveToOneOfThemAlways) {
    dir.WriteBytes("data.ini", "lower");
    dir.WriteBytes("Data.ini", "mixed");
    EXPECT_EQ(fs.ReadFile(dir.Win("data.ini")), "lower") << "an exact match wins";
    EXPECT_EQ(fs.ReadFile(dir.Win("DATA.INI")), "mixed") << "else the first in byte order";
}

TEST_F(PosixFs, RenameToTheSameNameInAnotherCaseChangesTheCase) {
    dir.WriteBytes("staging", "x");
    fs.Rename(dir.Win("staging"), dir.Win("Staging"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Staging"});
    fs.Rename(dir.Win("STAGING"), dir.Win("staging"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"staging"});
}

TEST_F(PosixFs, CopyOntoItselfFailsAndKeepsTheBytes) {
    dir.WriteBytes("macros.txt", "keep me");
    EXPECT_THROW(fs.CopyFile(dir.Win("macros.txt"), dir.Win("MACROS.TXT")), FileError);
    EXPECT_EQ(dir.ReadBytes("macros.txt"), "keep me");
}

// A replacement that is missing, or on a file system of its own (the
// second rename fails after the first): the target stays as it was.
TEST_F(PosixFs, AReplaceThatCannotMoveTheReplacementInLeavesTheTarget) {
    dir.WriteBytes("macros.txt", "old");
    dir.MakeFolder("mount");
    const std::string mount = dir.Native("mount");
    const bool mounted = std::system(("mount -t tmpfs -o size=64k tmpfs '" + mount + "' 2>/dev/null").c_str()) == 0;
    struct Unmount {
        std::string folder;
        ~Unmount() { std::system(("umount '" + folder + "' 2>/dev/null").c_str()); }
    } unmount{mounted ? mount : ""};
    dir.WriteBytes("mount\\macros.new", "new");
    for (const char* replacement : {"missing.new", "mount\\macros.new"}) {
        if (!mounted && replacement != std::string("missing.new")) GTEST_SKIP() << "no tmpfs can be mounted here";
        EXPECT_THROW(fs.ReplaceFile(dir.Win("macros.txt"), dir.Win(replacement), dir.Win("macros.old")), FileError);
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"macros.txt", "mount"})) << replacement;
        EXPECT_EQ(dir.ReadBytes("macros.txt"), "old");
    }
}

TEST_F(PosixFs, ReadingAFolderFails) {
    dir.MakeFolder("Sub");
    EXPECT_THROW(fs.ReadFile(dir.Win("Sub")), FileError);
    EXPECT_THROW(fs.CopyFile(dir.Win("Sub"), dir.Win("copy")), FileError);
    EXPECT_FALSE(dir.IsFile("copy"));
}

TEST_F(PosixFs, ARunningProgramsFileIsHeldOpen) {
    // POSIX has no share modes; the one thing a running program holds is
    // its own executable (ETXTBSY on opening it for writing).
    dir.CopyIn("/bin/sleep", "client");
    char* argv[] = {const_cast<char*>("client"), const_cast<char*>("60"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, dir.Native("client").c_str(), nullptr, nullptr, argv, environ), 0);

    try {
        fs.CheckReplaceable(dir.Win("CLIENT"));
        ADD_FAILURE() << "a running program's file passed";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.HeldOpen());
        EXPECT_EQ(error.Operation(), "open");
        EXPECT_EQ(error.Path(), dir.Win("CLIENT"));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_NO_THROW(fs.CheckReplaceable(dir.Win("client")));
}

TEST(FilePattern, MatchesAsWindowsDoes) {
    const struct {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"README", "*.*", true},      {"a.b.c", "*.*", true},       {".", "*.*", true},
        {"abc", "a*.*", true},        {"DATA.INI", "*.ini", true},  {"data.ini", "D?TA.*", true},
        {"aXbXc", "a*b*c", true},     {"anything", "*", true},      {"ini", "*.ini", false},
        {"data.ini", "?.ini", false}, {"abc", "a*b", false},        {"", "?", false},
        {"a.txt", "*.tx", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesFilePattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

} // namespace
} // namespace telk::test
