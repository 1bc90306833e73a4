// The one error type for file failures, its message a sentence that names
// the operation, the path and the system's reason.

#include "platform/FileError.h"

#include <utility>

namespace telk {

// what() reads like a sentence a log or a message box can quote as is:
// "copy C:\x\a.txt: Access is denied."
FileError::FileError(std::string operation, std::string path, std::string systemMessage,
                     int code, FileCause cause)
    : std::runtime_error(operation + " " + path + ": " + systemMessage),
      operation_(std::move(operation)),
      path_(std::move(path)),
      systemMessage_(std::move(systemMessage)),
      code_(code),
      cause_(cause) {}

} // namespace telk
