#include "platform/posix/Launcher_posix.h"

#include <dirent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

extern char** environ;

namespace telk {

namespace {

[[noreturn]] void Fail(const std::string& path, int err) {
    throw LaunchError(path, std::generic_category().message(err));
}

std::string RealPath(const std::string& native) {
    char* resolved = realpath(native.c_str(), nullptr);
    if (resolved == nullptr) return {};
    std::string result = resolved;
    std::free(resolved);
    return result;
}

} // namespace

void PosixLauncher::Start(const std::string& path) {
    if (path.empty()) Fail(path, ENOENT);
    const std::string native = fs_.NativePath(path);
    if (native.empty()) Fail(path, ENOENT);
    struct stat info {};
    if (stat(native.c_str(), &info) != 0) Fail(path, errno);
    if (S_ISDIR(info.st_mode)) Fail(path, EACCES);

    // Exactly that file, no search of PATH; the child is not waited for.
    char* argv[] = {const_cast<char*>(native.c_str()), nullptr};
    pid_t pid = 0;
    const int err = posix_spawn(&pid, native.c_str(), nullptr, nullptr, argv, environ);
    if (err != 0) Fail(path, err);
}

bool PosixLauncher::IsRunning(const std::string& path) {
    if (path.empty()) return false;
    const std::string native = fs_.NativePath(path);
    if (native.empty()) return false;
    const std::string wanted = RealPath(native);
    if (wanted.empty()) return false;

    DIR* proc = opendir("/proc");
    if (proc == nullptr) return false;
    bool running = false;
    while (const dirent* entry = readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        const std::string link = std::string("/proc/") + entry->d_name + "/exe";
        char target[PATH_MAX];
        // Fails for other users' processes and for zombies: neither counts.
        const ssize_t length = readlink(link.c_str(), target, sizeof target);
        if (length > 0 && static_cast<std::size_t>(length) < sizeof target &&
            wanted.compare(0, std::string::npos, target, static_cast<std::size_t>(length)) == 0) {
            running = true;
            break;
        }
    }
    closedir(proc);
    return running;
}

} // namespace telk
