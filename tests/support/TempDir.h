// Test helpers for real files: a temporary folder that cleans up after
// itself, native access to it that bypasses the FileSystem under test, and
// the build's own platform objects.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/Launcher.h"
#include "platform/TextCodec.h"

namespace telk::test {

// A fresh, uniquely named folder, removed with all it holds at the end.
// Relative names (rel) use "\" between their parts on every build.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The path in the host's own syntax ("/tmp/telk-x1" or "C:\...\telk-x1").
    std::string Native(const std::string& rel = {}) const;
    // The path as the FileSystem takes it ("Z:\tmp\telk-x1" on POSIX),
    // without a trailing "\".
    std::string Win(const std::string& rel = {}) const;

    // Through the native file API. WriteBytes creates missing parent
    // folders; ReadBytes throws std::runtime_error when the file is missing.
    void WriteBytes(const std::string& rel, const std::string& bytes) const;
    std::string ReadBytes(const std::string& rel) const;
    void MakeFolder(const std::string& rel) const; // with its parents
    // Copies a file from anywhere (native path) in, keeping it executable.
    void CopyIn(const std::string& nativeSource, const std::string& rel) const;
    bool IsFile(const std::string& rel) const;
    bool IsFolder(const std::string& rel) const;
    // The system's read-only mark: the attribute on Windows, no write bit
    // for anyone on POSIX.
    void SetReadOnly(const std::string& rel) const;
    bool IsReadOnly(const std::string& rel) const;
    // The names in a folder, sorted byte-wise, without "." and "..".
    std::vector<std::string> Names(const std::string& rel = {}) const;

private:
    std::string native_;
};

// Sets the process's current folder for the life of the object.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& nativePath);
    ~ScopedCurrentFolder();
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::string previous_;
};

// Sets an environment variable (inherited by child processes) for the
// life of the object.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// A file of the build tree, whose path CMake gives in the build host's
// syntax, in the syntax of the running program ("Z:\..." under Wine).
std::string BuildTreePath(const std::string& path);

// The current folder in the host's own syntax.
std::string NativeCurrentFolder();

// Polls condition until it holds or limit passes; for waiting on another
// process, never for measuring time.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(30));

// Runs body and hands back the FileError it must throw; a failure of the
// test when it throws none.
template <class Body>
FileError ErrorOf(Body body) {
    try {
        body();
    } catch (const FileError& error) {
        return error;
    }
    ADD_FAILURE() << "no FileError";
    return FileError("", "", "", 0, FileCause::Other);
}

// Names are compared without regard to ASCII case, as paths are.
bool SamePathNoCase(const std::string& a, const std::string& b);

std::unique_ptr<FileSystem> MakePlatformFileSystem(FlushObserver flushed = {});
// The codec for CP932 text: the ANSI code page on Windows (932 in the
// tests' Wine setup), iconv's CP932 on POSIX.
std::unique_ptr<TextCodec> MakeJapaneseTextCodec();
std::unique_ptr<Clock> MakePlatformClock();
std::unique_ptr<Launcher> MakePlatformLauncher();
// Two locks made with the same dir and name exclude each other; the name
// keeps tests apart from one another and from a running program.
std::unique_ptr<InstanceLock> MakeInstanceLock(const TempDir& dir, const std::string& name);

} // namespace telk::test
