// Kernel and search handles that close themselves, so that no early
// return or exception leaves one open.
#pragma once

#include "platform/win32/WinApi.h"

namespace telk {

// A handle that Close lets go of when it goes; a failed open's
// INVALID_HANDLE_VALUE or nullptr is let alone.
template <auto Close>
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (Valid()) Close(handle_);
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

using Handle = OwnedHandle<CloseHandle>;
using FindHandle = OwnedHandle<FindClose>;

} // namespace telk
