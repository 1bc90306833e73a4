// The test helpers on a POSIX host: temporary folders under $TMPDIR, their
// native access, and the POSIX platform objects.

#include "support/TempDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "platform/posix/Clock_posix.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/InstanceLock_posix.h"
#include "platform/posix/Launcher_posix.h"
#include "platform/posix/TextCodec_posix.h"

namespace telk::test {

namespace fs = std::filesystem;

namespace {

std::string ToSlashes(std::string rel) {
    std::replace(rel.begin(), rel.end(), '\\', '/');
    return rel;
}

} // namespace

TempDir::TempDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
    std::string pattern = base + "/telk-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed in " + base);
    // The real path, so that it compares equal to what getcwd reports.
    native_ = fs::canonical(pattern).string();
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests may leave folders without search or write permission behind.
    for (auto it = fs::recursive_directory_iterator(native_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(native_, ignored);
}

std::string TempDir::Native(const std::string& rel) const {
    return rel.empty() ? native_ : native_ + "/" + ToSlashes(rel);
}

std::string TempDir::Win(const std::string& rel) const {
    std::string win = "Z:" + native_;
    std::replace(win.begin(), win.end(), '/', '\\');
    return rel.empty() ? win : win + "\\" + rel;
}

void TempDir::WriteBytes(const std::string& rel, const std::string& bytes) const {
    const fs::path path = Native(rel);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::string TempDir::ReadBytes(const std::string& rel) const {
    std::ifstream in(Native(rel), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + Native(rel));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void TempDir::MakeFolder(const std::string& rel) const {
    fs::create_directories(Native(rel));
}

void TempDir::CopyIn(const std::string& nativeSource, const std::string& rel) const {
    const fs::path target = Native(rel);
    fs::create_directories(target.parent_path());
    fs::copy_file(nativeSource, target, fs::copy_options::overwrite_existing);
}

bool TempDir::IsFile(const std::string& rel) const {
    std::error_code ignored;
    return fs::is_regular_file(Native(rel), ignored);
}

bool TempDir::IsFolder(const std::string& rel) const {
    std::error_code ignored;
    return fs::is_directory(Native(rel), ignored);
}

void TempDir::SetReadOnly(const std::string& rel) const {
    fs::permissions(Native(rel), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

bool TempDir::IsReadOnly(const std::string& rel) const {
    const fs::perms perms = fs::status(Native(rel)).permissions();
    return (perms & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) == fs::perms::none;
}

std::vector<std::string> TempDir::Names(const std::string& rel) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Native(rel)))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ScopedCurrentFolder::ScopedCurrentFolder(const std::string& nativePath)
    : previous_(NativeCurrentFolder()) {
    if (chdir(nativePath.c_str()) != 0) throw std::runtime_error("cannot enter " + nativePath);
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
    if (chdir(previous_.c_str()) != 0) std::abort(); // every later test would run elsewhere
}

ScopedEnv::ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) previous_ = old;
    setenv(name_.c_str(), value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (previous_) setenv(name_.c_str(), previous_->c_str(), 1);
    else unsetenv(name_.c_str());
}

std::string BuildTreePath(const std::string& path) {
    return path;
}

std::string NativeCurrentFolder() {
    return fs::current_path().string();
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool SamePathNoCase(const std::string& a, const std::string& b) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

std::unique_ptr<FileSystem> MakePlatformFileSystem(FlushObserver flushed) {
    return std::make_unique<PosixFileSystem>(std::map<char, std::string>{{'Z', "/"}}, std::move(flushed));
}

std::unique_ptr<TextCodec> MakeJapaneseTextCodec() {
    return std::make_unique<PosixTextCodec>("CP932");
}

std::unique_ptr<Clock> MakePlatformClock() {
    return std::make_unique<PosixClock>();
}

std::unique_ptr<Launcher> MakePlatformLauncher() {
    return std::make_unique<PosixLauncher>();
}

std::unique_ptr<InstanceLock> MakeInstanceLock(const TempDir& dir, const std::string& name) {
    return std::make_unique<PosixInstanceLock>(dir.Native(name + ".lock"));
}

} // namespace telk::test
