// Win32 error codes as the program's FileError: the system's message in
// UTF-8, and what each code means to the user.

#include "platform/win32/Win32Error.h"

#include "platform/win32/WinApi.h"

#include "platform/FileError.h"
#include "platform/win32/Utf16.h"

namespace telk {

std::string SystemMessage(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return "error " + std::to_string(code);
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return WideToUtf8(text);
}

bool IsRetriedError(unsigned long code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ||
           code == ERROR_LOCK_VIOLATION;
}

// Only sharing and lock violations point at a program holding the file;
// access denied is about rights (or a read-only mark the caller did not
// clear), and the user must hear that instead.
FileCause CauseOf(unsigned long code) {
    switch (code) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileCause::HeldOpen;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
        return FileCause::NoAccess;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileCause::DiskFull;
    case ERROR_NOT_SAME_DEVICE:
        return FileCause::OtherVolume;
    default:
        return FileCause::Other;
    }
}

void ThrowFileError(const std::string& operation, const std::string& path, unsigned long code) {
    throw FileError(operation, path, SystemMessage(code), static_cast<int>(code), CauseOf(code));
}

void ThrowLastFileError(const std::string& operation, const std::string& path) {
    ThrowFileError(operation, path, GetLastError());
}

} // namespace telk
