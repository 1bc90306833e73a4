// Turning Win32 error codes into the program's own error values.
#pragma once

#include <string>

namespace telk {

// The system's text for a Win32 error code, in UTF-8, without the trailing
// line break; a generic text when the system has none.
std::string SystemMessage(unsigned long code);

// Sharing and access conflicts (5, 32, 33): what a program holding a file
// open causes, and what a short retry may clear.
bool IsHeldOpenError(unsigned long code);

[[noreturn]] void ThrowFileError(const std::string& operation, const std::string& path,
                                 unsigned long code);
// The same with GetLastError().
[[noreturn]] void ThrowLastFileError(const std::string& operation, const std::string& path);

} // namespace telk
