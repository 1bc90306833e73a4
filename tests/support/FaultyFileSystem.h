// A FileSystem that wraps the real one and makes one chosen operation fail,
// so that a test can fail every step of a back-up or restore in turn. The
// existence tests and the current folder pass through uncounted: they
// answer, they cannot fail.
#pragma once

#include <string>
#include <vector>

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
    void FailNth(int n, Mode mode = Mode::Clean);
    // The n-th counted operation and everything after it throw SimulatedCrash.
    void CrashAtNth(int n);
    // Counted operations since construction or the last FailNth/CrashAtNth.
    int Count() const { return count_; }
    // Whether the chosen failure or crash has happened.
    bool Fired() const { return fired_; }
    // "Operation path" of each counted operation, in order.
    const std::vector<std::string>& Log() const { return log_; }
    // The entry of Log() that failed or crashed; empty until then.
    std::string FiredAt() const { return fired_ ? log_[static_cast<std::size_t>(failAt_ - 1)] : std::string(); }

    bool CanOpenForReading(const std::string& path) override;
    bool CanEnterFolder(const std::string& path) override;
    std::vector<std::string> List(const std::string& pattern, std::uint16_t mask) override;
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
    void WriteFile(const std::string& path, const std::string& bytes) override;
    std::string CurrentFolder() override;

private:
    // Counts the operation; true when it is the one to fail.
    bool Hit(const char* operation, const std::string& path);
    [[noreturn]] void Fail(const char* operation, const std::string& path);
    void ThrowIfCrashed() const;

    FileSystem& real_;
    int count_ = 0;
    int failAt_ = 0;
    bool crash_ = false;
    bool fired_ = false;
    Mode mode_ = Mode::Clean;
    std::vector<std::string> log_;
};

} // namespace telk::test
