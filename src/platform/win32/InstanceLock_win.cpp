// One copy per user session on Win32: a named mutex that the first copy
// creates and holds.

#include "platform/win32/WinApi.h"

#include "platform/win32/InstanceLock_win.h"

#include <utility>

namespace telk {

Win32InstanceLock::Win32InstanceLock(std::wstring mutexName) : name_(std::move(mutexName)) {}

Win32InstanceLock::~Win32InstanceLock() {
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool Win32InstanceLock::Acquire() {
    if (mutex_ != nullptr) return true;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name_.c_str());
    // No handle at all (access denied) also means another copy made it.
    if (mutex == nullptr) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    mutex_ = mutex;
    return true;
}

} // namespace telk
