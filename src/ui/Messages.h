// How a failed file operation is put to the user.
#pragma once

#include <string>

#include "platform/FileError.h"
#include "store/Transfer.h"

namespace telk::ui {

// The message box text for a file failure: what happened, the file, the
// system's reason, and a hint when the running client holds the file.
std::string FileFailureText(const FileError& error);

// The same, and then each file that could not be put back with the place
// where its previous contents wait.
std::string RollbackFailureText(const RollbackFailed& error);

} // namespace telk::ui
