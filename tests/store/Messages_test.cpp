// The text a failed file operation shows.
#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "store/Messages.h"

namespace telk {
namespace {

TEST(MessagesTest, NamesTheFileAndTheReasonAndHintsAtARunningClient) {
    const FileError held("ReplaceFile", "C:\\UO\\chardata.mul", "別のプロセスが使用中です。", 32, true);
    EXPECT_EQ(FileFailureText(held),
              "ファイルの操作に失敗しちゃいました\r\nC:\\UO\\chardata.mul\r\n別のプロセスが使用中です。\r\n"
              "ＵＯが起動中かも？終了してからやり直してね");

    const FileError full("CopyFile", "C:\\x", "disk full", 112, false);
    EXPECT_EQ(FileFailureText(full), "ファイルの操作に失敗しちゃいました\r\nC:\\x\r\ndisk full");
}

} // namespace
} // namespace telk
