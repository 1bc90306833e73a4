// What the user reads when a file operation fails: the file, the system's
// reason, the hint that fits the cause, and what could not be put back.
#include <gtest/gtest.h>

#include "store/ShownPath.h"
#include "support/TempDir.h"
#include "ui/Messages.h"

namespace telk::ui {
namespace {

constexpr const char* kHeldHint = "ＵＯが起動中かも？";
constexpr const char* kRightsHint = "書き換える権限が無いみたいっす";
constexpr const char* kFullHint = "ディスクがいっぱいみたいっす";

TEST(Messages, EachCauseGetsItsOwnHint) {
    struct Case {
        FileCause cause;
        bool held, rights, full;
    } cases[] = {{FileCause::Other, false, false, false},
                 {FileCause::HeldOpen, true, false, false},
                 {FileCause::NoAccess, false, true, false},
                 {FileCause::DiskFull, false, false, true}};
    for (const Case& c : cases) {
        const std::string text = FileFailureText(FileError("copy", "C:\\UO\\desktop.uos", "why", 5, c.cause));
        EXPECT_EQ(text.rfind("ファイルの操作に失敗しちゃいました\r\nC:\\UO\\desktop.uos\r\nwhy", 0), 0u) << text;
        EXPECT_EQ(text.find(kHeldHint) != std::string::npos, c.held) << text;
        EXPECT_EQ(text.find(kRightsHint) != std::string::npos, c.rights) << text;
        EXPECT_EQ(text.find(kFullHint) != std::string::npos, c.full) << text;
    }
}

TEST(Messages, TheDispatcherWordsAFileFailureAsSuchAndAnyOtherAsAFailure) {
    const FileError file("copy", "C:\\UO\\desktop.uos", "why", 32, FileCause::HeldOpen);
    EXPECT_EQ(FailureText(file), FileFailureText(file));
    EXPECT_EQ(FailureText(std::runtime_error("broken")), "うまくいきませんでした\r\nbroken");
}

TEST(Messages, AFailedRollbackNamesTheFileAndWhereItsContentsWait) {
    const RollbackFailed error(FileError("rename", "C:\\S\\2.new", "why", 32, FileCause::HeldOpen),
                               {{"C:\\UO\\macros.txt", "C:\\UO\\macros.txt.telk-old"}});
    const std::string text = RollbackFailureText(error);
    EXPECT_EQ(text.rfind(FileFailureText(error), 0), 0u);
    EXPECT_NE(text.find("C:\\UO\\macros.txt\r\n前の中身はここに残ってます\r\nC:\\UO\\macros.txt.telk-old"), std::string::npos)
        << text;
}

// Paths in messages as Explorer shows them: single separators, each name as
// it is on disk, the rest as given from the first name that is not there.
TEST(Messages, PathsAreShownAsExplorerShowsThem) {
    test::TempDir dir;
    dir.WriteBytes("Settings\\2\\chardata.mul", "x");
    dir.MakeFolder("UO\\Desktop\\Acc");
    const std::unique_ptr<FileSystem> fs = test::MakePlatformFileSystem();
    const std::pair<std::string, std::string> cases[] = {
        {"SETTINGS\\2\\CHARDATA.MUL", "Settings\\2\\chardata.mul"},
        {"UO\\\\DESKTOP\\acc\\Shard\\", "UO\\Desktop\\Acc\\Shard\\"},
        {"UO\\DESKTOP\\*.*", "UO\\Desktop\\*.*"},
    };
    for (const auto& [given, shown] : cases) EXPECT_EQ(PathAsShown(*fs, dir.Win() + "\\" + given), dir.Win() + "\\" + shown);
    EXPECT_EQ(PathAsShown(*fs, "\\\\server\\\\share\\x"), "\\\\server\\share\\x");
    EXPECT_NE(FileFailureText(FileError("copy", dir.Win() + "\\SETTINGS", "", 5, FileCause::Other), AsExplorerShows(*fs))
                  .find(dir.Win() + "\\Settings"), std::string::npos);
}

} // namespace
} // namespace telk::ui
