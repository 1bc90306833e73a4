// Every path goes into the "\\?\" form, which the W functions take at any
// length and with every name as it is: "Name." beside "Name", "trail " and
// "CON" are folders of their own there. Sharing and access conflicts are
// retried briefly: a client that holds a file for a moment should not fail
// a back-up.

#include "platform/win32/WinApi.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <winioctl.h>

#include "platform/win32/FileSystem_win.h"

#include <algorithm>
#include <string_view>

#include "platform/PathText.h"
#include "platform/Sha256.h"
#include "platform/win32/Handle.h"
#include "platform/win32/SystemFunction.h"
#include "platform/win32/Utf16.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/WideText.h"

namespace telk {

namespace {

bool StartsWith(std::wstring_view text, const wchar_t* prefix) {
    return text.substr(0, wcslen(prefix)) == prefix;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The next name of rest ("" at its end), past any separators before it.
std::wstring_view TakeName(std::wstring_view& rest) {
    while (!rest.empty() && IsSeparator(rest.front())) rest.remove_prefix(1);
    std::size_t end = 0;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::wstring_view name = rest.substr(0, end);
    rest.remove_prefix(end);
    return name;
}

// For an absolute path, sets root to the "\\?\" form of its drive or share
// ("\\?\C:", "\\?\UNC\server\share") and leaves in rest what follows.
bool TakeRoot(std::wstring_view& rest, std::wstring& root) {
    const bool extended = StartsWith(rest, L"\\\\?\\");
    if (extended) rest.remove_prefix(4);
    if (extended ? StartsWith(rest, L"UNC\\") : rest.size() >= 2 && IsSeparator(rest[0]) && IsSeparator(rest[1])) {
        rest.remove_prefix(extended ? 3 : 2);
        root = L"\\\\?\\UNC";
        for (int part = 0; part < 2; ++part) (root += L'\\') += TakeName(rest);
        return true;
    }
    if (extended || (rest.size() >= 3 && rest[1] == L':' && IsSeparator(rest[2]))) {
        (root = L"\\\\?\\") += TakeName(rest); // "C:", or a volume the system named
        return true;
    }
    return false;
}

// Appends the names of rest to path, one "\" before each: no empty names,
// "." dropped, ".." taking back the name before it but never the root.
void AppendNames(std::wstring& path, std::size_t rootLength, std::wstring_view rest) {
    for (std::wstring_view name = TakeName(rest); !name.empty(); name = TakeName(rest)) {
        if (name == L".") continue;
        if (name == L"..") {
            if (path.size() > rootLength) path.resize(path.find_last_of(L'\\'));
            continue;
        }
        (path += L'\\') += name;
    }
}

std::wstring CurrentDirectory() {
    return FilledBy([](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
}

// attempt() returns ERROR_SUCCESS or the error it met.
template <class Attempt>
DWORD Retrying(const RetryPolicy& policy, Attempt attempt) {
    for (int tries = 1;; ++tries) {
        const DWORD error = attempt();
        if (error == ERROR_SUCCESS || !IsRetriedError(error) || tries >= policy.attempts)
            return error;
        Sleep(policy.pauseMs);
    }
}

DWORD ErrorUnless(BOOL ok) {
    return ok ? ERROR_SUCCESS : GetLastError();
}

// FlushFileBuffers on an open file; throws on failure.
void FlushToDisk(HANDLE file, const std::wstring& api, const char* operation, const std::string& path,
                 const FlushObserver& flushed) {
    if (!FlushFileBuffers(file)) ThrowLastFileError(operation, path);
    if (flushed) flushed(WideToUtf8(api));
}

std::wstring FolderOf(const std::wstring& api) {
    return api.substr(0, api.find_last_of(L'\\'));
}

// Empty (with GetLastError set) when the path cannot be made absolute.
std::wstring TryApiPath(const std::string& path) {
    return ToExtendedLengthPath(Utf8ToWide(path));
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

// Wine resolves a Unix symbolic link inside every call, deleting or moving
// what it points at, and marks it at most with a bare attribute bit; only
// the handle's final path gives it away there.
bool UnderWine() {
    static const bool wine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

std::wstring FinalPath(const std::wstring& api) {
    Handle entry(OpenShared(api, 0, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    if (!entry.Valid()) return {};
    return FilledBy([&](wchar_t* buffer, DWORD size) { return GetFinalPathNameByHandleW(entry.Get(), buffer, size, 0); });
}

// The same file or folder: the volume and the file's number agree.
bool SameFile(const std::wstring& a, const std::wstring& b) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    Handle first(OpenShared(a, FILE_READ_ATTRIBUTES, flags));
    Handle second(OpenShared(b, FILE_READ_ATTRIBUTES, flags));
    BY_HANDLE_FILE_INFORMATION x {}, y {};
    return first.Valid() && second.Valid() && GetFileInformationByHandle(first.Get(), &x) &&
           GetFileInformationByHandle(second.Get(), &y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

std::wstring WithoutTrailingDotsAndSpaces(std::wstring name) {
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    return name;
}

enum class LinkKind {
    None,
    Reparse, // a junction or symbolic link the system shows as one
    Opaque,  // a link the system resolves without saying so (Wine)
};

// api is an extended-length path without a trailing "\".
LinkKind LinkOf(const std::wstring& api) {
    // The attributes alone tell whether there is a reparse point; only then
    // is its tag looked up, in the directory entry (a search costs far more).
    const DWORD attributes = GetFileAttributesW(api.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LinkKind::None;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        WIN32_FIND_DATAW data {};
        FindHandle find(FindFirstFileExW(api.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
        if (find.Get() == INVALID_HANDLE_VALUE) return LinkKind::None;
        if (IsReparseTagNameSurrogate(data.dwReserved0)) return LinkKind::Reparse;
        if (data.dwReserved0 == 0) return LinkKind::Opaque;
        return LinkKind::None; // a placeholder of a cloud folder and the like: a real file
    }
    if (!UnderWine()) return LinkKind::None;
    const auto sep = api.find_last_of(L'\\');
    if (sep == std::wstring::npos) return LinkKind::None;
    const std::wstring self = FinalPath(api);
    if (self.empty()) return LinkKind::None;
    // A final path has every link resolved: one that reads as the path
    // itself went through none, and the folder above needs no look.
    if (SameTextNoCase(self, api)) return LinkKind::None;
    // A drive's root keeps its "\": without it the name is the volume.
    const std::wstring parent = FinalPath(api.substr(0, api[sep - 1] == L':' ? sep + 1 : sep));
    if (parent.empty()) return LinkKind::None;
    // Wine names a handle as Windows trims a path: "Name." and "trail "
    // come back as "Name" and "trail", "Name.\x" as "Name\x". So the
    // handle's folder and name are matched in that form.
    const auto selfSep = self.find_last_of(L'\\');
    const std::wstring leaf = WithoutTrailingDotsAndSpaces(api.substr(sep + 1));
    if (selfSep == std::wstring::npos ||
        !SameTextNoCase(WithoutTrailingDotsAndSpaces(self.substr(0, selfSep)) + L'\\',
                        parent.back() == L'\\' ? parent : parent + L'\\') ||
        !SameTextNoCase(self.substr(selfSep + 1), leaf))
        return LinkKind::Opaque;
    // "Name." may be a link to the "Name" beside it, which that form hides.
    if (leaf.size() < api.size() - sep - 1 && SameFile(api, api.substr(0, sep + 1) + leaf)) return LinkKind::Opaque;
    return LinkKind::None;
}

std::wstring WithoutTrailingSeparator(std::wstring api) {
    while (api.size() > 7 && api.back() == L'\\') api.pop_back(); // past "\\?\C:\"
    return api;
}

// Whatever the program does to such a link there would reach through it.
void RefuseOpaqueLink(const std::wstring& api, const char* operation, const std::string& path) {
    if (LinkOf(WithoutTrailingSeparator(api)) == LinkKind::Opaque) ThrowFileError(operation, path, ERROR_NOT_SUPPORTED);
}

} // namespace

std::wstring ToExtendedLengthPath(const std::wstring& path) {
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
    std::wstring full;
    std::size_t rootLength = 0;
    std::wstring_view rest = path;
    if (!TakeRoot(rest, full)) {
        // The system says where a relative path starts; it never sees the
        // path's own names, which GetFullPathNameW would trim or take for
        // devices.
        const bool onDrive = path.size() >= 2 && path[1] == L':'; // "C:x"
        std::wstring start;
        if (onDrive)
            start = FullPathName(path.substr(0, 2));
        else if (IsSeparator(path[0]))
            start = FullPathName(L"\\"); // the current drive's root
        else
            start = CurrentDirectory();
        if (start.empty()) return {};
        std::wstring_view startRest = start;
        if (!TakeRoot(startRest, full)) {
            SetLastError(ERROR_BAD_PATHNAME);
            return {};
        }
        rootLength = full.size();
        AppendNames(full, rootLength, startRest);
        if (onDrive) rest.remove_prefix(2);
    } else {
        rootLength = full.size();
    }
    AppendNames(full, rootLength, rest);
    // A root, and a folder given with its "\", keep the separator.
    if (full.size() == rootLength || IsSeparator(path.back())) full += L'\\';
    return full;
}

std::wstring FullPathName(const std::wstring& path) {
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    return FilledBy([&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
}

Win32FileSystem::Win32FileSystem(RetryPolicy retry, FlushObserver flushed) : retry_(retry), flushed_(std::move(flushed)) {}

bool Win32FileSystem::CanOpenForReading(const std::string& path) {
    if (path.empty()) return false;
    const std::wstring api = TryApiPath(path);
    if (api.empty()) return false;
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open.
    Handle file(OpenShared(api, GENERIC_READ));
    return file.Valid();
}

bool Win32FileSystem::IsLink(const std::string& path) {
    if (path.empty()) return false;
    const std::wstring api = TryApiPath(path);
    return !api.empty() && LinkOf(WithoutTrailingSeparator(api)) != LinkKind::None;
}

bool Win32FileSystem::CanEnterFolder(const std::string& path) {
    if (path.empty()) return false;
    const std::wstring api = TryApiPath(path);
    if (api.empty()) return false;
    // The access SetCurrentDirectoryW asks for, without moving the process.
    Handle folder(OpenShared(api, FILE_TRAVERSE | SYNCHRONIZE, FILE_FLAG_BACKUP_SEMANTICS));
    if (!folder.Valid()) return false;
    // The basic information only: the full set has Wine work out the
    // file's name too, which costs several times the open.
    FILE_BASIC_INFO info {};
    return GetFileInformationByHandleEx(folder.Get(), FileBasicInfo, &info, sizeof info) &&
           (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {

// What a search that has found its first entry finds, as far as mask
// lets each entry through.
std::vector<ListEntry> ReadSearch(const FindHandle& find, WIN32_FIND_DATAW& data, std::uint16_t mask,
                                  const std::string& pattern) {
    std::vector<ListEntry> entries;
    do {
        const DWORD attributes = data.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(mask & Attr::Folder)) continue;
        if ((attributes & FILE_ATTRIBUTE_HIDDEN) && !(mask & Attr::Hidden)) continue;
        if ((attributes & FILE_ATTRIBUTE_SYSTEM) && !(mask & Attr::System)) continue;
        entries.push_back({WideToUtf8(data.cFileName), (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find.Get(), &data));
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES) ThrowFileError("list", pattern, error);
    return entries;
}

} // namespace

std::vector<ListEntry> Win32FileSystem::ListEntries(const std::string& pattern, std::uint16_t mask) {
    const ListPattern split = SplitListPattern(pattern);
    // The pattern's own names are left as they are ("*.", "Name.").
    std::wstring api = ToExtendedLengthPath(Utf8ToWide(split.folder));
    if (api.empty()) ThrowLastFileError("list", pattern);
    if (api.back() != L'\\') api += L'\\';
    std::wstring names = Utf8ToWide(split.names);
    if (names == L"*.*") names = L"*"; // every name, with or without a dot

    WIN32_FIND_DATAW data {};
    FindHandle find(FindFirstFileExW((api + names).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (find.Get() != INVALID_HANDLE_VALUE) return ReadSearch(find, data, mask, pattern);
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) ThrowFileError("list", pattern, error);
    // No match in a folder that exists is an empty listing, not a failure.
    const DWORD attributes = GetFileAttributesW(api.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        ThrowFileError("list", pattern, ERROR_PATH_NOT_FOUND);
    return {};
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
    FlushToDisk(copy.Get(), target, "copy", to, flushed_);
}

// A junction or symbolic link is copied as its reparse data, so that it
// points where the original does; nothing behind it is read.
void Win32FileSystem::CopyLink(const std::string& from, const std::string& to) {
    const std::wstring source = ApiPath(from, "copy");
    const std::wstring target = ApiPath(to, "copy");
    if (LinkOf(WithoutTrailingSeparator(source)) != LinkKind::Reparse) ThrowFileError("copy", from, ERROR_NOT_SUPPORTED);
    Handle link(OpenShared(source, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    if (!link.Valid()) ThrowLastFileError("copy", from);
    std::string data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE, '\0');
    DWORD size = 0;
    if (!DeviceIoControl(link.Get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                         static_cast<DWORD>(data.size()), &size, nullptr))
        ThrowLastFileError("copy", from);
    const DWORD attributes = GetFileAttributesW(source.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (folder) {
        if (!CreateDirectoryW(target.c_str(), nullptr)) ThrowLastFileError("copy", to);
    } else {
        Handle created(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        if (!created.Valid()) ThrowLastFileError("copy", to);
    }
    DWORD error = ERROR_SUCCESS;
    {
        Handle made(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        DWORD ignored = 0;
        if (!made.Valid() ||
            !DeviceIoControl(made.Get(), FSCTL_SET_REPARSE_POINT, data.data(), size, nullptr, 0, &ignored, nullptr))
            error = GetLastError();
    }
    if (error == ERROR_SUCCESS) return;
    if (folder)
        RemoveDirectoryW(target.c_str());
    else
        DeleteFileW(target.c_str());
    ThrowFileError("copy", to, error);
}

void Win32FileSystem::Rename(const std::string& from, const std::string& to) {
    const std::wstring source = ApiPath(from, "rename");
    const std::wstring target = ApiPath(to, "rename");
    RefuseOpaqueLink(source, "rename", from);
    // A read-only file in the way: the program renames only over its own
    // files, or puts a player's file back over the copy that replaced it.
    // The mark comes off first and goes back if the rename fails.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES &&
                          (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == FILE_ATTRIBUTE_READONLY;
    if (readOnly && !SetFileAttributesW(target.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
        ThrowLastFileError("rename", to);
    const DWORD error = Retrying(retry_, [&] {
        return ErrorUnless(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    });
    if (error != ERROR_SUCCESS && readOnly) SetFileAttributesW(target.c_str(), attributes);
    if (error != ERROR_SUCCESS) ThrowFileError("rename", from, error);
    // Written through: both folders' entries are on disk once the move returns.
    if (!flushed_) return;
    flushed_(WideToUtf8(FolderOf(target)));
    if (!SameTextNoCase(FolderOf(source), FolderOf(target))) flushed_(WideToUtf8(FolderOf(source)));
}

void Win32FileSystem::RemoveFile(const std::string& path) {
    const std::wstring api = ApiPath(path, "remove");
    switch (LinkOf(WithoutTrailingSeparator(api))) {
    case LinkKind::Opaque:
        ThrowFileError("remove", path, ERROR_NOT_SUPPORTED);
    case LinkKind::Reparse: {
        // The link itself goes; RemoveDirectoryW never reaches into a
        // junction's target.
        const DWORD attributes = GetFileAttributesW(api.c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        const DWORD error = Retrying(retry_, [&] {
            return ErrorUnless(folder ? RemoveDirectoryW(api.c_str()) : DeleteFileW(api.c_str()));
        });
        if (error != ERROR_SUCCESS) ThrowFileError("remove", path, error);
        return;
    }
    case LinkKind::None:
        break;
    }
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
    RefuseOpaqueLink(targetApi, "replace", target);
    // ReplaceFileW refuses a read-only target. The mark is the player's:
    // it comes off for the replace and goes onto the new file, and back
    // onto the old one under its backup name.
    const DWORD attributes = GetFileAttributesW(targetApi.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly && !SetFileAttributesW(targetApi.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
        ThrowLastFileError("replace", target);
    auto markReadOnly = [](const std::wstring& api) {
        const DWORD now = GetFileAttributesW(api.c_str());
        if (now != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(api.c_str(), now | FILE_ATTRIBUTE_READONLY);
    };
    const DWORD error = Retrying(retry_, [&] {
        return ErrorUnless(ReplaceFileW(targetApi.c_str(), replacementApi.c_str(), backupApi.c_str(),
                                        REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                                        nullptr, nullptr));
    });
    if (error == ERROR_SUCCESS) {
        if (readOnly) {
            markReadOnly(targetApi);
            markReadOnly(backupApi);
        }
        return;
    }
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The old file already went to the backup name: put it back.
        MoveFileExW(backupApi.c_str(), targetApi.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (readOnly) markReadOnly(GetFileAttributesW(targetApi.c_str()) != INVALID_FILE_ATTRIBUTES ? targetApi : backupApi);
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

FileDigest Win32FileSystem::Digest(const std::string& path) {
    const std::wstring api = ApiPath(path, "read");
    Handle file(OpenRetrying(retry_, api, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, "read",
                             path));
    Sha256 hash;
    FileDigest digest;
    std::string buffer(256 * 1024, '\0');
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            ThrowLastFileError("read", path);
        if (got == 0) break;
        hash.Add(std::string_view(buffer.data(), got));
        digest.size += got;
    }
    digest.sha256 = hash.HexDigest();
    return digest;
}

// The volume's serial number, as the folders' own handles give it.
bool Win32FileSystem::SameVolume(const std::string& a, const std::string& b) {
    const std::wstring first = TryApiPath(a);
    const std::wstring second = TryApiPath(b);
    if (first.empty() || second.empty()) return false;
    Handle x(OpenShared(first, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS));
    Handle y(OpenShared(second, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS));
    BY_HANDLE_FILE_INFORMATION xi {}, yi {};
    return x.Valid() && y.Valid() && GetFileInformationByHandle(x.Get(), &xi) &&
           GetFileInformationByHandle(y.Get(), &yi) && xi.dwVolumeSerialNumber == yi.dwVolumeSerialNumber;
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
    FlushToDisk(file.Get(), api, "write", path, flushed_);
}

std::string Win32FileSystem::ShortPath(const std::string& path) {
    const std::wstring api = TryApiPath(path);
    if (api.empty()) return path;
    std::wstring buffer =
        FilledBy([&](wchar_t* shorter, DWORD size) { return GetShortPathNameW(api.c_str(), shorter, size); });
    if (buffer.empty()) return path;
    // Back in the form the path came in, for the settings file.
    if (!StartsWith(Utf8ToWide(path), L"\\\\?\\")) {
        if (StartsWith(buffer, L"\\\\?\\UNC\\"))
            buffer = L"\\" + buffer.substr(7);
        else if (StartsWith(buffer, L"\\\\?\\"))
            buffer.erase(0, 4);
    }
    return WideToUtf8(buffer);
}

namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    using GetKnownFolderPathFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
    using TaskMemFreeFn = void(WINAPI*)(void*);
    static const auto getPath = SystemFunction<GetKnownFolderPathFn>(L"shell32.dll", "SHGetKnownFolderPath");
    static const auto freeTask = SystemFunction<TaskMemFreeFn>(L"ole32.dll", "CoTaskMemFree");
    if (!getPath || !freeTask) return {};
    wchar_t* path = nullptr;
    std::string folder;
    if (SUCCEEDED(getPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path))) folder = WideToUtf8(path);
    freeTask(path);
    return folder;
}

} // namespace

// UAC virtualises writes to these folders only; a 64-bit program such as
// this one never sees the redirection, so it must look for itself.
// Both in their long form, as the current folder names them: the user's
// temporary folder often comes as 8.3 names.
std::vector<std::string> Win32FileSystem::TemporaryFolders() {
    std::vector<std::string> folders;
    auto add = [&](std::wstring path) {
        std::wstring longer =
            FilledBy([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(path.c_str(), buffer, size); });
        if (!longer.empty()) path = std::move(longer);
        while (path.size() > 3 && path.back() == L'\\') path.pop_back();
        if (!path.empty()) folders.push_back(WideToUtf8(path));
    };
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length > 0 && length <= MAX_PATH) add(std::wstring(buffer, length));
    length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    if (length > 0 && length <= MAX_PATH) add(std::wstring(buffer, length) + L"\\Temp");
    return folders;
}

VirtualStoreLayout Win32FileSystem::VirtualStore() {
    // The known folders stay put for the run; each list fill asks.
    static const VirtualStoreLayout layout = [] {
        if (UnderWine()) return VirtualStoreLayout{}; // Wine redirects nothing
        VirtualStoreLayout found;
        for (REFKNOWNFOLDERID id : {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86, FOLDERID_Windows, FOLDERID_ProgramData}) {
            std::string folder = KnownFolder(id);
            if (!folder.empty()) found.protectedFolders.push_back(std::move(folder));
        }
        const std::string local = KnownFolder(FOLDERID_LocalAppData);
        if (local.empty()) return VirtualStoreLayout{};
        found.folder = local + "\\VirtualStore";
        return found;
    }();
    return layout;
}

std::string Win32FileSystem::CurrentFolder() {
    std::wstring buffer = CurrentDirectory();
    if (buffer.size() > 3 && buffer.back() == L'\\') buffer.pop_back();
    return WideToUtf8(buffer);
}

} // namespace telk
