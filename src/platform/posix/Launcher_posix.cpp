// Starting a program on a POSIX host with posix_spawn, and finding a
// running one by the executables /proc shows.

#include "platform/posix/Launcher_posix.h"

#include <dirent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

bool PosixLauncher::AnyRunning(const std::vector<std::string>& files, const std::string& folder) {
    std::vector<std::string> wanted;
    for (const std::string& file : files) {
        const std::string real = file.empty() ? std::string() : RealPath(fs_.NativePath(file));
        if (!real.empty()) wanted.push_back(real);
    }
    std::string inside = folder.empty() ? std::string() : RealPath(fs_.NativePath(folder));
    if (!inside.empty() && inside.back() != '/') inside += '/';
    if (wanted.empty() && inside.empty()) return false;

    DIR* proc = opendir("/proc");
    if (proc == nullptr) return false;
    const std::string self = std::to_string(getpid());
    bool running = false;
    while (const dirent* entry = readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9' || self == entry->d_name) continue;
        const std::string link = std::string("/proc/") + entry->d_name + "/exe";
        char target[PATH_MAX];
        // Fails for other users' processes and for zombies: neither counts.
        const ssize_t length = readlink(link.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) continue;
        const std::string program(target, static_cast<std::size_t>(length));
        running = std::find(wanted.begin(), wanted.end(), program) != wanted.end() ||
                  (!inside.empty() && program.compare(0, inside.size(), inside) == 0);
        if (running) break;
    }
    closedir(proc);
    return running;
}

} // namespace telk
