// The Win32 file system through the W functions, with extended-length
// paths so that nothing stops at 260 characters.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace telk {

// How often a sharing or access conflict is tried again before it fails.
struct RetryPolicy {
    int attempts = 5;
    unsigned pauseMs = 80; // four pauses: a third of a second in all
};

class Win32FileSystem : public FileSystem {
public:
    // flushed hears each extended-length path flushed to disk.
    explicit Win32FileSystem(RetryPolicy retry = {}, FlushObserver flushed = {});

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
    std::vector<std::string> TemporaryFolders() override;
    std::string CurrentFolder() override;

private:
    RetryPolicy retry_;
    FlushObserver flushed_;
};

// The "\\?\" form of path: "C:\x" -> "\\?\C:\x", "\\server\share\x" ->
// "\\?\UNC\server\share\x", a relative path joined to the current folder
// (of its drive). "/" becomes "\", doubled separators collapse, "." and ".."
// resolve, a trailing "\" stays; every name is kept as it is, with its
// trailing dots and spaces, and "CON" or "aux.txt" stays a name. A path
// already in a "\\?\" or "\\.\" form is returned as it is. Empty on
// failure, with the reason in GetLastError().
std::wstring ToExtendedLengthPath(const std::wstring& path);

// GetFullPathNameW: the absolute, normalised form of path as the system
// makes it, trailing dots and spaces of names trimmed and device names
// mapped ("C:\x\CON" -> "\\.\CON"). For the launcher, whose paths end in
// CreateProcessW, which normalises the same way. Empty on failure, with the
// reason in GetLastError().
std::wstring FullPathName(const std::wstring& path);

} // namespace telk
