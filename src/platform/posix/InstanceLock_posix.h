// One copy per user: an exclusive flock on a file that lives as long as the
// lock object.
#pragma once

#include <string>

#include "platform/InstanceLock.h"

namespace telk {

class PosixInstanceLock : public InstanceLock {
public:
    explicit PosixInstanceLock(std::string lockPath = DefaultPath());
    ~PosixInstanceLock() override;
    PosixInstanceLock(const PosixInstanceLock&) = delete;
    PosixInstanceLock& operator=(const PosixInstanceLock&) = delete;

    bool Acquire() override;

    // $XDG_RUNTIME_DIR (else /tmp) + "/telk-<uid>.lock".
    static std::string DefaultPath();

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace telk
