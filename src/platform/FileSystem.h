// File system as the program sees it: Windows-syntax paths ("\" separators,
// drive letters, names compared without regard to case), UTF-8 text.
// Relative paths resolve against the process's current folder, which the
// program never changes for good.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace telk {

// Attribute bits of a listing mask: 0 lists plain files only; each bit
// adds the entries that have it.
namespace Attr {
inline constexpr std::uint16_t Normal = 0;
inline constexpr std::uint16_t Hidden = 2;
inline constexpr std::uint16_t System = 4;
inline constexpr std::uint16_t Folder = 16;
} // namespace Attr

// Where Windows puts what an old 32-bit program without a manifest writes
// below the protected folders (Program Files, Windows, ProgramData): the
// same path, less its drive, below folder. Empty where nothing is
// redirected.
struct VirtualStoreLayout {
    std::vector<std::string> protectedFolders; // "C:\Program Files (x86)"
    std::string folder;                        // "C:\Users\x\AppData\Local\VirtualStore"
};

// A name of a listing and whether it is a folder, as the same walk saw it.
struct ListEntry {
    std::string name;
    bool folder = false;
};

// A file's length and the SHA-256 of its bytes (64 lower-case hex digits).
struct FileDigest {
    std::uint64_t size = 0;
    std::string sha256;
    bool operator==(const FileDigest&) const = default;
};

// Hears the path, as the system names it, of each file an implementation
// has just flushed to disk and of each folder whose entries it has: the
// contract tests hold every durable operation to what it flushes.
using FlushObserver = std::function<void(const std::string& path)>;

struct Drive {
    std::string root;  // "C:\"
    std::string label; // volume label, may be empty
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Tests: never throw, never change anything.
    virtual bool CanOpenForReading(const std::string& path) = 0;
    // True when path itself is a symbolic link or a junction, whatever it
    // points at (or whether that exists).
    virtual bool IsLink(const std::string& path) = 0;
    // True when the current folder could be changed to path; the current
    // folder is the same afterwards.
    virtual bool CanEnterFolder(const std::string& path) = 0;

    // Names (without folder) matching the pattern ("C:\x\*.*"), in the
    // platform's order. Ordinary files always; folders when mask has
    // Attr::Folder; hidden and system entries only when the mask has their
    // bit. Throws FileError when the folder cannot be listed.
    virtual std::vector<ListEntry> ListEntries(const std::string& pattern, std::uint16_t mask) = 0;
    // The same, names only.
    std::vector<std::string> List(const std::string& pattern, std::uint16_t mask);
    // Never throws: a drive that cannot be read is listed without a label.
    virtual std::vector<Drive> Drives() = 0;

    // Everything below throws FileError on failure.
    virtual void CreateFolder(const std::string& path) = 0;
    virtual void RemoveFolder(const std::string& path) = 0; // must be empty
    // Copies the bytes and flushes them to disk; replaces an existing target.
    // The copy is writable even when the source is marked read-only.
    virtual void CopyFile(const std::string& from, const std::string& to) = 0;
    // Makes to a link to what the link from points at.
    virtual void CopyLink(const std::string& from, const std::string& to) = 0;
    // Renames a file or folder; a file target is replaced, a read-only one
    // too.
    virtual void Rename(const std::string& from, const std::string& to) = 0;
    // Removes a file, read-only ones too, or a link as itself (never what
    // it points at).
    virtual void RemoveFile(const std::string& path) = 0;
    // Fails (HeldOpen) when another process holds the file in a way that
    // would block replacing or deleting it. A missing file passes.
    virtual void CheckReplaceable(const std::string& path) = 0;
    // Puts replacement in place of target, keeping the old target under
    // backup; afterwards replacement no longer exists. Target must exist.
    // A read-only target is replaced too: the new file takes its read-only
    // mark, and the backup keeps it.
    virtual void ReplaceFile(const std::string& target, const std::string& replacement,
                             const std::string& backup) = 0;
    virtual std::string ReadFile(const std::string& path) = 0;
    virtual FileDigest Digest(const std::string& path) = 0;
    // Creates or empties the file, writes the bytes, flushes them.
    virtual void WriteFile(const std::string& path, const std::string& bytes) = 0;

    // The same file or folder named with the short (8.3) names the volume
    // keeps for it; the path as given where there are none. Never throws.
    virtual std::string ShortPath(const std::string& path) = 0;

    // Whether a file can be renamed from one existing folder into the
    // other: both lie on one volume. False when it cannot be told. Never
    // throws.
    virtual bool SameVolume(const std::string& a, const std::string& b) = 0;

    // Never throws.
    virtual VirtualStoreLayout VirtualStore() = 0;

    // The folders the system empties of what it considers left over (the
    // user's and the system's temporary folders), without a trailing "\".
    // None where no such folder is the player's concern. Never throws.
    virtual std::vector<std::string> TemporaryFolders() { return {}; }

    // The process's current folder, without a trailing "\" (except a root).
    // Never throws.
    virtual std::string CurrentFolder() = 0;
};

inline std::vector<std::string> FileSystem::List(const std::string& pattern, std::uint16_t mask) {
    std::vector<ListEntry> entries = ListEntries(pattern, mask);
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (ListEntry& entry : entries) names.push_back(std::move(entry.name));
    return names;
}

} // namespace telk
