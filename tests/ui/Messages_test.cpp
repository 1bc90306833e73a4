// What the user reads when a file operation fails: the file, the system's
// reason, the hint that fits the cause, and what could not be put back.
#include <gtest/gtest.h>

#include "store/restore/SafetyFolder.h"
#include "store/ShownPath.h"
#include "support/TempDir.h"
#include "ui/Messages.h"
#include "ui/Texts.h"

namespace telk::ui {
namespace {

// The system's words spelled out once here; everywhere else they come from ui/Texts.h.
TEST(Messages, EachCauseGetsItsOwnHint) {
    const std::pair<FileCause, std::string> cases[] = {
        {FileCause::Other, ""},
        {FileCause::OtherVolume, ""},
        {FileCause::HeldOpen, "\r\nＵＯが起動中かも？終了してからやり直してね"},
        {FileCause::NoAccess, "\r\n書き換える権限が無いみたいっす\r\n場所や権限を確かめてみてちょ"},
        {FileCause::DiskFull, "\r\nディスクがいっぱいみたいっす\r\n空きを作ってからやり直してね"},
        {FileCause::FolderMissing, "\r\nキャラのフォルダが見つからないっす"},
    };
    for (const auto& [cause, hint] : cases)
        EXPECT_EQ(FileFailureText(FileError("copy", "C:\\UO\\desktop.uos", "why", 5, cause)),
                  "ファイルの操作に失敗しちゃいました\r\nC:\\UO\\desktop.uos\r\nwhy" + hint);
}

TEST(Messages, TheDispatcherWordsAFileFailureAsSuchAndAnyOtherAsAFailure) {
    const FileError file("copy", "C:\\UO\\desktop.uos", "why", 32, FileCause::HeldOpen);
    EXPECT_EQ(FailureText(file), FileFailureText(file));
    EXPECT_EQ(FailureText(std::runtime_error("broken")), std::string(kFailedText) + "\r\nbroken");
}

TEST(Messages, AFailedRollbackNamesTheFileAndWhereItsContentsWait) {
    const RollbackFailed error(FileError("rename", "C:\\S\\2.new", "why", 32, FileCause::HeldOpen),
                               {{"C:\\UO\\macros.txt", "C:\\UO\\macros.txt.telk-old"}});
    const std::string text = RollbackFailureText(error);
    EXPECT_EQ(text.rfind(FileFailureText(error), 0), 0u);
    EXPECT_NE(text.find("C:\\UO\\macros.txt\r\n" + std::string(kKeptHere) + "\r\nC:\\UO\\macros.txt.telk-old"),
              std::string::npos)
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
    // A network share keeps its two leading separators, in messages and in
    // the note a restore leaves in the safety folder (its bytes spelled out).
    EXPECT_EQ(PathAsShown(*fs, "\\\\server\\\\share\\x"), "\\\\server\\share\\x");
    EXPECT_EQ(SafetyNote("\\\\server\\\\share\\x\\", kSafetyNoteLines),
              "\xEF\xBB\xBF\\\\server\\share\\x\\\r\n"
              "この中の日時のフォルダに、上のキャラのフォルダへリストアする前のファイルが入ってます\r\n"
              "最後にリストアする前の分は、restore.order のいちばん下の行の日時のフォルダです（PCの時計がずれてても、この順番です）\r\n");
    EXPECT_NE(FileFailureText(FileError("copy", dir.Win() + "\\SETTINGS", "", 5, FileCause::Other), AsExplorerShows(*fs))
                  .find(dir.Win() + "\\Settings"), std::string::npos);
}

} // namespace
} // namespace telk::ui
