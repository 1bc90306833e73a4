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
    explicit Win32FileSystem(RetryPolicy retry = {});

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
    void WriteFile(const std::string& path, const std::string& bytes) override;
    std::string ShortPath(const std::string& path) override;
    VirtualStoreLayout VirtualStore() override;
    std::string CurrentFolder() override;

private:
    RetryPolicy retry_;
};

// "C:\x" -> "\\?\C:\x", "\\server\share\x" -> "\\?\UNC\server\share\x";
// a path already in a "\\?\" or "\\.\" form, or one that is not absolute,
// is returned as it is. fullPath must be normalised (GetFullPathNameW).
std::wstring ToExtendedLengthPath(const std::wstring& fullPath);

// The absolute, normalised form of path (relative to the current folder,
// doubled separators collapsed, "/" turned into "\"). Empty on failure, with
// the reason in GetLastError().
std::wstring FullPathName(const std::wstring& path);

} // namespace telk
