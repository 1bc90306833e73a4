// The fault-injecting FileSystem: counts each operation that can fail, and
// fails, half-does or crashes at the chosen ones; holds, full stores and
// two volumes are played over the real file system.

#include "FaultyFileSystem.h"

#include <algorithm>

#include "platform/FileError.h"
#include "platform/PathText.h"

namespace telk::test {

namespace {
// The Win32 codes of the causes: a running client, no rights, a full disk,
// two volumes, no such folder.
int CodeOf(FileCause cause) {
    switch (cause) {
    case FileCause::HeldOpen:
        return 32;
    case FileCause::NoAccess:
        return 5;
    case FileCause::DiskFull:
        return 112;
    case FileCause::OtherVolume:
        return 17;
    case FileCause::FolderMissing:
        return 3;
    case FileCause::Other:
        break;
    }
    return 1;
}
} // namespace

void FaultyFileSystem::FailAt(std::vector<int> ns, Mode mode) {
    count_ = 0;
    failAt_ = std::move(ns);
    crash_ = false;
    firedAt_.clear();
    mode_ = mode;
    log_.clear();
}

void FaultyFileSystem::CrashAtNth(int n) {
    FailNth(n);
    crash_ = true;
}

std::string FaultyFileSystem::FiredAt() const {
    std::string text;
    for (int n : firedAt_) text += (text.empty() ? "" : " / ") + log_[static_cast<std::size_t>(n - 1)];
    return text;
}

void FaultyFileSystem::ThrowIfCrashed() const {
    if (crash_ && Fired()) throw SimulatedCrash{};
}

bool FaultyFileSystem::Hit(const char* operation, const std::string& path) {
    ThrowIfCrashed();
    ++count_;
    log_.push_back(std::string(operation) + " " + path);
    if (std::find(failAt_.begin(), failAt_.end(), count_) == failAt_.end()) return false;
    firedAt_.push_back(count_);
    if (crash_) throw SimulatedCrash{};
    return true;
}

void FaultyFileSystem::Fail(const char* operation, const std::string& path) {
    throw FileError(operation, path, "simulated failure", CodeOf(cause_), cause_);
}

// With two volumes, the slot store is one and everything else the other.
bool FaultyFileSystem::StoreSide(const std::string& path) {
    std::string upper = path;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper.find("\\SETTINGS\\") != std::string::npos;
}

void FaultyFileSystem::ThrowIfFull(const char* operation, const std::string& path, const std::string& bytes) {
    real_.WriteFile(path, bytes.substr(0, bytes.size() / 2));
    throw FileError(operation, path, "disk full", 112, FileCause::DiskFull);
}

void FaultyFileSystem::ThrowIfHeld(const char* operation, const std::string& path) const {
    if (Holds(held_, path)) throw FileError(operation, path, "held by another program", 32, FileCause::HeldOpen);
}

bool FaultyFileSystem::CanOpenForReading(const std::string& path) {
    ThrowIfCrashed();
    return !Holds(held_, path) && real_.CanOpenForReading(path);
}

bool FaultyFileSystem::CanEnterFolder(const std::string& path) {
    ThrowIfCrashed();
    return real_.CanEnterFolder(path);
}

bool FaultyFileSystem::IsLink(const std::string& path) {
    ThrowIfCrashed();
    return real_.IsLink(path);
}

void FaultyFileSystem::CopyLink(const std::string& from, const std::string& to) {
    if (Hit("CopyLink", from + " -> " + to)) Fail("CopyLink", to);
    real_.CopyLink(from, to);
}

std::vector<ListEntry> FaultyFileSystem::ListEntries(const std::string& pattern, std::uint16_t mask) {
    if (Hit("List", pattern)) Fail("List", pattern);
    std::vector<ListEntry> entries = real_.ListEntries(pattern, mask);
    if (listReversed_) std::reverse(entries.begin(), entries.end());
    return entries;
}

std::vector<Drive> FaultyFileSystem::Drives() {
    ThrowIfCrashed();
    return real_.Drives();
}

void FaultyFileSystem::CreateFolder(const std::string& path) {
    if (Hit("CreateFolder", path)) Fail("CreateFolder", path);
    real_.CreateFolder(path);
}

void FaultyFileSystem::RemoveFolder(const std::string& path) {
    if (Hit("RemoveFolder", path)) Fail("RemoveFolder", path);
    real_.RemoveFolder(path);
}

void FaultyFileSystem::CopyFile(const std::string& from, const std::string& to) {
    ThrowIfHeld("CopyFile", from);
    ThrowIfHeld("CopyFile", to);
    if (Hit("CopyFile", from + " -> " + to)) {
        if (mode_ == Mode::HalfDone) {
            const std::string bytes = real_.ReadFile(from);
            real_.WriteFile(to, bytes.substr(0, bytes.size() / 2));
        }
        Fail("CopyFile", to);
    }
    if (storeFull_ && StoreSide(to)) ThrowIfFull("CopyFile", to, real_.ReadFile(from));
    real_.CopyFile(from, to);
}

void FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
    ThrowIfHeld("Rename", from);
    if (Hit("Rename", from + " -> " + to)) Fail("Rename", from);
    if (separateVolumes_ && StoreSide(from) != StoreSide(to)) throw FileError("Rename", from, "not the same device", 17, FileCause::OtherVolume);
    real_.Rename(from, to);
}

void FaultyFileSystem::RemoveFile(const std::string& path) {
    ThrowIfHeld("RemoveFile", path);
    if (Hit("RemoveFile", path)) Fail("RemoveFile", path);
    real_.RemoveFile(path);
}

void FaultyFileSystem::CheckReplaceable(const std::string& path) {
    ThrowIfHeld("CheckReplaceable", path);
    if (Hit("CheckReplaceable", path)) Fail("CheckReplaceable", path);
    real_.CheckReplaceable(path);
}

// Half done, a replace is what ReplaceFileW leaves when it cannot move the
// replacement in: the target already under the backup name.
void FaultyFileSystem::ReplaceFile(const std::string& target, const std::string& replacement,
                                   const std::string& backup) {
    ThrowIfHeld("ReplaceFile", target);
    if (separateVolumes_ && StoreSide(target) != StoreSide(backup)) throw FileError("ReplaceFile", backup, "not the same device", 17, FileCause::OtherVolume);
    if (Hit("ReplaceFile", target)) {
        if (mode_ == Mode::HalfDone) real_.Rename(target, backup);
        Fail("ReplaceFile", target);
    }
    real_.ReplaceFile(target, replacement, backup);
}

std::string FaultyFileSystem::ReadFile(const std::string& path) {
    ThrowIfHeld("ReadFile", path);
    if (Hit("ReadFile", path)) Fail("ReadFile", path);
    return real_.ReadFile(path);
}

FileDigest FaultyFileSystem::Digest(const std::string& path) {
    ThrowIfHeld("Digest", path);
    if (Hit("Digest", path)) Fail("Digest", path);
    return real_.Digest(path);
}

bool FaultyFileSystem::SameVolume(const std::string& a, const std::string& b) {
    ThrowIfCrashed();
    return !(separateVolumes_ && volumesTold_) && real_.SameVolume(a, b);
}

void FaultyFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    if (Hit("WriteFile", path)) {
        if (mode_ == Mode::HalfDone) real_.WriteFile(path, bytes.substr(0, bytes.size() / 2));
        Fail("WriteFile", path);
    }
    if (storeFull_ && StoreSide(path)) ThrowIfFull("WriteFile", path, bytes);
    real_.WriteFile(path, bytes);
}

std::string FaultyFileSystem::ShortPath(const std::string& path) {
    ThrowIfCrashed();
    return real_.ShortPath(path);
}

VirtualStoreLayout FaultyFileSystem::VirtualStore() {
    ThrowIfCrashed();
    return virtualStore_ ? *virtualStore_ : real_.VirtualStore();
}

std::string FaultyFileSystem::CurrentFolder() {
    ThrowIfCrashed();
    return real_.CurrentFolder();
}

} // namespace telk::test
