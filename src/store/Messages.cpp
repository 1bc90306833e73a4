// Japanese texts for failures, in the program's casual tone.

#include "store/Messages.h"

namespace telk {

std::string FileFailureText(const FileError& error) {
    std::string text = "ファイルの操作に失敗しちゃいました";
    if (!error.Path().empty()) text += "\r\n" + error.Path();
    if (!error.SystemMessage().empty()) text += "\r\n" + error.SystemMessage();
    // A sharing or access conflict is nearly always the running client.
    if (error.HeldOpen()) text += "\r\nＵＯが起動中かも？終了してからやり直してね";
    return text;
}

} // namespace telk
