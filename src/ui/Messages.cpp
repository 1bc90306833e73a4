// Japanese texts for failures, in the program's casual tone.

#include "ui/Messages.h"

#include "store/ShownPath.h"

namespace telk::ui {

namespace {

std::string Shown(const ShowPath& show, const std::string& path) {
    return show ? show(path) : path;
}

} // namespace

ShowPath AsExplorerShows(FileSystem& fs) {
    return [&fs](const std::string& path) { return PathAsShown(fs, path); };
}

std::string FileFailureText(const FileError& error, const ShowPath& show) {
    std::string text = "ファイルの操作に失敗しちゃいました";
    if (!error.Path().empty()) text += "\r\n" + Shown(show, error.Path());
    if (!error.SystemMessage().empty()) text += "\r\n" + error.SystemMessage();
    // A sharing or access conflict is nearly always the running client.
    if (error.Cause() == FileCause::HeldOpen) text += "\r\nＵＯが起動中かも？終了してからやり直してね";
    // Rights or a read-only medium: no use waiting for the client.
    if (error.Cause() == FileCause::NoAccess) text += "\r\n書き換える権限が無いみたいっす\r\n場所や権限を確かめてみてちょ";
    if (error.Cause() == FileCause::DiskFull) text += "\r\nディスクがいっぱいみたいっす\r\n空きを作ってからやり直してね";
    return text;
}

std::string FailureText(const std::exception& error) {
    if (const auto* file = dynamic_cast<const FileError*>(&error)) return FileFailureText(*file);
    return std::string("うまくいきませんでした\r\n") + error.what();
}

namespace {

// The file, then where its previous contents are, as far as it is known.
std::string KeptLines(const KeptCopy& kept, const ShowPath& show) {
    const std::string file = "\r\n" + Shown(show, kept.file);
    switch (kept.kind) {
    case KeptCopy::Kind::Journal:
        return file + "\r\n途中のリストアの記録は、そのままにしてあるっす";
    case KeptCopy::Kind::PreviousInCopyIfReplaced:
        return file + "\r\n置き換わってたら、前の中身はここに残ってます\r\n" + Shown(show, kept.copy);
    case KeptCopy::Kind::PreviousInCopy:
        break;
    }
    if (kept.copy.empty()) return file + "\r\n（前は無かったファイルです）";
    return file + "\r\n前の中身はここに残ってます\r\n" + Shown(show, kept.copy);
}

} // namespace

std::string RollbackFailureText(const RollbackFailed& error, const ShowPath& show) {
    std::string text = FileFailureText(error, show);
    for (const KeptCopy& kept : error.Kept()) text += "\r\n元に戻せなかったっす…" + KeptLines(kept, show);
    return text;
}

std::string PreviousFilesWaitText(const PreviousFilesWait& error, bool restoreRefused, const ShowPath& show) {
    std::string text = FileFailureText(error, show) +
                       (error.Pending() ? "\r\n前にリストアしたときの前のファイルを、まだ安全コピーに入れきれてないっす…"
                                        : "\r\nリストアはできたけど、前のファイルを安全コピーに入れきれなかったっす…");
    for (const KeptCopy& kept : error.Kept()) text += KeptLines(kept, show);
    text += "\r\n次に起動したときに安全コピーに移すね";
    if (restoreRefused) text += "\r\nそれまでリストアはお休みっす";
    return text;
}

std::string LinkedSlotText(const LinkedSlot& error, const ShowPath& show) {
    return "スロットのフォルダがリンクになってるっす\r\n" + Shown(show, error.Path()) +
           "\r\nリンクの先を消しちゃわないように、ここにはバックアップしません\r\n"
           "ふつうのフォルダに戻すか、Settingsフォルダごとリンクしてね";
}

std::string LeftAsSavedText(const std::vector<KeptCopy>& leftAsSaved, const ShowPath& show) {
    if (leftAsSaved.empty()) return {};
    std::string text = "途中だったリストアを元に戻したけど\r\nＵＯが保存したファイルはそのままにしました";
    for (const KeptCopy& kept : leftAsSaved) text += KeptLines(kept, show);
    return text;
}

std::string RepairReportText(const RepairReport& report, const ShowPath& show) {
    std::string text;
    if (!report.waiting.empty()) {
        text = "途中で止まった作業を片付けきれなかったっす…";
        for (const KeptCopy& kept : report.waiting) text += KeptLines(kept, show);
        text += "\r\n次に起動したときにもう一回やってみるね";
    }
    for (const KeptCopy& pair : report.undecided) {
        text += (text.empty() ? "" : "\r\n\r\n") + std::string("どっちが本物か分からないスロットがあるっす\r\n") +
                Shown(show, pair.file) + "\r\n" + Shown(show, pair.copy) + "\r\n中を見て、いらないほうを消してね";
    }
    const std::string saved = LeftAsSavedText(report.leftAsSaved, show);
    if (!saved.empty()) text += (text.empty() ? "" : "\r\n\r\n") + saved;
    return text;
}

} // namespace telk::ui
