// A FileSystem that wraps the real one and makes one chosen operation fail,
// so that a test can fail every step of a back-up or restore in turn. The
// existence tests and the current folder pass through uncounted: they
// answer, they cannot fail.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileError.h"
#include "platform/FileSystem.h"

namespace telk::test {

// Stands for the process dying at an operation: not a FileError, so no
// clean-up of the code under test runs.
struct SimulatedCrash {};

class FaultyFileSystem : public FileSystem {
public:
    enum class Mode {
        Clean,    // the operation does nothing, then fails
        HalfDone, // a copy or write leaves half the bytes, a replace moves
                  // the target to its backup but not the replacement in
    };

    explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

    // The n-th counted operation from now on (1-based) fails with a
    // FileError that says the file is held open; 0 fails none.
    void FailNth(int n, Mode mode = Mode::Clean) { FailAt({n}, mode); }
    // Each of the listed operations fails.
    void FailAt(std::vector<int> ns, Mode mode = Mode::Clean);
    // Answers VirtualStore() with layout instead of the real one.
    void RedirectWrites(VirtualStoreLayout layout) { virtualStore_ = std::move(layout); }
    // Answers TemporaryFolders() with folders instead of the real ones.
    void TemporaryFoldersAre(std::vector<std::string> folders) { temporary_ = std::move(folders); }
    // Why the chosen operations fail from now on; a held file at first.
    void FailWith(FileCause cause) { cause_ = cause; }
    // From now on the file is held as a running client holds it, without
    // sharing: it lists, but every open of it fails (HeldOpen).
    void Hold(std::string path) { held_.push_back(std::move(path)); }
    void ReleaseAll() { held_.clear(); }
    // From now on (until false) the slot store's volume is full: every
    // copy or write into it fails, leaving what fitted.
    void FillStore(bool full = true) { storeFull_ = full; }
    // From now on the store and the client's folders are on two volumes:
    // nothing is renamed between them. told false: SameVolume says they
    // are one, as Wine does for two file systems of one kind.
    void SeparateVolumes(bool separate = true, bool told = true) {
        separateVolumes_ = separate;
        volumesTold_ = told;
    }
    // From now on (until false) every listing comes in the reverse of the
    // real one's order: FAT gives directory order, not names' order.
    void ListReversed(bool reversed = true) { listReversed_ = reversed; }
    // The n-th counted operation and everything after it throw SimulatedCrash.
    void CrashAtNth(int n);
    // Counted operations since construction or the last FailAt/CrashAtNth.
    int Count() const { return count_; }
    // Whether the first chosen failure or the crash has happened.
    bool Fired() const { return !firedAt_.empty(); }
    // "Operation path" of each counted operation, in order.
    const std::vector<std::string>& Log() const { return log_; }
    // The entries of Log() that failed or crashed, joined by " / ".
    std::string FiredAt() const;

    bool CanOpenForReading(const std::string& path) override;
    bool IsLink(const std::string& path) override;
    void CopyLink(const std::string& from, const std::string& to) override;
    bool CanEnterFolder(const std::string& path) override;
    std::vector<ListEntry> ListEntries(const std::string& pattern, std::uint16_t mask) override;
    std::vector<Drive> Drives() override;
    void CreateFolder(const std::string& path) override;
    void RemoveFolder(const std::string& path) override;
    void CopyFile(const std::string& from, const std::string& to) override;
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
    std::vector<std::string> TemporaryFolders() override { return temporary_ ? *temporary_ : real_.TemporaryFolders(); }
    std::string CurrentFolder() override;

private:
    // Counts the operation; true when it is the one to fail.
    bool Hit(const char* operation, const std::string& path);
    [[noreturn]] void Fail(const char* operation, const std::string& path);
    // A copy or write into a full store: what fits, then the failure.
    void ThrowIfFull(const char* operation, const std::string& path, const std::string& bytes);
    void ThrowIfCrashed() const;
    static bool StoreSide(const std::string& path);
    void ThrowIfHeld(const char* operation, const std::string& path) const;

    FileSystem& real_;
    int count_ = 0;
    std::vector<int> failAt_;
    bool crash_ = false;
    std::vector<int> firedAt_;
    Mode mode_ = Mode::Clean;
    FileCause cause_ = FileCause::HeldOpen;
    std::optional<VirtualStoreLayout> virtualStore_;
    std::vector<std::string> log_;
    std::vector<std::string> held_;
    std::optional<std::vector<std::string>> temporary_;
    bool separateVolumes_ = false;
    bool volumesTold_ = true;
    bool storeFull_ = false;
    bool listReversed_ = false;
};

} // namespace telk::test
