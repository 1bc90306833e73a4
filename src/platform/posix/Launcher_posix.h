// Starting a program on a POSIX host from its Windows-syntax path, and
// finding a running one through /proc.
#pragma once

#include <string>
#include <vector>
#include <utility>

#include "platform/Launcher.h"
#include "platform/posix/FileSystem_posix.h"

namespace telk {

class PosixLauncher : public Launcher {
public:
    // fs maps the Windows-syntax paths to native ones (its drive map is
    // what the launcher goes by).
    explicit PosixLauncher(PosixFileSystem fs = PosixFileSystem()) : fs_(std::move(fs)) {}

    void Start(const std::string& path) override;
    bool AnyRunning(const std::vector<std::string>& files, const std::string& folder) override;

private:
    PosixFileSystem fs_;
};

} // namespace telk
