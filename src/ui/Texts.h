// Every fixed text the player reads, by window and flow: captions, labels,
// buttons, questions, notices and the pieces that Messages.cpp joins into
// failure messages. The bytes are the program's words as shown: full-width
// characters, "～", CR LF between lines. The message boxes' title is the
// window model's own (kProgramTitle in ui/forms/Ui.h).
#pragma once

#include "Version.h"

namespace telk::ui {

// --- The folder window: the install to work on. ---
inline constexpr const char* kUoSelCaption = "ＵＯフォルダこれでいいかな？";
inline constexpr const char* kUoSelFolderLabel = "インストールフォルダ";
inline constexpr const char* kUoSelOther = "これじゃない";
inline constexpr const char* kUoSelAccept = "いいよん";
inline constexpr const char* kUoSelQuit = "や～めた";
inline constexpr const char* kUoSelSettings = "設定";
inline constexpr const char* kUoSelVersion = "TELK　Ｖｅｒ" TELK_VERSION_FULLWIDTH;
inline constexpr const char* kUoSelMaker = "製作：ＴＥＬＫ開発チーム";
inline constexpr const char* kUoSelThanks = "いつも使ってくれてありがとね";
// Either ends the run.
inline constexpr const char* kNoFolderText = "そのフォルダ無いみたいです\r\n確認してくださいね";
inline constexpr const char* kNeverLoggedInText = "一回もログインしていないみたいです\r\nキャラを作ってからやってね";

// --- The window shown while the lists are read. ---
inline constexpr const char* kWaitText = "処理中～ちょっとまっててね";

// --- The main window: the character and its five slots. ---
inline constexpr const char* kMainCaption = "どのキャラっすかね？";
inline constexpr const char* kMainAccountLabel = "アカウント選択";
inline constexpr const char* kMainShardLabel = "シャード選択";
inline constexpr const char* kMainCharacterLabel = "キャラ選択";
inline constexpr const char* kMainConfirm = "このキャラを\r\n編集したいな";
inline constexpr const char* kMainBackUp = "バックアップ";
inline constexpr const char* kMainRestore = "リストア";
inline constexpr const char* kMainQuit = "終了";
// The title of the questions about leaving or dropping typed names.
inline constexpr const char* kConfirmTitle = "確認しま～す";
inline constexpr const char* kQuitQuestion = "終わってもいいかな？";
inline constexpr const char* kReconfirmQuestion = "編集途中のデータは消えちゃうよ？";
// Followed by the folder and the system's reason.
inline constexpr const char* kFolderUnlistedText = "フォルダの中身が読めなかったっす";
// Followed by the back-up's or the restore's hint.
inline constexpr const char* kFilesMissingText = "必要ファイルが無いです";
inline constexpr const char* kBackUpQuestion = "キャラデータをバックアップします\r\nよろしいでしょうか？";
inline constexpr const char* kBackUpMissingHint = "ＵＯ起動して再度やり直してみてちょ";
inline constexpr const char* kBackUpWhileRunningQuestion =
    "ＵＯが起動中みたいです\r\nバックアップされるのは最後にログアウトしたときの中身っす\r\n続けますか？";
inline constexpr const char* kBackUpDoneText = "ばっぶあっぷ完了っす！";
// A slot name with characters the text files' code page lacks is kept
// with "?" in their place.
inline constexpr const char* kNameNotKeptText = "スロット名に保存できない文字があったので\r\n「?」になってます";
inline constexpr const char* kRestoreQuestion = "キャラデータをリストアします\r\nよろしいでしょうか？";
inline constexpr const char* kRestoreMissingHint = "バックアップしていないんじゃないかなぁ";
inline constexpr const char* kRestoreWhileRunningQuestion =
    "ＵＯが起動中みたいです\r\nログアウトするとリストアが元に戻っちゃうかも\r\n続けますか？";
inline constexpr const char* kUndoWhileRunningQuestion =
    "ＵＯが起動中みたいです\r\nログアウトすると、元に戻したのが無かったことになっちゃうかも\r\n続けますか？";
// A restore into lists that name no single character folder (an empty
// list, a typed "..").
inline constexpr const char* kNoCharacterText = "キャラが選ばれてないみたいです\r\nリストから選び直してね";

// The main window's popup menu: its one item.
inline constexpr const char* kMainUndoMenu = "リストアを元に戻す…";
// Listing the safety copies found none after all (settling used the last one up).
inline constexpr const char* kNoUndoPointsText = "元に戻せるリストアが見つからなかったっす";
// The undo's first question: the character, kUndoQuestionWhose, the row's
// name, then kUndoQuestionAfter.
inline constexpr const char* kUndoQuestionWhose = " のキャラデータを\r\n";
inline constexpr const char* kUndoQuestionAfter = " のリストアの前に戻します\r\nよろしいでしょうか？";
// The same for a row whose record says what wrote it: a restore of a slot
// ("〈日時〉 のスロット2「狩り用」" then this), or an undo ("〈日時〉" then this).
inline constexpr const char* kUndoQuestionSlotAfter = "のリストアの前に戻します\r\nよろしいでしょうか？";
inline constexpr const char* kUndoQuestionUndoAfter = " に元に戻したときの前に戻します\r\nよろしいでしょうか？";
// Followed by the files, one a line: an older safety copy cannot tell
// whether the restore brought them in, so the undo kept them as they are.
inline constexpr const char* kUndoStayedText = "このファイルはリストアの前にあったかどうか分からなかったので\r\nそのままにしてあるっす";
// The chosen row's safety copy is gone (removed after the window opened):
// this, where it was, then the advice. Nothing was changed.
inline constexpr const char* kUndoPointGoneText = "選んだ安全コピーが、もう無くなってるみたいっす";
inline constexpr const char* kUndoPointGoneAdvice = "なんにも変えてないので、もう一回メニューから選び直してね";

// --- The undo window: which restore to go back before. ---
inline constexpr const char* kUndoCaption = "いつに戻します？";
// A row: the time, what was done then, what going back does to each file.
// A restore of a slot: kUndoRowSlot, the slot's number, 「its name」, then
// kUndoRowRestoreAfter; an undo: kUndoRowUndo; unrecorded: kUndoRowRestore.
inline constexpr const char* kUndoRowSlot = "スロット";
inline constexpr const char* kUndoRowRestoreAfter = "のリストアの前";
inline constexpr const char* kUndoRowRestore = "リストアの前";
inline constexpr const char* kUndoRowUndo = "元に戻したときの前";
// The first generation, the files from before TELK ever restored: kept for good.
inline constexpr const char* kUndoRowFirst = "（いちばん最初・ずっと取っておくよ）";
inline constexpr const char* kUndoRowPutBack = "戻す：";
inline constexpr const char* kUndoRowTakeAway = "消して取っておく：";
// The row of the files an earlier version kept, which carry no date.
inline constexpr const char* kUndoOlderCopy = "前のバージョンの安全コピー";
inline constexpr const char* kUndoGo = "戻す";
inline constexpr const char* kUndoCancel = "やめる";

// --- The prompt after a restore: start a client or not. ---
inline constexpr const char* kRunUOCaption = "ＵＯ起動します？";
inline constexpr const char* kRunUODone = "リストア完了！　ＵＯ起動する？";
inline constexpr const char* kRunUOUndone = "元に戻したっす！　ＵＯ起動する？";
inline constexpr const char* kRunUO2D = "２Ｄ起動";
inline constexpr const char* kRunUO3D = "３Ｄ起動";
inline constexpr const char* kRunUONothing = "なんもしない";
// Followed by the program's path (or the words for none) and the reason.
inline constexpr const char* kStartFailedText = "起動できませんでした";
inline constexpr const char* kNoProgramPath = "（パスが設定されてないです）";

// --- The settings window: the two client programs. ---
inline constexpr const char* kSetupCaption = "TELK設定";
inline constexpr const char* kSetup2DLabel = "２Ｄクライアント起動ファイル";
inline constexpr const char* kSetup3DLabel = "３Ｄクライアント起動ファイル";
inline constexpr const char* kSetupSave = "保存";
inline constexpr const char* kSetupDiscard = "廃棄";
inline constexpr const char* kSetupClose = "終了";
// A path with characters the text files' code page lacks is kept with "?"
// in their place.
inline constexpr const char* kPathNotKeptText = "保存できない文字が入ってたみたいっす\r\n「?」になったところを確かめてね";

// --- The folder and program pickers. ---
inline constexpr const char* kSelDirCaption = "フォルダ選択";
inline constexpr const char* kSelFileCaption = "ＵＯ実行実行プログラム選択";
// Both pickers' and the settings window's button that takes the choice.
inline constexpr const char* kPickChoose = "選択";
inline constexpr const char* kSelDirCancel = "中止";
inline constexpr const char* kSelFileCancel = "中断";
inline constexpr const char* kNoFileText = "ファイルが選択されたいないよ～";
inline constexpr const char* kFolderUnreadableText = "フォルダが開けないみたいです\r\n確認してくださいね";
inline constexpr const char* kDriveUnreadableText = "ドライブが読めないみたいです\r\n確認してくださいね";

// --- Told once at the start. ---
// telk.ini or the slot store cannot be made where the program runs
// (Program Files, a read-only medium).
inline constexpr const char* kUnwritableFolderText =
    "TELKの置き場所に書き込めないみたいっす\r\nC:\\TELK みたいな、自分で作ったフォルダに置いてから起動してね";
// The working folder is inside a temporary folder: where Windows runs a
// program started from inside its zip, and where clean-up empties
// everything, slots included.
inline constexpr const char* kTemporaryFolderText =
    "一時フォルダの中で起動してるみたいっす\r\nここに作ったスロットは、そのうち勝手に消されちゃうかも\r\n"
    "zipを展開して、C:\\TELK みたいな自分で作ったフォルダから telk.exe を起動してね";

// --- Failures: the pieces Messages.cpp joins, each on lines of its own. ---
// A file failure: this, the file, the system's reason, the cause's hint.
inline constexpr const char* kFileFailedText = "ファイルの操作に失敗しちゃいました";
inline constexpr const char* kHeldOpenHint = "ＵＯが起動中かも？終了してからやり直してね";
inline constexpr const char* kNoAccessHint = "書き換える権限が無いみたいっす\r\n場所や権限を確かめてみてちょ";
inline constexpr const char* kDiskFullHint = "ディスクがいっぱいみたいっす\r\n空きを作ってからやり直してね";
inline constexpr const char* kCharFolderMissingHint = "キャラのフォルダが見つからないっす";
// Anything else a handler let through: this, then what it says.
inline constexpr const char* kFailedText = "うまくいきませんでした";
// After a file: where its previous contents are, as far as it is known.
inline constexpr const char* kKeptHere = "前の中身はここに残ってます";
inline constexpr const char* kKeptHereIfReplaced = "置き換わってたら、前の中身はここに残ってます";
inline constexpr const char* kKeptRecord = "途中のリストアの記録は、そのままにしてあるっす";
inline constexpr const char* kKeptNothingBefore = "（前は無かったファイルです）";
inline constexpr const char* kKeptUnreadable = "読めなかったので、そのままにしてあるっす";
// Before each file a failed transfer could not put back.
inline constexpr const char* kNotPutBack = "元に戻せなかったっす…";
// A restore's previous files not all in the safety copy: an earlier
// restore's, or this one's (or this undo's); then when they move, and that
// restores (undos) wait.
inline constexpr const char* kPreviousPending = "前にリストアしたときの前のファイルを、まだ安全コピーに入れきれてないっす…";
inline constexpr const char* kPreviousNotKept = "リストアはできたけど、前のファイルを安全コピーに入れきれなかったっす…";
inline constexpr const char* kUndoPreviousNotKept = "元に戻せたけど、前のファイルを安全コピーに入れきれなかったっす…";
inline constexpr const char* kPreviousNextStart = "次に起動したときに安全コピーに移すね";
inline constexpr const char* kRestorePaused = "それまでリストアはお休みっす";
inline constexpr const char* kUndoPaused = "それまで元に戻すのはお休みっす";
// A back-up refused because the slot folder is a link: this, the folder, the advice.
inline constexpr const char* kLinkedSlotText = "スロットのフォルダがリンクになってるっす";
inline constexpr const char* kLinkedSlotAdvice =
    "リンクの先を消しちゃわないように、ここにはバックアップしません\r\n"
    "ふつうのフォルダに戻すか、Settingsフォルダごとリンクしてね";
// Files an unfinished restore's settling left as the client saved them;
// told on the way to an undo, what stopped may have been a restore or an undo.
inline constexpr const char* kLeftAsSavedText = "途中だったリストアを元に戻したけど\r\nＵＯが保存したファイルはそのままにしました";
inline constexpr const char* kUndoLeftAsSavedText = "途中で止まってた作業を片付けたけど\r\nＵＯが保存したファイルはそのままにしました";
// What the start could not settle, and a slot with two halves.
inline constexpr const char* kRepairWaitingText = "途中で止まった作業を片付けきれなかったっす…";
inline constexpr const char* kRepairNextStart = "次に起動したときにもう一回やってみるね";
// Folders below the safety copies that the program did not make, or whose
// records name another folder: this, each folder, the advice.
inline constexpr const char* kNotOursText = "TELKが作ったのじゃない安全コピーがあったので、さわらずにそのままにしてあるっす";
inline constexpr const char* kNotOursAdvice = "中を確かめて、いらなければ消してね";
// A journal in the character's own safety copy that names another folder
// stops a back-up, a restore or an undo: this, the journal, the advice.
inline constexpr const char* kForeignJournalText = "このキャラの安全コピーに、ほかのフォルダのリストアの記録があるっす";
inline constexpr const char* kForeignJournalAdvice =
    "なんにも変えてません\r\n中を確かめて、いらなければ消してからやり直してね";
inline constexpr const char* kUndecidedSlotText = "どっちが本物か分からないスロットがあるっす";
inline constexpr const char* kUndecidedSlotAdvice = "中を見て、いらないほうを消してね";

// --- The note a restore leaves in the character's safety folder, below
// the line naming the character folder. ---
inline constexpr const char* kSafetyNoteLines[] = {
    "この中の日時のフォルダに、上のキャラのフォルダへリストアする前のファイルが入ってます",
    "最後にリストアする前の分は、restore.order のいちばん下の行の日時のフォルダです（PCの時計がずれてても、この順番です）",
};
// What notes of earlier versions say below the folder: replaced where a
// note holds exactly this, since the newest date need not be the last.
inline constexpr const char* kSafetyNoteLinesBefore[] = {
    "この中の日時のフォルダに、上のキャラのフォルダへリストアする前のファイルが入ってます",
    "いちばん新しい日時のフォルダが、最後にリストアする前の分です",
};

} // namespace telk::ui
