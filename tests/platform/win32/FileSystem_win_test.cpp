// What only the Win32 file system has to get right: extended-length paths,
// share modes of other handles, retries, and attributes.

#include "platform/win32/WinApi.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <thread>
#include <vector>

#include "platform/FileError.h"
#include "platform/win32/FileSystem_win.h"
#include "platform/win32/Utf16.h"
#include "platform/win32/Links.h"
#include "platform/win32/Win32Error.h"
#include "support/TempDir.h"

namespace telk::test {
namespace {

// Few, short retries: these tests hold files for good.
const RetryPolicy kQuick {2, 10};

class OpenHandle {
public:
    OpenHandle(const std::string& path, DWORD share)
        : handle_(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~OpenHandle() { Close(); }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (Valid()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

TEST(ExtendedLengthPath, PrefixesDrivePathsAndUncSharesAndKeepsEveryName) {
    EXPECT_EQ(ToExtendedLengthPath(L"C:\\UO\\Desktop"), L"\\\\?\\C:\\UO\\Desktop");
    EXPECT_EQ(ToExtendedLengthPath(L"z:\\"), L"\\\\?\\z:\\");
    EXPECT_EQ(ToExtendedLengthPath(L"\\\\server\\share\\UO"), L"\\\\?\\UNC\\server\\share\\UO");
    EXPECT_EQ(ToExtendedLengthPath(L"\\\\?\\C:\\UO"), L"\\\\?\\C:\\UO") << "already extended";
    EXPECT_EQ(ToExtendedLengthPath(L"\\\\?\\UNC\\s\\x"), L"\\\\?\\UNC\\s\\x");
    EXPECT_EQ(ToExtendedLengthPath(L"\\\\.\\pipe\\x"), L"\\\\.\\pipe\\x") << "a device stays";
    // As text: GetFullPathNameW would trim "Name." and "trail ", and map "CON".
    TempDir dir;
    ScopedCurrentFolder inside(dir.Native());
    const std::wstring here = L"\\\\?\\" + Utf8ToWide(dir.Native());
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:/UO//.\\x\\..\\Name.\\", L"\\\\?\\C:\\UO\\Name.\\"},
        {L"\\\\server\\share\\..\\..\\CON", L"\\\\?\\UNC\\server\\share\\CON"},
        {L"C:\\trail \\x. .\\aux.txt", L"\\\\?\\C:\\trail \\x. .\\aux.txt"},
        {L"..\\CON", here.substr(0, here.find_last_of(L'\\')) + L"\\CON"},
        {L"\\UO\\Name.", here.substr(0, 6) + L"\\UO\\Name."},
        {here.substr(4, 2) + L"trail ", here + L"\\trail "},
        {L"", L""},
    };
    for (const auto& [path, extended] : cases) EXPECT_EQ(ToExtendedLengthPath(path), extended) << WideToUtf8(path);
}

TEST(FullPathName, IsTheSystemsOwnNormalForm) {
    TempDir dir;
    ScopedCurrentFolder inside(dir.Native());
    EXPECT_EQ(FullPathName(L"C:\\UO\\\\Desktop"), L"C:\\UO\\Desktop");
    EXPECT_EQ(FullPathName(L"C:/UO/Desktop"), L"C:\\UO\\Desktop");
    EXPECT_EQ(FullPathName(L"C:\\UO\\.\\x\\..\\Desktop"), L"C:\\UO\\Desktop");
    EXPECT_EQ(WideToUtf8(FullPathName(L"telk.ini")), dir.Native("telk.ini"));
    const std::wstring deep = L"C:\\" + std::wstring(300, L'a') + L"\\\\b";
    EXPECT_EQ(FullPathName(deep), L"C:\\" + std::wstring(300, L'a') + L"\\b");
    EXPECT_EQ(FullPathName(L""), L"");
}

TEST(Win32FileSystem, PathsLongerThan260CharactersWork) {
    TempDir dir;
    Win32FileSystem fs;
    std::string rel;
    for (int level = 0; level < 7; ++level) {
        rel += (rel.empty() ? "" : "\\") + std::string(60, static_cast<char>('a' + level));
        fs.CreateFolder(dir.Win(rel));
    }
    const std::string deep = dir.Win(rel);
    ASSERT_GT(deep.size(), 400u);

    fs.WriteFile(deep + "\\DATA.INI", "deep");
    fs.CopyFile(deep + "\\data.ini", deep + "\\copy.ini");
    fs.WriteFile(deep + "\\next.ini", "next");
    fs.ReplaceFile(deep + "\\copy.ini", deep + "\\next.ini", deep + "\\copy.old");
    fs.Rename(deep + "\\copy.old", deep + "\\renamed.ini");

    EXPECT_EQ(fs.ReadFile(deep + "\\copy.ini"), "next");
    EXPECT_EQ(dir.ReadBytes(rel + "\\renamed.ini"), "deep");
    EXPECT_TRUE(fs.CanOpenForReading(deep + "\\DATA.INI"));
    EXPECT_TRUE(fs.CanEnterFolder(deep));
    EXPECT_NO_THROW(fs.CheckReplaceable(deep + "\\DATA.INI"));
    const auto names = fs.List(deep + "\\*.*", Attr::Normal);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
              (std::set<std::string>{"DATA.INI", "copy.ini", "renamed.ini"}));

    for (const char* name : {"DATA.INI", "copy.ini", "renamed.ini"}) fs.RemoveFile(deep + "\\" + name);
    fs.RemoveFolder(deep);
    EXPECT_FALSE(dir.IsFolder(rel));
}

TEST(Win32FileSystem, CurrentFolderAtADriveRootKeepsItsSeparator) {
    ScopedCurrentFolder root("C:\\");
    EXPECT_EQ(Win32FileSystem().CurrentFolder(), "C:\\");
}

class HeldFile : public ::testing::Test {
protected:
    TempDir dir;
    Win32FileSystem fs {kQuick};

    void SetUp() override {
        dir.WriteBytes("skillgrp.mul", "old");
        dir.WriteBytes("skillgrp.new", "new");
    }
};

TEST_F(HeldFile, AFileOpenWithoutSharingIsNotReplaceable) {
    OpenHandle client(dir.Native("skillgrp.mul"), 0);
    ASSERT_TRUE(client.Valid());

    const FileError check = ErrorOf([&] { fs.CheckReplaceable(dir.Win("SKILLGRP.MUL")); });
    EXPECT_TRUE(check.HeldOpen());
    EXPECT_EQ(check.Code(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(check.Operation(), "open");
    EXPECT_EQ(check.Path(), dir.Win("SKILLGRP.MUL"));

    const FileError copy = ErrorOf([&] { fs.CopyFile(dir.Win("skillgrp.new"), dir.Win("skillgrp.mul")); });
    EXPECT_TRUE(copy.HeldOpen());
    EXPECT_EQ(copy.Path(), dir.Win("skillgrp.mul")) << "the target is what is held";

    const FileError replace = ErrorOf(
        [&] { fs.ReplaceFile(dir.Win("skillgrp.mul"), dir.Win("skillgrp.new"), dir.Win("skillgrp.old")); });
    EXPECT_TRUE(replace.HeldOpen());

    client.Close();
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"skillgrp.mul", "skillgrp.new"}));
    EXPECT_EQ(dir.ReadBytes("skillgrp.mul"), "old");
    EXPECT_NO_THROW(fs.CheckReplaceable(dir.Win("skillgrp.mul")));
}

TEST_F(HeldFile, SharingWithoutDeleteStillBlocksAReplace) {
    {
        OpenHandle client(dir.Native("skillgrp.mul"), FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(client.Valid());
        EXPECT_TRUE(ErrorOf([&] { fs.CheckReplaceable(dir.Win("skillgrp.mul")); }).HeldOpen());
    }
    OpenHandle generous(dir.Native("skillgrp.mul"), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(generous.Valid());
    EXPECT_NO_THROW(fs.CheckReplaceable(dir.Win("skillgrp.mul")));
}

TEST_F(HeldFile, ABriefHoldIsWaitedOut) {
    auto client = std::make_unique<OpenHandle>(dir.Native("skillgrp.mul"), 0);
    ASSERT_TRUE(client->Valid());
    std::thread release([&] {
        Sleep(100);
        client->Close();
    });
    // Generous, so the outcome does not hang on the scheduler.
    Win32FileSystem patient({500, 10});
    EXPECT_NO_THROW(patient.CopyFile(dir.Win("skillgrp.new"), dir.Win("skillgrp.mul")));
    release.join();
    EXPECT_EQ(dir.ReadBytes("skillgrp.mul"), "new");
}

// Players keep desktop.uos or macros.txt read-only so the client leaves
// them alone. The copies the program makes of them (staging, incoming) are
// its own: they must flush, and later be replaced or removed, like any other.
class ReadOnlyFile : public ::testing::Test {
protected:
    TempDir dir;
    Win32FileSystem fs {kQuick};

    void SetUp() override {
        dir.WriteBytes("desktop.uos", "layout");
        SetFileAttributesW(Api("desktop.uos").c_str(), FILE_ATTRIBUTE_READONLY);
        if (!(GetFileAttributesW(Api("desktop.uos").c_str()) & FILE_ATTRIBUTE_READONLY))
            GTEST_SKIP() << "this file system keeps no read-only attribute";
    }
    void TearDown() override {
        // The temporary folder is removed with plain calls.
        for (const std::string& name : dir.Names())
            SetFileAttributesW(Api(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::wstring Api(const std::string& rel) const { return Utf8ToWide(dir.Native(rel)); }
};

TEST_F(ReadOnlyFile, ACopyOfItIsAnOrdinaryFile) {
    ASSERT_NO_THROW(fs.CopyFile(dir.Win("desktop.uos"), dir.Win("desktop.uos.new")));
    EXPECT_EQ(dir.ReadBytes("desktop.uos.new"), "layout");
    EXPECT_EQ(GetFileAttributesW(Api("desktop.uos.new").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    // A second back-up copies over the first.
    EXPECT_NO_THROW(fs.CopyFile(dir.Win("desktop.uos"), dir.Win("desktop.uos.new")));
    EXPECT_NO_THROW(fs.RemoveFile(dir.Win("desktop.uos.new")));
    EXPECT_FALSE(dir.IsFile("desktop.uos.new"));
}

// A slot folder that an older copy of the program filled may hold read-only
// files; the swap's clean-up must still be able to remove them.
TEST_F(ReadOnlyFile, RemoveTakesIt) {
    EXPECT_NO_THROW(fs.RemoveFile(dir.Win("desktop.uos")));
    EXPECT_FALSE(dir.IsFile("desktop.uos"));
}

// A link a player put in a slot, to a folder and to a file outside it.
// Under Wine every call resolves a Unix link, so removing or moving one
// would reach what it points at: the program must see it and keep away. On
// Windows only the link itself goes.
class Linked : public ::testing::Test {
protected:
    struct Link {
        const char* rel;
        const char* target;
        bool folder;
    };
    static constexpr Link kLinks[] = {{"Slot\\Folder", "Outside", true}, {"Slot\\file.txt", "Outside\\keep.txt", false},
                                      {"Slot\\new.tmp.", "Slot\\new.tmp", false}}; // Wine names it "new.tmp"
    TempDir dir;
    Win32FileSystem fs {kQuick};

    void SetUp() override {
        dir.WriteBytes("Outside\\keep.txt", "keep");
        dir.WriteBytes("Slot\\new.tmp", "new");
        for (const Link& link : kLinks)
            if (!MakeLink(Utf8ToWide(dir.Native(link.target)), Wide(link.rel), link.folder))
                GTEST_SKIP() << "no links can be made here";
    }
    // Removed as links: the temporary folder's own clean-up would reach
    // through them under Wine.
    void TearDown() override {
        for (const Link& link : kLinks) RemoveLink(Wide(link.rel), link.folder);
    }
    std::wstring Wide(const char* rel) const { return ToExtendedLengthPath(Utf8ToWide(dir.Native(rel))); }
};

TEST_F(Linked, LinksAreSeenAndPlainEntriesAreNot) {
    for (const Link& link : kLinks) EXPECT_TRUE(fs.IsLink(dir.Win(link.rel))) << link.rel;
    EXPECT_TRUE(fs.IsLink(dir.Win("Slot\\Folder\\")));
    for (const char* rel : {"Outside", "Outside\\keep.txt", "Slot", "Slot\\new.tmp", "Slot\\Folder\\keep.txt"})
        EXPECT_FALSE(fs.IsLink(dir.Win(rel))) << rel;
}

TEST_F(Linked, NothingReachesWhatALinkPointsAt) {
    for (const Link& link : kLinks) {
        const std::string path = dir.Win(link.rel);
        if (!UnderWine()) {
            fs.RemoveFile(path);
            EXPECT_FALSE(dir.IsFile(link.rel) || dir.IsFolder(link.rel)) << link.rel;
            continue;
        }
        const std::vector<std::function<void()>> attempts = {
            [&] { fs.RemoveFile(path); },
            [&] { fs.Rename(path, dir.Win("Slot\\moved")); },
            [&] { fs.ReplaceFile(path, dir.Win("Slot\\new.tmp"), dir.Win("Slot\\old.tmp")); },
            [&] { fs.CopyLink(path, dir.Win("Slot\\copy")); },
        };
        for (std::size_t i = 0; i < attempts.size(); ++i)
            EXPECT_EQ(ErrorOf(attempts[i]).Code(), ERROR_NOT_SUPPORTED) << link.rel << ", attempt " << i;
        EXPECT_TRUE(fs.IsLink(path)) << link.rel;
    }
    EXPECT_EQ(dir.Names("Outside"), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(dir.ReadBytes("Outside\\keep.txt"), "keep");
    EXPECT_EQ(dir.ReadBytes("Slot\\new.tmp"), "new");
}

TEST(Win32FileSystem, HiddenAndSystemAttributesNeedTheirBits) {
    TempDir dir;
    dir.WriteBytes("hidden.txt", "");
    dir.WriteBytes("system.txt", "");
    dir.WriteBytes("plain.txt", "");
    SetFileAttributesW(Utf8ToWide(dir.Native("hidden.txt")).c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(Utf8ToWide(dir.Native("system.txt")).c_str(), FILE_ATTRIBUTE_SYSTEM);
    if (!(GetFileAttributesW(Utf8ToWide(dir.Native("hidden.txt")).c_str()) & FILE_ATTRIBUTE_HIDDEN) ||
        !(GetFileAttributesW(Utf8ToWide(dir.Native("system.txt")).c_str()) & FILE_ATTRIBUTE_SYSTEM))
        GTEST_SKIP() << "this file system keeps no DOS attributes";

    Win32FileSystem fs;
    auto set = [&](std::uint16_t mask) {
        const auto names = fs.List(dir.Win("*.txt"), mask);
        return std::set<std::string>(names.begin(), names.end());
    };
    EXPECT_EQ(set(Attr::Folder), (std::set<std::string>{"plain.txt"}));
    EXPECT_EQ(set(Attr::Hidden), (std::set<std::string>{"plain.txt", "hidden.txt"}));
    EXPECT_EQ(set(Attr::System), (std::set<std::string>{"plain.txt", "system.txt"}));
}

TEST(Win32Error, MessagesAreTheSystemsOwnWithoutTheLineBreak) {
    const std::string message = SystemMessage(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(message.empty());
    EXPECT_NE(message.back(), '\n');
    EXPECT_NE(message.back(), '\r');

    const FileError error = ErrorOf([] { ThrowFileError("copy", "C:\\x", ERROR_LOCK_VIOLATION); });
    EXPECT_EQ(error.SystemMessage(), SystemMessage(ERROR_LOCK_VIOLATION));
    EXPECT_EQ(std::string(error.what()), "copy C:\\x: " + error.SystemMessage());
}

// Only a sharing or lock conflict points at the running client; a missing
// right or a full disk must be told as such.
TEST(Win32Error, CodesTellAHeldFileFromAMissingRight) {
    const struct {
        DWORD code;
        FileCause cause;
        bool retried;
    } cases[] = {
        {ERROR_SHARING_VIOLATION, FileCause::HeldOpen, true},
        {ERROR_LOCK_VIOLATION, FileCause::HeldOpen, true},
        {ERROR_ACCESS_DENIED, FileCause::NoAccess, true},
        {ERROR_WRITE_PROTECT, FileCause::NoAccess, false},
        {ERROR_PRIVILEGE_NOT_HELD, FileCause::NoAccess, false},
        {ERROR_DISK_FULL, FileCause::DiskFull, false},
        {ERROR_HANDLE_DISK_FULL, FileCause::DiskFull, false},
        {ERROR_FILE_NOT_FOUND, FileCause::Other, false},
        {ERROR_NOT_SUPPORTED, FileCause::Other, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorOf([&] { ThrowFileError("replace", "x", c.code); }).Cause(), c.cause) << c.code;
        EXPECT_EQ(IsRetriedError(c.code), c.retried) << c.code;
    }
}

} // namespace
} // namespace telk::test
