// Turning Win32 error codes into the program's own error values: the
// system's message, the cause the user can act on, and whether to retry.
#pragma once

#include <string>

#include "platform/FileError.h"

namespace telk {

// The system's text for a Win32 error code, in UTF-8, without the trailing
// line break; a generic text when the system has none.
std::string SystemMessage(unsigned long code);

// Sharing, lock and access conflicts (32, 33, 5): what a short retry may
// clear, as virus scanners hold a file for a moment.
bool IsRetriedError(unsigned long code);
// What the user can do about the error.
FileCause CauseOf(unsigned long code);

[[noreturn]] void ThrowFileError(const std::string& operation, const std::string& path,
                                 unsigned long code);
// The same with GetLastError().
[[noreturn]] void ThrowLastFileError(const std::string& operation, const std::string& path);

} // namespace telk
