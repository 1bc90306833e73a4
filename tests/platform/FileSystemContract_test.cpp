// What every FileSystem implementation must do, run against the build's
// own one on real temporary folders.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/Sha256.h"
#include "support/TempDir.h"

namespace telk::test {
namespace {

class FileSystemContract : public ::testing::Test {
protected:
    TempDir dir;
    std::vector<std::string> flushed; // by fs, each as the system names it
    std::unique_ptr<FileSystem> fs = MakePlatformFileSystem([this](const std::string& path) { flushed.push_back(path); });
};

std::string AllByteValues() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    return bytes + "\r\n\r\n" + std::string(70000, 'x'); // longer than one read
}

std::set<std::string> AsSet(const std::vector<std::string>& names) {
    return {names.begin(), names.end()};
}

// --- Names and paths -------------------------------------------------------

// Every spelling of a path names it: any case, a doubled separator where
// a folder with its "\" meets a name, relative to the current folder.
TEST_F(FileSystemContract, EverySpellingOfAPathNamesIt) {
    dir.WriteBytes("Settings\\0\\DATA.INI", "slot zero");
    ScopedCurrentFolder inside(dir.Native());
    const std::pair<std::string, const char*> spellings[] = {
        {dir.Win("SETTINGS\\0"), "DATA.INI"},
        {dir.Win("settings\\0"), "data.ini"},
        {dir.Win("sEtTiNgS\\0"), "Data.Ini"},
        {dir.Win("SETTINGS\\") + "\\0\\", "DATA.INI"},
        {"Settings\\0", "DATA.INI"},
    };
    for (const auto& [folder, file] : spellings) {
        const std::string path = folder + "\\" + file;
        EXPECT_EQ(fs->ReadFile(path), "slot zero") << path;
        EXPECT_TRUE(fs->CanOpenForReading(path) && fs->CanEnterFolder(folder)) << path;
        EXPECT_EQ(fs->List(folder + "\\*.*", Attr::Normal), std::vector<std::string>{"DATA.INI"}) << path;
    }
    fs->WriteFile(dir.Win("SETTINGS\\0\\") + "\\DATA.INI", "rewritten");
    EXPECT_EQ(dir.ReadBytes("Settings\\0\\DATA.INI"), "rewritten");
    fs->WriteFile("telk.ini", "a\r\nb\r\nc\r\n");
    EXPECT_EQ(dir.ReadBytes("telk.ini"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(fs->List("*.ini", Attr::Normal), std::vector<std::string>{"telk.ini"});
}

TEST_F(FileSystemContract, NewNamesKeepTheirCaseAndExistingOnesAreReused) {
    dir.MakeFolder("Settings");
    dir.WriteBytes("Settings\\DATA.INI", "old");

    fs->WriteFile(dir.Win("SETTINGS\\data.ini"), "new");   // the existing file, in another case
    fs->WriteFile(dir.Win("SETTINGS\\Uo.Cfg"), "cfg");     // a new file
    fs->CreateFolder(dir.Win("settings\\Staging"));        // a new folder

    EXPECT_EQ(dir.Names("Settings"), (std::vector<std::string>{"DATA.INI", "Staging", "Uo.Cfg"}));
    EXPECT_EQ(dir.ReadBytes("Settings\\DATA.INI"), "new");
}

// The short form names the same file, whatever the volume keeps.
TEST_F(FileSystemContract, ShortPathNamesTheSameFile) {
    dir.WriteBytes("Ultima Online 한국\\desktop layout.uos", "layout");
    const std::string path = dir.Win("Ultima Online 한국\\desktop layout.uos");
    EXPECT_EQ(fs->ReadFile(fs->ShortPath(path)), "layout");
    EXPECT_TRUE(fs->CanEnterFolder(fs->ShortPath(dir.Win("Ultima Online 한국") + "\\")));
    EXPECT_EQ(fs->ShortPath(dir.Win("missing\\x.exe")), dir.Win("missing\\x.exe"));
}

// Names Windows would trim or take for a device; the trimmed ones stay untouched.
TEST_F(FileSystemContract, NamesEndingInDotsOrSpacesAndDeviceNamesAreTheirOwn) {
    const std::vector<std::string> beside = {"Name", "trail", "x"};
    for (const std::string& name : beside) dir.WriteBytes(name + "\\macros.txt", "beside");
    for (const std::string name : {"Name.", "trail ", "x. .", "CON", "con.txt", "LPT1.ini"}) {
        const std::string folder = dir.Win(name) + "\\";
        fs->CreateFolder(dir.Win(name));
        fs->WriteFile(folder + "macros.txt", "old");
        fs->CopyFile(folder + "macros.txt", folder + name);
        fs->WriteFile(folder + "macros.new", "new");
        fs->ReplaceFile(folder + "macros.txt", folder + "macros.new", folder + "macros.old");
        fs->Rename(dir.Win(name), dir.Win("moved"));
        fs->Rename(dir.Win("moved"), dir.Win(name));
        EXPECT_EQ(AsSet(fs->List(folder + "*.*", Attr::Normal)), (std::set<std::string>{"macros.txt", "macros.old", name}));
        EXPECT_EQ(AsSet(fs->List(dir.Win("*.*"), Attr::Folder)).count(name), 1u) << name;
        EXPECT_EQ(fs->ReadFile(fs->ShortPath(folder + name)), "old") << name;
        EXPECT_TRUE(fs->CanEnterFolder(folder) && !fs->IsLink(dir.Win(name)) && !fs->IsLink(folder + name)) << name;
        ScopedCurrentFolder inside(dir.Native());
        for (const std::string file : {"macros.txt", "macros.old", name.c_str()}) fs->RemoveFile(name + "\\" + file);
        fs->RemoveFolder(name);
    }
    EXPECT_EQ(dir.Names(), beside);
    for (const std::string& name : beside) EXPECT_EQ(dir.ReadBytes(name + "\\macros.txt"), "beside") << name;
}

TEST_F(FileSystemContract, CurrentFolderHasNoTrailingSeparator) {
    ScopedCurrentFolder inside(dir.Native());
    EXPECT_TRUE(SamePathNoCase(fs->CurrentFolder(), dir.Win())) << fs->CurrentFolder();
}

TEST_F(FileSystemContract, NonAsciiNamesAreUtf8OnBothSides) {
    fs->CreateFolder(dir.Win("キャラ"));
    fs->WriteFile(dir.Win("キャラ\\マクロ.txt"), "技");

    EXPECT_EQ(dir.Names(), std::vector<std::string>{"キャラ"});
    EXPECT_EQ(dir.ReadBytes("キャラ\\マクロ.txt"), "技");
    EXPECT_EQ(fs->List(dir.Win("*.*"), Attr::Folder), (std::vector<std::string>{".", "..", "キャラ"}));
    EXPECT_EQ(fs->List(dir.Win("キャラ\\*.*"), Attr::Normal), std::vector<std::string>{"マクロ.txt"});
    EXPECT_TRUE(fs->CanEnterFolder(dir.Win("キャラ")));
}

TEST_F(FileSystemContract, DrivesIncludeTheOneHoldingTheTemporaryFolder) {
    const auto drives = fs->Drives();
    ASSERT_FALSE(drives.empty());
    for (const auto& drive : drives) {
        ASSERT_EQ(drive.root.size(), 3u) << drive.root;
        EXPECT_EQ(drive.root.substr(1), ":\\");
    }
    const std::string ours = dir.Win().substr(0, 3);
    EXPECT_TRUE(std::any_of(drives.begin(), drives.end(),
                            [&](const Drive& drive) { return SamePathNoCase(drive.root, ours); }))
        << ours;
}

// --- Listing ---------------------------------------------------------------

class Listing : public FileSystemContract {
protected:
    void SetUp() override {
        dir.WriteBytes("b.txt", "");
        dir.WriteBytes("A.txt", "");
        dir.WriteBytes("README", "");
        dir.WriteBytes(".hidden", ""); // hidden by name on POSIX, and in Wine
        dir.MakeFolder("Sub");
    }
};

// Folders (the dot entries first) and hidden entries only with their bits,
// each entry saying whether it is a folder; patterns without regard to case.
TEST_F(Listing, EachBitAndPatternListsItsOwnEntries) {
    const std::vector<ListEntry> entries = fs->ListEntries(dir.Win("*.*"), Attr::Folder);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].name + entries[1].name, "...");
    std::set<std::string> folders, files;
    for (const ListEntry& entry : entries) (entry.folder ? folders : files).insert(entry.name);
    EXPECT_EQ(folders, (std::set<std::string>{".", "..", "Sub"}));
    EXPECT_EQ(files, (std::set<std::string>{"A.txt", "b.txt", "README"}));
    const struct {
        const char* pattern;
        std::uint16_t mask;
        std::set<std::string> names;
    } cases[] = {
        {"*.*", Attr::Normal, {"A.txt", "b.txt", "README"}},
        {"*.*", Attr::Hidden, {".hidden", "A.txt", "b.txt", "README"}},
        {"*", Attr::Hidden | Attr::Folder, {".", "..", ".hidden", "A.txt", "b.txt", "README", "Sub"}},
        {"*.TXT", Attr::Folder, {"A.txt", "b.txt"}},
        {"B*", Attr::Folder, {"b.txt"}},
        {"?.txt", Attr::Normal, {"A.txt", "b.txt"}},
        {"s*", Attr::Folder, {"Sub"}},
        {"*.ini", Attr::Folder, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(AsSet(fs->List(dir.Win(c.pattern), c.mask)), c.names) << c.pattern << ", " << c.mask;
}

TEST_F(Listing, AnEmptyFolderListsItsDotEntriesOrNothing) {
    dir.MakeFolder("Empty");
    EXPECT_EQ(fs->List(dir.Win("Empty\\*.*"), Attr::Folder), (std::vector<std::string>{".", ".."}));
    EXPECT_TRUE(fs->List(dir.Win("Empty\\*.*"), Attr::Normal).empty());
}

// --- Tests that answer ------------------------------------------------------

TEST_F(FileSystemContract, CanEnterFolderLeavesTheCurrentFolderAlone) {
    dir.MakeFolder("Sub\\Deeper");
    dir.WriteBytes("file.txt", "x");
    const std::string before = NativeCurrentFolder();

    EXPECT_TRUE(fs->CanEnterFolder(dir.Win("Sub\\Deeper")));
    EXPECT_EQ(NativeCurrentFolder(), before);
    EXPECT_FALSE(fs->CanEnterFolder(dir.Win("Missing")));
    EXPECT_EQ(NativeCurrentFolder(), before);
    EXPECT_FALSE(fs->CanEnterFolder(dir.Win("file.txt")));
    EXPECT_EQ(NativeCurrentFolder(), before);
    EXPECT_FALSE(fs->CanEnterFolder(""));
    EXPECT_EQ(NativeCurrentFolder(), before);
}

TEST_F(FileSystemContract, CanOpenForReadingOnlyFiles) {
    dir.WriteBytes("empty.txt", "");
    dir.MakeFolder("Sub");

    EXPECT_TRUE(fs->CanOpenForReading(dir.Win("empty.txt")));
    EXPECT_FALSE(fs->CanOpenForReading(dir.Win("Sub")));
    EXPECT_FALSE(fs->CanOpenForReading(dir.Win("missing.txt")));
    EXPECT_FALSE(fs->CanOpenForReading(dir.Win("Missing\\missing.txt")));
    EXPECT_FALSE(fs->CanOpenForReading(""));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Sub", "empty.txt"})); // a test creates nothing
}

// --- Reading and writing ----------------------------------------------------

TEST_F(FileSystemContract, WriteAndReadWholeBytes) {
    const std::string bytes = AllByteValues();
    fs->WriteFile(dir.Win("data.bin"), bytes);
    EXPECT_EQ(dir.ReadBytes("data.bin"), bytes);
    EXPECT_EQ(fs->ReadFile(dir.Win("data.bin")), bytes);

    fs->WriteFile(dir.Win("data.bin"), "short"); // emptied first, not overwritten in place
    EXPECT_EQ(dir.ReadBytes("data.bin"), "short");
    fs->WriteFile(dir.Win("data.bin"), "");
    EXPECT_EQ(fs->ReadFile(dir.Win("data.bin")), "");

    // The digest a restore's journal keeps: the file's length and SHA-256.
    const std::pair<std::string, const char*> digests[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {bytes, "0405d22b61f066c8407792cc3fe99e31e3aa8fea7388af25e6069a3bebaea508"},
    };
    for (const auto& [content, sha256] : digests) {
        dir.WriteBytes("data.bin", content);
        EXPECT_EQ(fs->Digest(dir.Win("DATA.BIN")), (FileDigest{content.size(), sha256}));
    }
    EXPECT_EQ(ErrorOf([&] { fs->Digest(dir.Win("missing.bin")); }).Path(), dir.Win("missing.bin"));
    // The processor's SHA rounds and the plain ones agree around a block's
    // edges, fed whole or in odd pieces.
    for (std::size_t size = 0; size < 300; ++size) {
        Sha256 whole(true), pieces(false);
        whole.Add(std::string_view(bytes).substr(0, size));
        for (std::size_t at = 0; at < size; at += 37) pieces.Add(std::string_view(bytes).substr(at, std::min<std::size_t>(37, size - at)));
        ASSERT_EQ(whole.HexDigest(), pieces.HexDigest()) << size;
    }
}

TEST_F(FileSystemContract, CopyReplacesTheTargetAndKeepsTheSource) {
    const std::string bytes = AllByteValues();
    dir.WriteBytes("from.bin", bytes);
    dir.WriteBytes("to.bin", std::string(100000, 'o')); // longer than the source

    fs->CopyFile(dir.Win("from.bin"), dir.Win("to.bin"));
    EXPECT_EQ(dir.ReadBytes("to.bin"), bytes);
    EXPECT_EQ(dir.ReadBytes("from.bin"), bytes);

    fs->CopyFile(dir.Win("FROM.BIN"), dir.Win("new.bin"));
    EXPECT_EQ(dir.ReadBytes("new.bin"), bytes);
}

TEST_F(FileSystemContract, RenameReplacesAFileTarget) {
    dir.WriteBytes("staging.tmp", "new");
    dir.WriteBytes("DATA.INI", "old");

    fs->Rename(dir.Win("staging.tmp"), dir.Win("data.ini"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"DATA.INI"});
    EXPECT_EQ(dir.ReadBytes("DATA.INI"), "new");
}

TEST_F(FileSystemContract, RenameMovesAWholeFolder) {
    dir.WriteBytes("Staging\\chardata.mul", "c");
    fs->Rename(dir.Win("staging"), dir.Win("0"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"0"});
    EXPECT_EQ(dir.ReadBytes("0\\chardata.mul"), "c");
}

// The second time, over the backup the first one left.
TEST_F(FileSystemContract, ReplaceFileKeepsTheOldFileUnderTheBackupName) {
    for (const char* earlierBackup : {"", "older"}) {
        dir.WriteBytes("macros.txt", "old");
        dir.WriteBytes("macros.txt.new", "new");
        if (*earlierBackup) dir.WriteBytes("macros.txt.old", earlierBackup);

        fs->ReplaceFile(dir.Win("macros.txt"), dir.Win("MACROS.TXT.NEW"), dir.Win("macros.txt.old"));
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"macros.txt", "macros.txt.old"}));
        EXPECT_EQ(dir.ReadBytes("macros.txt"), "new");
        EXPECT_EQ(dir.ReadBytes("macros.txt.old"), "old");
    }

    // On one volume the backup may go into another folder: where a restore
    // keeps the previous files.
    dir.MakeFolder("kept");
    EXPECT_TRUE(fs->SameVolume(dir.Win(), dir.Win("KEPT")));
    EXPECT_FALSE(fs->SameVolume(dir.Win(), dir.Win("missing")));
    dir.WriteBytes("macros.txt.new", "newer");
    fs->ReplaceFile(dir.Win("macros.txt"), dir.Win("macros.txt.new"), dir.Win("kept\\macros.txt"));
    EXPECT_EQ(dir.ReadBytes("macros.txt"), "newer");
    EXPECT_EQ(dir.ReadBytes("kept\\macros.txt"), "new");
}

// Players mark desktop.uos read-only so that the client leaves it alone; a
// restore replaces it all the same, and the mark stays the player's.
TEST_F(FileSystemContract, AReadOnlyTargetIsReplacedAndTheMarkStaysOnBothFiles) {
    dir.WriteBytes("desktop.uos", "old");
    dir.WriteBytes("desktop.uos.new", "new");
    dir.SetReadOnly("desktop.uos");

    fs->ReplaceFile(dir.Win("desktop.uos"), dir.Win("desktop.uos.new"), dir.Win("desktop.uos.old"));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"desktop.uos", "desktop.uos.old"}));
    const std::pair<const char*, const char*> files[] = {{"desktop.uos", "new"}, {"desktop.uos.old", "old"}};
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(dir.ReadBytes(name), bytes);
        EXPECT_TRUE(dir.IsReadOnly(name)) << name;
    }
}

// An undo puts the old file back over the one that replaced it.
TEST_F(FileSystemContract, RenameReplacesAReadOnlyFileTarget) {
    dir.WriteBytes("desktop.uos", "new");
    dir.WriteBytes("desktop.uos.old", "old");
    dir.SetReadOnly("desktop.uos");

    fs->Rename(dir.Win("desktop.uos.old"), dir.Win("desktop.uos"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"desktop.uos"});
    EXPECT_EQ(dir.ReadBytes("desktop.uos"), "old");
}

TEST_F(FileSystemContract, CheckReplaceablePassesForFreeAndMissingFiles) {
    dir.WriteBytes("desktop.uos", "d");
    EXPECT_NO_THROW(fs->CheckReplaceable(dir.Win("desktop.uos")));
    EXPECT_NO_THROW(fs->CheckReplaceable(dir.Win("missing.uos")));
    EXPECT_NO_THROW(fs->CheckReplaceable(dir.Win("Missing\\missing.uos")));
    EXPECT_EQ(dir.ReadBytes("desktop.uos"), "d");
}

TEST_F(FileSystemContract, FoldersAndFilesComeAndGo) {
    fs->CreateFolder(dir.Win("Settings"));
    fs->CreateFolder(dir.Win("SETTINGS\\0"));
    EXPECT_TRUE(dir.IsFolder("Settings\\0"));
    fs->WriteFile(dir.Win("settings\\0\\DATA.INI"), "");
    fs->RemoveFile(dir.Win("SETTINGS\\0\\data.ini"));
    fs->RemoveFolder(dir.Win("SETTINGS\\0"));
    fs->RemoveFolder(dir.Win("settings"));
    EXPECT_TRUE(dir.Names().empty());
}

// A durable operation is on disk when it returns: a copy or a write has
// flushed the file, a rename or a replace the folders whose entries it
// changed.
TEST_F(FileSystemContract, EachDurableOperationFlushesWhatItTouched) {
    dir.WriteBytes("a\\from.bin", "bytes");
    dir.MakeFolder("b");
    const struct {
        std::function<void()> run;
        std::set<std::string> flushed;
    } cases[] = {
        {[&] { fs->CopyFile(dir.Win("a\\from.bin"), dir.Win("a\\copy.bin")); }, {"a\\copy.bin"}},
        {[&] { fs->WriteFile(dir.Win("a\\new.ini"), "x"); }, {"a\\new.ini"}},
        {[&] { fs->Rename(dir.Win("a\\new.ini"), dir.Win("a\\data.ini")); }, {"a"}},
        {[&] { fs->Rename(dir.Win("a\\data.ini"), dir.Win("b\\data.ini")); }, {"a", "b"}},
        // The backup kept in another folder is a player's file too. NTFS
        // logs a replace's entries in order, and the restore's next
        // write-through rename takes them to disk: a flush of each folder
        // would cost a restore ten for nothing.
        {[&] { fs->ReplaceFile(dir.Win("a\\copy.bin"), dir.Win("a\\from.bin"), dir.Win("b\\copy.bin.telk-old")); },
#ifdef _WIN32
         {}},
#else
         {"a", "b"}},
#endif
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        flushed.clear();
        cases[i].run();
        std::set<std::string> rels; // each below dir, "\\" between names
        for (std::string path : flushed) {
            if (path.starts_with("\\\\?\\")) path.erase(0, 4);
            const std::string root = dir.Native();
            if (path.size() > root.size() && SamePathNoCase(path.substr(0, root.size()), root)) path.erase(0, root.size() + 1);
            std::replace(path.begin(), path.end(), '/', '\\');
            rels.insert(path);
        }
        EXPECT_EQ(rels, cases[i].flushed) << "case " << i;
    }
}

// --- Failures ---------------------------------------------------------------

// Each says what was done to which path (a copy blames the missing source),
// in the system's words, and changes nothing.
TEST_F(FileSystemContract, FailuresSayWhatWasDoneToWhichPathAndWhy) {
    dir.WriteBytes("Full\\file.txt", "x");
    dir.WriteBytes("macros.txt.new", "new");
    const std::string missing = dir.Win("Missing\\DATA.INI");
    const struct {
        std::function<void()> run;
        const char* operation;
        std::string path; // empty: not checked
    } cases[] = {
        {[&] { fs->ReadFile(missing); }, "read", missing},
        {[&] { fs->WriteFile(missing, "x"); }, "write", missing},
        {[&] { fs->RemoveFile(missing); }, "remove", missing},
        {[&] { fs->Rename(missing, dir.Win("x")); }, "rename", missing},
        {[&] { fs->List(dir.Win("Missing\\*.*"), Attr::Folder); }, "list", dir.Win("Missing\\*.*")},
        {[&] { fs->CopyFile(dir.Win("chardata.mul"), dir.Win("copy.mul")); }, "copy", dir.Win("chardata.mul")},
        {[&] { fs->ReplaceFile(dir.Win("macros.txt"), dir.Win("macros.txt.new"), dir.Win("macros.txt.old")); }, "replace", ""},
        {[&] { fs->CreateFolder(dir.Win("full")); }, "create folder", dir.Win("full")},
        {[&] { fs->CreateFolder(dir.Win("Missing\\New")); }, "create folder", ""},
        {[&] { fs->RemoveFolder(dir.Win("Full")); }, "remove folder", ""},
    };
    for (const auto& c : cases) {
        const FileError error = ErrorOf(c.run);
        EXPECT_EQ(error.Operation(), c.operation);
        EXPECT_TRUE(c.path.empty() || error.Path() == c.path) << c.operation << " " << error.Path();
        EXPECT_FALSE(error.SystemMessage().empty() || error.HeldOpen()) << c.operation;
        EXPECT_EQ(std::string(error.what()), error.Operation() + " " + error.Path() + ": " + error.SystemMessage());
    }
    EXPECT_NE(ErrorOf(cases[0].run).Code(), 0);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Full", "macros.txt.new"}));
    EXPECT_TRUE(dir.IsFile("Full\\file.txt"));
}

} // namespace
} // namespace telk::test
