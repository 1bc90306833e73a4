// Every path goes through GetFullPathNameW (relative paths, doubled "\",
// "/") and then into the "\\?\" form, which the W functions take at any
// length. Sharing and access conflicts are retried briefly: a client that
// holds a file for a moment should not fail a back-up.

#include <windows.h>

#include "platform/win32/FileSystem_win.h"

#include <algorithm>

#include "platform/win32/Utf16.h"
#include "platform/win32/Win32Error.h"

namespace telk {

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (Valid()) CloseHandle(handle_);
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

// attempt() returns ERROR_SUCCESS or the error it met.
template <class Attempt>
DWORD Retrying(const RetryPolicy& policy, Attempt attempt) {
    for (int tries = 1;; ++tries) {
        const DWORD error = attempt();
        if (error == ERROR_SUCCESS || !IsHeldOpenError(error) || tries >= policy.attempts)
            return error;
        Sleep(policy.pauseMs);
    }
}

DWORD ErrorUnless(BOOL ok) {
    return ok ? ERROR_SUCCESS : GetLastError();
}

// Empty (with GetLastError set) when the path cannot be made absolute.
std::wstring TryApiPath(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    if (StartsWith(wide, L"\\\\?\\")) return wide;
    const std::wstring full = FullPathName(wide);
    return full.empty() ? full : ToExtendedLengthPath(full);
}

std::wstring ApiPath(const std::string& path, const char* operation) {
    if (path.empty()) ThrowFileError(operation, path, ERROR_PATH_NOT_FOUND);
    std::wstring api = TryApiPath(path);
    if (api.empty()) ThrowLastFileError(operation, path);
    return api;
}

HANDLE OpenShared(const std::wstring& path, DWORD access, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, flags, nullptr);
}

// Opens with retries; throws on failure.
HANDLE OpenRetrying(const RetryPolicy& policy, const std::wstring& api, DWORD access, DWORD share,
                    DWORD disposition, const char* operation, const std::string& path) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    const DWORD error = Retrying(policy, [&] {
        handle = CreateFileW(api.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
        return handle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) ThrowFileError(operation, path, error);
    return handle;
}

} // namespace

std::wstring ToExtendedLengthPath(const std::wstring& fullPath) {
    if (StartsWith(fullPath, L"\\\\?\\") || StartsWith(fullPath, L"\\\\.\\")) return fullPath;
    if (StartsWith(fullPath, L"\\\\")) return L"\\\\?\\UNC\\" + fullPath.substr(2);
    const bool drive = fullPath.size() >= 3 && fullPath[1] == L':' && fullPath[2] == L'\\' &&
                       ((fullPath[0] >= L'A' && fullPath[0] <= L'Z') ||
                        (fullPath[0] >= L'a' && fullPath[0] <= L'z'));
    return drive ? L"\\\\?\\" + fullPath : fullPath;
}

std::wstring FullPathName(const std::wstring& path) {
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length); // length counts the terminator when too small
    }
}

Win32FileSystem::Win32FileSystem(RetryPolicy retry) : retry_(retry) {}

bool Win32FileSystem::CanOpenForReading(const std::string& path) {
    if (path.empty()) return false;
    const std::wstring api = TryApiPath(path);
    if (api.empty()) return false;
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open.
    Handle file(OpenShared(api, GENERIC_READ));
    return file.Valid();
}

bool Win32FileSystem::CanEnterFolder(const std::string& path) {
    if (path.empty()) return false;
    const std::wstring api = TryApiPath(path);
    if (api.empty()) return false;
    // The access SetCurrentDirectoryW asks for, without moving the process.
    Handle folder(OpenShared(api, FILE_TRAVERSE | SYNCHRONIZE, FILE_FLAG_BACKUP_SEMANTICS));
    if (!folder.Valid()) return false;
    BY_HANDLE_FILE_INFORMATION info {};
    return GetFileInformationByHandle(folder.Get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::string> Win32FileSystem::List(const std::string& pattern, std::uint16_t mask) {
    std::wstring wide = Utf8ToWide(pattern);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    std::wstring folder;
    std::wstring name;
    const auto sep = wide.find_last_of(L'\\');
    if (sep != std::wstring::npos) {
        folder = wide.substr(0, sep + 1);
        name = wide.substr(sep + 1);
    } else if (wide.size() >= 2 && wide[1] == L':') {
        folder = wide.substr(0, 2);
        name = wide.substr(2);
    } else {
        folder = L".";
        name = wide;
    }
    // Made absolute apart from the name, so that GetFullPathNameW cannot
    // strip a trailing dot of the pattern.
    std::wstring api = StartsWith(folder, L"\\\\?\\") ? folder : FullPathName(folder);
    if (api.empty()) ThrowLastFileError("list", pattern);
    api = ToExtendedLengthPath(api);
    if (api.back() != L'\\') api += L'\\';
    if (name == L"*.*") name = L"*"; // every name, with or without a dot

    WIN32_FIND_DATAW data {};
    FindHandle find(FindFirstFileExW((api + name).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    std::vector<std::string> names;
    if (find.Get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // No match in a folder that exists is an empty listing, not a failure.
        if (error == ERROR_FILE_NOT_FOUND) {
            const DWORD attributes = GetFileAttributesW(api.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                return names;
            ThrowFileError("list", pattern, ERROR_PATH_NOT_FOUND);
        }
        ThrowFileError("list", pattern, error);
    }
    do {
        const DWORD attributes = data.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(mask & Attr::Folder)) continue;
        if ((attributes & FILE_ATTRIBUTE_HIDDEN) && !(mask & Attr::Hidden)) continue;
        if ((attributes & FILE_ATTRIBUTE_SYSTEM) && !(mask & Attr::System)) continue;
        names.push_back(WideToUtf8(data.cFileName));
    } while (FindNextFileW(find.Get(), &data));
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES) ThrowFileError("list", pattern, error);
    return names;
}

std::vector<Drive> Win32FileSystem::Drives() {
    std::vector<Drive> drives;
    const DWORD size = GetLogicalDriveStringsW(0, nullptr);
    if (size == 0) return drives;
    std::wstring buffer(size, L'\0');
    const DWORD length = GetLogicalDriveStringsW(size, buffer.data());
    // A drive without a medium must not bring up the system's "insert a
    // disk" box; it is listed with an empty label.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    for (const wchar_t* root = buffer.c_str(); root < buffer.c_str() + length && *root != L'\0';
         root += wcslen(root) + 1) {
        wchar_t label[MAX_PATH + 1] = {};
        if (!GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
            label[0] = L'\0';
        drives.push_back({WideToUtf8(root), WideToUtf8(label)});
    }
    SetThreadErrorMode(oldMode, nullptr);
    return drives;
}

void Win32FileSystem::CreateFolder(const std::string& path) {
    const std::wstring api = ApiPath(path, "create folder");
    const DWORD error = Retrying(retry_, [&] { return ErrorUnless(CreateDirectoryW(api.c_str(), nullptr)); });
    if (error != ERROR_SUCCESS) ThrowFileError("create folder", path, error);
}

void Win32FileSystem::RemoveFolder(const std::string& path) {
    const std::wstring api = ApiPath(path, "remove folder");
    const DWORD error = Retrying(retry_, [&] { return ErrorUnless(RemoveDirectoryW(api.c_str())); });
    if (error != ERROR_SUCCESS) ThrowFileError("remove folder", path, error);
}

void Win32FileSystem::CopyFile(const std::string& from, const std::string& to) {
    const std::wstring source = ApiPath(from, "copy");
    const std::wstring target = ApiPath(to, "copy");
    const DWORD error = Retrying(retry_, [&] {
        return ErrorUnless(CopyFileW(source.c_str(), target.c_str(), FALSE));
    });
    if (error != ERROR_SUCCESS) {
        // CopyFileW does not say which side failed: blame the source when
        // it cannot even be read, else the target.
        ThrowFileError("copy", CanOpenForReading(from) ? to : from, error);
    }
    // CopyFileW carries a read-only mark over (players set one on
    // desktop.uos); the copy is the program's own and must flush, and later
    // be replaced or removed.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        !SetFileAttributesW(target.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
        ThrowLastFileError("copy", to);
    Handle copy(OpenRetrying(retry_, target, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, "copy", to));
    if (!FlushFileBuffers(copy.Get())) ThrowLastFileError("copy", to);
}

void Win32FileSystem::Rename(const std::string& from, const std::string& to) {
    const std::wstring source = ApiPath(from, "rename");
    const std::wstring target = ApiPath(to, "rename");
    const DWORD error = Retrying(retry_, [&] {
        return ErrorUnless(MoveFileExW(source.c_str(), target.c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    });
    if (error != ERROR_SUCCESS) ThrowFileError("rename", from, error);
}

void Win32FileSystem::RemoveFile(const std::string& path) {
    const std::wstring api = ApiPath(path, "remove");
    const DWORD error = Retrying(retry_, [&] {
        if (DeleteFileW(api.c_str())) return static_cast<DWORD>(ERROR_SUCCESS);
        const DWORD failed = GetLastError();
        // Only the program's own copies and temporaries are removed; a
        // read-only mark on one (from an older copy of the program) must not
        // leave a slot's retired folder behind for good.
        const DWORD attributes = GetFileAttributesW(api.c_str());
        if (failed != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != FILE_ATTRIBUTE_READONLY)
            return failed;
        if (!SetFileAttributesW(api.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
            return failed;
        if (DeleteFileW(api.c_str())) return static_cast<DWORD>(ERROR_SUCCESS);
        const DWORD again = GetLastError();
        SetFileAttributesW(api.c_str(), attributes); // still there: as it was
        return again;
    });
    if (error != ERROR_SUCCESS) ThrowFileError("remove", path, error);
}

void Win32FileSystem::CheckReplaceable(const std::string& path) {
    const std::wstring api = ApiPath(path, "open");
    // Delete access with full sharing is what a replace needs; a program
    // that opened the file without FILE_SHARE_DELETE blocks it here,
    // before anything has changed.
    const DWORD error = Retrying(retry_, [&] {
        Handle file(OpenShared(api, DELETE));
        return file.Valid() ? ERROR_SUCCESS : GetLastError();
    });
    if (error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    ThrowFileError("open", path, error);
}

void Win32FileSystem::ReplaceFile(const std::string& target, const std::string& replacement,
                                  const std::string& backup) {
    const std::wstring targetApi = ApiPath(target, "replace");
    const std::wstring replacementApi = ApiPath(replacement, "replace");
    const std::wstring backupApi = ApiPath(backup, "replace");
    const DWORD error = Retrying(retry_, [&] {
        return ErrorUnless(ReplaceFileW(targetApi.c_str(), replacementApi.c_str(), backupApi.c_str(),
                                        REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                                        nullptr, nullptr));
    });
    if (error == ERROR_SUCCESS) return;
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The old file already went to the backup name: put it back.
        MoveFileExW(backupApi.c_str(), targetApi.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    const bool replacementSide =
        error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
    ThrowFileError("replace", replacementSide ? replacement : target, error);
}

std::string Win32FileSystem::ReadFile(const std::string& path) {
    const std::wstring api = ApiPath(path, "read");
    Handle file(OpenRetrying(retry_, api, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             OPEN_EXISTING, "read", path));
    std::string bytes;
    LARGE_INTEGER size {};
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0)
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) ThrowLastFileError("read", path);
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return bytes;
}

void Win32FileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    const std::wstring api = ApiPath(path, "write");
    Handle file(OpenRetrying(retry_, api, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, "write", path));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr))
            ThrowLastFileError("write", path);
        done += written;
    }
    if (!FlushFileBuffers(file.Get())) ThrowLastFileError("write", path);
}

std::string Win32FileSystem::CurrentFolder() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring buffer(size, L'\0');
    const DWORD length = GetCurrentDirectoryW(size, buffer.data());
    buffer.resize(std::min<DWORD>(length, size));
    if (buffer.size() > 3 && buffer.back() == L'\\') buffer.pop_back();
    return WideToUtf8(buffer);
}

} // namespace telk
