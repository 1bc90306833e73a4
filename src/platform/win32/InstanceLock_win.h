// One copy per user session: a named mutex that lives as long as the lock
// object (the process, in the program).
#pragma once

#include <string>

#include "platform/InstanceLock.h"

namespace telk {

class Win32InstanceLock : public InstanceLock {
public:
    explicit Win32InstanceLock(std::wstring mutexName = L"Local\\TELK.SingleInstance");
    ~Win32InstanceLock() override;
    Win32InstanceLock(const Win32InstanceLock&) = delete;
    Win32InstanceLock& operator=(const Win32InstanceLock&) = delete;

    bool Acquire() override;

private:
    std::wstring name_;
    void* mutex_ = nullptr; // HANDLE
};

} // namespace telk
