// One copy per user on a POSIX host: an exclusive, non-blocking flock on a
// lock file that is never removed.

#include "platform/posix/InstanceLock_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

namespace telk {

PosixInstanceLock::PosixInstanceLock(std::string lockPath) : path_(std::move(lockPath)) {}

PosixInstanceLock::~PosixInstanceLock() {
    if (fd_ >= 0) close(fd_); // the file stays: removing it would race a new copy
}

std::string PosixInstanceLock::DefaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = (runtime != nullptr && *runtime != '\0') ? runtime : "/tmp";
    return folder + "/telk-" + std::to_string(getuid()) + ".lock";
}

bool PosixInstanceLock::Acquire() {
    if (fd_ >= 0) return true;
    const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // Each open has its own file description, so a second lock object in
    // this very process conflicts just as another process does.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

} // namespace telk
