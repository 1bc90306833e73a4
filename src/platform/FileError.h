// The one error type for file and folder failures: what was done, to which
// path, and the system's own words for why it failed (UTF-8).
#pragma once

#include <stdexcept>
#include <string>

namespace telk {

class FileError : public std::runtime_error {
public:
    // code is the system's error number (Win32 GetLastError or errno);
    // heldOpen says it is a sharing or access conflict, the kind a running
    // client causes and a short retry may clear.
    FileError(std::string operation, std::string path, std::string systemMessage, int code,
              bool heldOpen);

    const std::string& Operation() const { return operation_; }
    const std::string& Path() const { return path_; }
    const std::string& SystemMessage() const { return systemMessage_; }
    int Code() const { return code_; }
    bool HeldOpen() const { return heldOpen_; }

private:
    std::string operation_;
    std::string path_;
    std::string systemMessage_;
    int code_;
    bool heldOpen_;
};

} // namespace telk
