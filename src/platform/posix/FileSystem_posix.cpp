// Windows-syntax paths on a POSIX file system, resolved as Wine resolves
// them: a drive letter picks a native folder, and each name is looked up
// exactly first, then without regard to (ASCII) case.

#include "platform/posix/FileSystem_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>
#include <utility>

#include "platform/FileError.h"
#include "platform/PathText.h"
#include "platform/Sha256.h"

namespace telk {

namespace {

// A program running from a file (or a busy mount) is what holds files on
// POSIX; permissions and read-only media are the user's to change.
FileCause CauseOfErrno(int err) {
    if (err == EBUSY || err == ETXTBSY) return FileCause::HeldOpen;
    if (err == EACCES || err == EPERM || err == EROFS) return FileCause::NoAccess;
    if (err == ENOSPC || err == EDQUOT) return FileCause::DiskFull;
    if (err == EXDEV) return FileCause::OtherVolume;
    return FileCause::Other;
}

[[noreturn]] void Fail(const char* operation, const std::string& path, int err) {
    throw FileError(operation, path, std::generic_category().message(err), err, CauseOfErrno(err));
}

std::string JoinNative(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string ParentOf(const std::string& native) {
    const auto slash = native.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return native.substr(0, slash);
}

std::string LastNameOf(const std::string& native) {
    const auto slash = native.find_last_of('/');
    return slash == std::string::npos ? native : native.substr(slash + 1);
}

std::string NormaliseRoot(std::string root) {
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root.empty() ? "/" : root;
}

std::string CurrentNativeFolder() {
    std::string buffer(256, '\0');
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return "/";
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

// Splits a "\"-separated tail into names, dropping empty ones (a doubled
// separator) and ".", and letting ".." take back the previous name but never
// climb above the start.
void AppendComponents(std::vector<std::string>& parts, const std::string& tail) {
    std::size_t begin = 0;
    while (begin <= tail.size()) {
        auto end = tail.find('\\', begin);
        if (end == std::string::npos) end = tail.size();
        std::string name = tail.substr(begin, end - begin);
        if (name == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!name.empty() && name != ".") {
            parts.push_back(std::move(name));
        }
        begin = end + 1;
    }
}

// The entry of folder whose name equals name without regard to case; the
// smallest such name when several differ only in case.
std::optional<std::string> FindNoCase(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return std::nullopt;
    std::optional<std::string> found;
    while (const dirent* entry = readdir(dir)) {
        std::string candidate = entry->d_name;
        if (SameNameNoCase(candidate, name) && (!found || candidate < *found))
            found = std::move(candidate);
    }
    closedir(dir);
    return found;
}

void SyncFolderOf(const std::string& native, const FlushObserver& flushed) {
    const std::string folder = ParentOf(native);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd); // best effort: not every file system syncs folders
    close(fd);
    if (flushed) flushed(folder);
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes now so that a failing close can be reported.
    int Close() {
        const int result = close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

void WriteAll(int fd, const char* data, std::size_t size, const char* operation,
              const std::string& path) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail(operation, path, errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void SyncAndClose(Fd& fd, const std::string& native, const char* operation, const std::string& path,
                  const FlushObserver& flushed) {
    if (fsync(fd.Get()) != 0 && errno != EINVAL) Fail(operation, path, errno);
    if (flushed) flushed(native);
    if (fd.Close() != 0) Fail(operation, path, errno);
}

bool IsFolderEntry(const std::string& folder, const dirent& entry) {
    if (entry.d_type == DT_DIR) return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
    struct stat info {};
    return stat(JoinNative(folder, entry.d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MatchFrom(const char* name, const char* pattern) {
    // Iterative glob with one backtrack point: the last "*" seen.
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || (*pattern != '\0' && FoldAscii(*pattern) == FoldAscii(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern != nullptr) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

} // namespace

bool MatchesFilePattern(const std::string& name, const std::string& pattern) {
    if (MatchFrom(name.c_str(), pattern.c_str())) return true;
    // As on Windows, a trailing ".*" also matches a name without any dot:
    // "*.*" lists "README" and "a*.*" finds "abc".
    const bool dotStarTail = pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0;
    if (dotStarTail && name.find('.') == std::string::npos)
        return MatchFrom(name.c_str(), pattern.substr(0, pattern.size() - 2).c_str());
    return false;
}

PosixFileSystem::PosixFileSystem(std::map<char, std::string> driveRoots, FlushObserver flushed)
    : flushed_(std::move(flushed)) {
    for (auto& [letter, root] : driveRoots) {
        const char upper = (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
        roots_[upper] = NormaliseRoot(std::move(root));
    }
}

std::string PosixFileSystem::WindowsPath(const std::string& nativePath) const {
    const std::map<char, std::string>::value_type* best = nullptr;
    for (const auto& entry : roots_) {
        const std::string& root = entry.second;
        const bool covers = root == "/" || nativePath == root ||
                            (nativePath.size() > root.size() &&
                             nativePath.compare(0, root.size(), root) == 0 &&
                             nativePath[root.size()] == '/');
        if (covers && (best == nullptr || root.size() > best->second.size())) best = &entry;
    }
    if (best == nullptr) return {};
    std::string rest = best->second == "/" ? nativePath.substr(1) : nativePath.substr(best->second.size());
    while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
    while (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return std::string(1, best->first) + ":\\" + rest;
}

namespace {

// Each name below start as the disk spells it when one matches without
// regard to case; whatever does not exist yet keeps the case it was given.
std::string ResolveNoCase(std::string native, const std::vector<std::string>& parts) {
    std::size_t i = 0;
    for (; i < parts.size(); ++i) {
        const std::string exact = JoinNative(native, parts[i]);
        struct stat info {};
        if (lstat(exact.c_str(), &info) == 0) {
            native = exact;
            continue;
        }
        const auto found = FindNoCase(native, parts[i]);
        if (!found) break;
        native = JoinNative(native, *found);
    }
    for (; i < parts.size(); ++i) native = JoinNative(native, parts[i]);
    return native;
}

} // namespace

std::string PosixFileSystem::NativePath(const std::string& path) const {
    if (path.empty()) return {}; // names nothing, as on Windows
    std::string win = path;
    std::replace(win.begin(), win.end(), '/', '\\');
    if (win.size() >= 2 && win[0] == '\\' && win[1] == '\\') return {}; // UNC

    // Where the path starts: a drive's root, or the current folder.
    const std::string cwdNative = CurrentNativeFolder();
    const std::string cwdWin = WindowsPath(cwdNative);
    const char cwdDrive = cwdWin.empty() ? '\0' : cwdWin[0];

    std::string start;
    std::vector<std::string> parts;
    std::string tail = win;
    const bool hasDrive = win.size() >= 2 && win[1] == ':' &&
                          ((win[0] >= 'A' && win[0] <= 'Z') || (win[0] >= 'a' && win[0] <= 'z'));
    if (hasDrive) {
        const char letter = static_cast<char>(FoldAscii(win[0]) - 'a' + 'A');
        const auto root = roots_.find(letter);
        if (root == roots_.end()) return {};
        start = root->second;
        tail = win.substr(2);
        if ((tail.empty() || tail[0] != '\\') && letter == cwdDrive) AppendComponents(parts, cwdWin.substr(3));
    } else if (!win.empty() && win[0] == '\\') {
        const auto root = roots_.find(cwdDrive);
        start = root != roots_.end() ? root->second : "/";
    } else if (!cwdWin.empty()) {
        start = roots_.at(cwdDrive);
        AppendComponents(parts, cwdWin.substr(3));
    } else {
        start = cwdNative; // the current folder lies outside every drive
    }
    AppendComponents(parts, tail);
    return ResolveNoCase(start, parts);
}

bool PosixFileSystem::CanOpenForReading(const std::string& path) {
    const std::string native = NativePath(path);
    if (native.empty()) return false;
    Fd fd(open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid()) return false;
    struct stat info {};
    return fstat(fd.Get(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PosixFileSystem::IsLink(const std::string& path) {
    std::string native = NativePath(path);
    while (native.size() > 1 && native.back() == '/') native.pop_back(); // "x/" would follow it
    struct stat info {};
    return !native.empty() && lstat(native.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool PosixFileSystem::CanEnterFolder(const std::string& path) {
    // As on Windows, an empty path names no folder to change to.
    if (path.empty()) return false;
    const std::string native = NativePath(path);
    if (native.empty()) return false;
    struct stat info {};
    return stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           access(native.c_str(), X_OK) == 0;
}

namespace {

// The names of the open folder dir that match names, as Windows lists
// them: hidden ones (a leading dot) only with Attr::Hidden, folders only
// with Attr::Folder, "." and ".." first and the rest in name order.
std::vector<ListEntry> ReadFolder(DIR* dir, const std::string& native, const std::string& names,
                                  std::uint16_t mask, int& readError) {
    const bool withFolders = (mask & Attr::Folder) != 0;
    const bool withHidden = (mask & Attr::Hidden) != 0;
    bool dot = false;
    bool dotDot = false;
    std::vector<ListEntry> entries;
    for (;;) {
        errno = 0; // readdir reports an error only through errno
        const dirent* entry = readdir(dir);
        if (entry == nullptr) {
            readError = errno;
            break;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            if (withFolders && MatchesFilePattern(name, names)) (name == "." ? dot : dotDot) = true;
            continue;
        }
        if (name[0] == '.' && !withHidden) continue;
        if (!MatchesFilePattern(name, names)) continue;
        const bool isFolder = IsFolderEntry(native, *entry);
        if (isFolder && !withFolders) continue;
        entries.push_back({name, isFolder});
    }
    std::sort(entries.begin(), entries.end(),
              [](const ListEntry& a, const ListEntry& b) { return LessNameNoCase(a.name, b.name); });
    if (dotDot) entries.insert(entries.begin(), {"..", true});
    if (dot) entries.insert(entries.begin(), {".", true});
    return entries;
}

} // namespace

std::vector<ListEntry> PosixFileSystem::ListEntries(const std::string& pattern, std::uint16_t mask) {
    const ListPattern split = SplitListPattern(pattern);
    const std::string native = NativePath(split.folder);
    if (native.empty()) Fail("list", pattern, ENOENT);
    DIR* dir = opendir(native.c_str());
    if (dir == nullptr) Fail("list", pattern, errno);
    int readError = 0;
    std::vector<ListEntry> entries = ReadFolder(dir, native, split.names, mask, readError);
    closedir(dir);
    if (readError != 0) Fail("list", pattern, readError);
    return entries;
}

std::vector<Drive> PosixFileSystem::Drives() {
    std::vector<Drive> drives;
    for (const auto& [letter, root] : roots_) drives.push_back({std::string(1, letter) + ":\\", ""});
    return drives;
}

void PosixFileSystem::CreateFolder(const std::string& path) {
    const std::string native = NativePath(path);
    if (native.empty()) Fail("create folder", path, ENOENT);
    if (mkdir(native.c_str(), 0777) != 0) Fail("create folder", path, errno);
}

void PosixFileSystem::RemoveFolder(const std::string& path) {
    const std::string native = NativePath(path);
    if (native.empty()) Fail("remove folder", path, ENOENT);
    if (rmdir(native.c_str()) != 0) Fail("remove folder", path, errno);
}

void PosixFileSystem::CopyFile(const std::string& from, const std::string& to) {
    const std::string source = NativePath(from);
    const std::string target = NativePath(to);
    if (source.empty()) Fail("copy", from, ENOENT);
    if (target.empty()) Fail("copy", to, ENOENT);

    Fd in(open(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in.Valid()) Fail("copy", from, errno);
    struct stat sourceInfo {};
    if (fstat(in.Get(), &sourceInfo) != 0) Fail("copy", from, errno);
    if (S_ISDIR(sourceInfo.st_mode)) Fail("copy", from, EISDIR);
    // Truncating the target would destroy a source that is the same file.
    struct stat targetInfo {};
    if (stat(target.c_str(), &targetInfo) == 0 && targetInfo.st_dev == sourceInfo.st_dev &&
        targetInfo.st_ino == sourceInfo.st_ino)
        Fail("copy", to, EINVAL);

    Fd out(open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY | O_CLOEXEC, 0666));
    if (!out.Valid()) Fail("copy", to, errno);
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        const ssize_t got = read(in.Get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            Fail("copy", from, errno);
        }
        if (got == 0) break;
        WriteAll(out.Get(), buffer.data(), static_cast<std::size_t>(got), "copy", to);
    }
    SyncAndClose(out, target, "copy", to, flushed_);
}

// The link's text is copied as it stands, so a relative link stays relative.
void PosixFileSystem::CopyLink(const std::string& from, const std::string& to) {
    const std::string source = NativePath(from);
    const std::string target = NativePath(to);
    if (source.empty()) Fail("copy", from, ENOENT);
    if (target.empty()) Fail("copy", to, ENOENT);
    std::string text(256, '\0');
    for (;;) {
        const ssize_t length = readlink(source.c_str(), text.data(), text.size());
        if (length < 0) Fail("copy", from, errno);
        if (static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            break;
        }
        text.resize(text.size() * 2);
    }
    if (symlink(text.c_str(), target.c_str()) != 0) Fail("copy", to, errno);
    SyncFolderOf(target, flushed_);
}

void PosixFileSystem::Rename(const std::string& from, const std::string& to) {
    const std::string source = NativePath(from);
    std::string target = NativePath(to);
    if (source.empty()) Fail("rename", from, ENOENT);
    if (target.empty()) Fail("rename", to, ENOENT);
    // A change of case only: the target resolved to the source itself, so
    // take the new name as given.
    if (target == source) {
        std::string given = to;
        std::replace(given.begin(), given.end(), '/', '\\');
        while (!given.empty() && given.back() == '\\') given.pop_back();
        const auto sep = given.find_last_of("\\:");
        target = JoinNative(ParentOf(source), sep == std::string::npos ? given : given.substr(sep + 1));
        if (LastNameOf(target) == LastNameOf(source)) return;
    }
    if (rename(source.c_str(), target.c_str()) != 0) Fail("rename", from, errno);
    SyncFolderOf(target, flushed_);
    // A move between folders changes both: neither may come back without it.
    if (ParentOf(source) != ParentOf(target)) SyncFolderOf(source, flushed_);
}

void PosixFileSystem::RemoveFile(const std::string& path) {
    const std::string native = NativePath(path);
    if (native.empty()) Fail("remove", path, ENOENT);
    if (unlink(native.c_str()) != 0) Fail("remove", path, errno);
}

void PosixFileSystem::CheckReplaceable(const std::string& path) {
    const std::string native = NativePath(path);
    if (native.empty()) return;
    // Opening for writing without truncation touches nothing, and fails
    // the way a replace would: no access, or a program running from it.
    Fd fd(open(native.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid() && errno != ENOENT) Fail("open", path, errno);
}

void PosixFileSystem::ReplaceFile(const std::string& target, const std::string& replacement,
                                  const std::string& backup) {
    const std::string targetNative = NativePath(target);
    const std::string replacementNative = NativePath(replacement);
    const std::string backupNative = NativePath(backup);
    if (targetNative.empty()) Fail("replace", target, ENOENT);
    if (replacementNative.empty()) Fail("replace", replacement, ENOENT);
    if (backupNative.empty()) Fail("replace", backup, ENOENT);

    struct stat targetInfo {};
    struct stat info {};
    if (stat(targetNative.c_str(), &targetInfo) != 0) Fail("replace", target, errno);
    if (stat(replacementNative.c_str(), &info) != 0) Fail("replace", replacement, errno);
    if (rename(targetNative.c_str(), backupNative.c_str()) != 0) Fail("replace", target, errno);
    if (rename(replacementNative.c_str(), targetNative.c_str()) != 0) {
        const int err = errno;
        rename(backupNative.c_str(), targetNative.c_str()); // put the old file back
        Fail("replace", replacement, err);
    }
    // The new file keeps the target's permissions, a read-only mark above
    // all: that is the player's choice, not the program's.
    chmod(targetNative.c_str(), targetInfo.st_mode & 07777);
    SyncFolderOf(targetNative, flushed_);
    // A backup kept in another folder is there only once that folder is.
    if (ParentOf(backupNative) != ParentOf(targetNative)) SyncFolderOf(backupNative, flushed_);
}

namespace {

// Hands each piece of the file's bytes to take, in order.
template <class Take>
void ReadPieces(const std::string& native, const std::string& path, Take take) {
    if (native.empty()) Fail("read", path, ENOENT);
    Fd fd(open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid()) Fail("read", path, errno);
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0) Fail("read", path, errno);
    if (S_ISDIR(info.st_mode)) Fail("read", path, EISDIR);
    std::string buffer(256 * 1024, '\0');
    for (;;) {
        const ssize_t got = read(fd.Get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            Fail("read", path, errno);
        }
        if (got == 0) break;
        take(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    }
}

} // namespace

std::string PosixFileSystem::ReadFile(const std::string& path) {
    std::string bytes;
    ReadPieces(NativePath(path), path, [&](std::string_view piece) { bytes += piece; });
    return bytes;
}

FileDigest PosixFileSystem::Digest(const std::string& path) {
    Sha256 hash;
    FileDigest digest;
    ReadPieces(NativePath(path), path, [&](std::string_view piece) {
        hash.Add(piece);
        digest.size += piece.size();
    });
    digest.sha256 = hash.HexDigest();
    return digest;
}

bool PosixFileSystem::SameVolume(const std::string& a, const std::string& b) {
    const std::string first = NativePath(a);
    const std::string second = NativePath(b);
    struct stat x {};
    struct stat y {};
    return !first.empty() && !second.empty() && stat(first.c_str(), &x) == 0 && stat(second.c_str(), &y) == 0 &&
           x.st_dev == y.st_dev;
}

void PosixFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    const std::string native = NativePath(path);
    if (native.empty()) Fail("write", path, ENOENT);
    Fd fd(open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY | O_CLOEXEC, 0666));
    if (!fd.Valid()) Fail("write", path, errno);
    WriteAll(fd.Get(), bytes.data(), bytes.size(), "write", path);
    SyncAndClose(fd, native, "write", path, flushed_);
}

// POSIX names have no short forms.
std::string PosixFileSystem::ShortPath(const std::string& path) {
    return path;
}

// Nothing redirects writes here; under Wine neither.
VirtualStoreLayout PosixFileSystem::VirtualStore() {
    return {};
}

std::string PosixFileSystem::CurrentFolder() {
    const std::string native = CurrentNativeFolder();
    std::string win = WindowsPath(native);
    if (!win.empty()) {
        if (win.size() > 3 && win.back() == '\\') win.pop_back();
        return win;
    }
    win = native; // the current folder lies outside every drive
    std::replace(win.begin(), win.end(), '/', '\\');
    return win;
}

} // namespace telk
