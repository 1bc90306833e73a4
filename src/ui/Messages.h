// How a failed file operation is put to the user.
#pragma once

#include <string>

#include "platform/FileError.h"
#include "store/Transfer.h"

namespace telk::ui {

// The message box text for a file failure: what happened, the file, the
// system's reason, and a hint when the running client holds the file.
std::string FileFailureText(const FileError& error);

// Told once at the start when telk.ini or the slot store cannot be made
// where the program runs (Program Files, a read-only medium).
inline constexpr const char* kUnwritableFolderText =
    "TELKの置き場所に書き込めないみたいっす\r\nデスクトップやドキュメントみたいな自分のフォルダに置いてから起動してね";

// A path or a slot name with characters the text files' code page lacks
// is kept with "?" in their place.
inline constexpr const char* kPathNotKeptText = "保存できない文字が入ってたみたいっす\r\n「?」になったところを確かめてね";
inline constexpr const char* kNameNotKeptText = "スロット名に保存できない文字があったので\r\n「?」になってます";

// A restore into lists that name no single character folder (an empty
// list, a typed "..").
inline constexpr const char* kNoCharacterText = "キャラが選ばれてないみたいです\r\nリストから選び直してね";

// The same, and then each file that could not be put back with the place
// where its previous contents wait.
std::string RollbackFailureText(const RollbackFailed& error);

// A back-up refused before anything changed, because the slot folder is a link.
std::string LinkedSlotText(const LinkedSlot& error);

// Files that settling an unfinished restore left as the client saved them,
// with where their previous contents are; empty when there are none.
std::string LeftAsSavedText(const std::vector<KeptCopy>& leftAsSaved);

// What the start could not settle and what it left as the client saved
// it, told once; empty when everything was settled.
std::string RepairReportText(const RepairReport& report);

} // namespace telk::ui
