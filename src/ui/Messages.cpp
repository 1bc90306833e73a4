// Japanese texts for failures, in the program's casual tone.

#include "ui/Messages.h"

namespace telk::ui {

std::string FileFailureText(const FileError& error) {
    std::string text = "ファイルの操作に失敗しちゃいました";
    if (!error.Path().empty()) text += "\r\n" + error.Path();
    if (!error.SystemMessage().empty()) text += "\r\n" + error.SystemMessage();
    // A sharing or access conflict is nearly always the running client.
    if (error.Cause() == FileCause::HeldOpen) text += "\r\nＵＯが起動中かも？終了してからやり直してね";
    // Rights or a read-only medium: no use waiting for the client.
    if (error.Cause() == FileCause::NoAccess) text += "\r\n書き換える権限が無いみたいっす\r\n場所や権限を確かめてみてちょ";
    if (error.Cause() == FileCause::DiskFull) text += "\r\nディスクがいっぱいみたいっす\r\n空きを作ってからやり直してね";
    return text;
}

std::string RollbackFailureText(const RollbackFailed& error) {
    std::string text = FileFailureText(error);
    for (const KeptCopy& kept : error.Kept())
        text += "\r\n元に戻せなかったっす…\r\n" + kept.file + "\r\n前の中身はここに残ってます\r\n" + kept.copy;
    return text;
}

} // namespace telk::ui
