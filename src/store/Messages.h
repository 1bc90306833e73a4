// How a failed file operation is put to the user.
#pragma once

#include <string>

#include "platform/FileError.h"

namespace telk {

// The message box text for a file failure: what happened, the file, the
// system's reason, and a hint when the running client holds the file.
std::string FileFailureText(const FileError& error);

} // namespace telk
