// One running copy of the program at a time: the lock a second copy fails
// to acquire.
#pragma once

namespace telk {

// Held for the life of the process; a second copy in the same user session
// fails to acquire it.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    virtual bool Acquire() = 0;
};

} // namespace telk
