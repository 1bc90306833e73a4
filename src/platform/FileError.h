// The one error type for file and folder failures: what was done, to which
// path, and the system's own words for why it failed (UTF-8).
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace telk {

// Why a file operation failed, as far as the user can act on it.
enum class FileCause {
    Other,
    HeldOpen, // a sharing or lock conflict: the kind a running client causes
    NoAccess, // no right to change it, or a read-only medium
    DiskFull,
    OtherVolume, // a rename between two volumes
    FolderMissing, // a folder the step needs is not there
};

class FileError : public std::runtime_error {
public:
    // code is the system's error number (Win32 GetLastError or errno).
    FileError(std::string operation, std::string path, std::string systemMessage, int code,
              FileCause cause);

    const std::string& Operation() const { return operation_; }
    const std::string& Path() const { return path_; }
    const std::string& SystemMessage() const { return systemMessage_; }
    int Code() const { return code_; }
    FileCause Cause() const { return cause_; }
    bool HeldOpen() const { return cause_ == FileCause::HeldOpen; }

private:
    std::string operation_;
    std::string path_;
    std::string systemMessage_;
    int code_;
    FileCause cause_;
};

// Runs step and answers its failure instead of passing it on: for a step
// whose failure is told some other way, or left for the next start.
template <class Step>
std::optional<FileError> FailureOf(Step&& step) {
    try {
        std::forward<Step>(step)();
    } catch (const FileError& e) {
        return e;
    }
    return std::nullopt;
}

} // namespace telk
