// The file system on a POSIX host, seen the way Wine shows it to a Windows
// program: drive letters mapped to native folders, "\" separators, every
// name matched without regard to case.
#pragma once

#include <map>
#include <string>

#include "platform/FileSystem.h"

namespace telk {

class PosixFileSystem : public FileSystem {
public:
    // driveRoots maps a drive letter to the native folder it stands for;
    // flushed hears each native path fsync'ed.
    explicit PosixFileSystem(std::map<char, std::string> driveRoots = {{'Z', "/"}}, FlushObserver flushed = {});

    bool CanOpenForReading(const std::string& path) override;
    bool CanEnterFolder(const std::string& path) override;
    std::vector<ListEntry> ListEntries(const std::string& pattern, std::uint16_t mask) override;
    std::vector<Drive> Drives() override;
    void CreateFolder(const std::string& path) override;
    void RemoveFolder(const std::string& path) override;
    void CopyFile(const std::string& from, const std::string& to) override;
    bool IsLink(const std::string& path) override;
    void CopyLink(const std::string& from, const std::string& to) override;
    void Rename(const std::string& from, const std::string& to) override;
    void RemoveFile(const std::string& path) override;
    void CheckReplaceable(const std::string& path) override;
    void ReplaceFile(const std::string& target, const std::string& replacement,
                     const std::string& backup) override;
    std::string ReadFile(const std::string& path) override;
    FileDigest Digest(const std::string& path) override;
    bool SameVolume(const std::string& a, const std::string& b) override;
    void WriteFile(const std::string& path, const std::string& bytes) override;
    std::string ShortPath(const std::string& path) override;
    VirtualStoreLayout VirtualStore() override;
    std::string CurrentFolder() override;

    // The native path a Windows-syntax path stands for: existing components
    // in their on-disk case, the rest as given. Empty when the path cannot
    // be mapped (an empty or UNC path, an unmapped drive).
    std::string NativePath(const std::string& path) const;
    // The Windows-syntax path of a native absolute path, or empty when no
    // drive covers it.
    std::string WindowsPath(const std::string& nativePath) const;

private:
    std::map<char, std::string> roots_; // letter (upper case) -> native root
    FlushObserver flushed_;
};

// Whether name matches a Windows file pattern ("*", "?"), ignoring case.
bool MatchesFilePattern(const std::string& name, const std::string& pattern);

} // namespace telk
