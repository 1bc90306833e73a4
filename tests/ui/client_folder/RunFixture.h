// A run of the program on real temporary folders, shared by the tests of
// the client folder window, the settings window and the pickers. C: and D:
// are temporary folders, Q: a drive whose folder does not exist (a drive
// that cannot be read), and the working folder is C:\TELK. Start() begins
// a fresh run (state, Ui, windows) through the start routine on the same
// disk, as the next start of the program would.
#pragma once

#include <cctype>
#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Main.h"
#include "platform/Platform.h"
#include "platform/posix/Clock_posix.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/InstanceLock_posix.h"
#include "platform/posix/Launcher_posix.h"
#include "platform/posix/TextCodec_posix.h"
#include "store/ProgramState.h"
#include "support/FaultyFileSystem.h"
#include "support/HeadlessUi.h"
#include "support/TempDir.h"
#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk::test {

namespace stdfs = std::filesystem;

// Index of the entry shown as item, or -1.
inline int IndexOf(const ui::ListControl& list, const std::string& item, int from = 0) {
    for (int i = from; i < list.ListCount(); ++i)
        if (list.Items()[static_cast<std::size_t>(i)] == item) return i;
    return -1;
}

// Index of the drive list's entry for "D:\" (shown as "d:").
inline int DriveIndex(const ui::DriveListBox& drives, char letter) {
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    for (int i = 0; i < drives.ListCount(); ++i)
        if (drives.Items()[static_cast<std::size_t>(i)].rfind(std::string(1, lower) + ":", 0) == 0) return i;
    return -1;
}

// Browses a picker to folder ("C:\Games\UO") as a user would: picks the
// drive, opens its root, then each folder down from it.
template <class Picker> void Browse(Picker& picker, const std::string& folder) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(folder.at(0))));
    if (picker.Drive1.Drive().at(0) != letter) {
        ASSERT_TRUE(picker.Drive1.UserSelect(DriveIndex(picker.Drive1, letter)));
        ASSERT_EQ(picker.Drive1.Drive(), std::string(1, letter) + ":\\");
    }
    ASSERT_TRUE(picker.Dir1.UserOpen(0));
    std::stringstream rest(folder.substr(3));
    std::string name;
    while (std::getline(rest, name, '\\')) {
        if (name.empty()) continue;
        const int index = IndexOf(picker.Dir1, name, picker.Dir1.OpenIndex() + 1);
        ASSERT_GE(index, 0) << name << " is not listed under " << picker.Dir1.Path();
        ASSERT_TRUE(picker.Dir1.UserOpen(index));
    }
}

class RunFixture : public ::testing::Test {
protected:
    RunFixture()
        : posix_({{'C', root_.Native("c")}, {'D', root_.Native("d")}, {'Q', root_.Native("missing")}}),
          fs(posix_),
          codec("CP932"),
          launcher_(posix_) {
        root_.MakeFolder("c\\TELK");
        root_.MakeFolder("d");
        cwd_ = std::make_unique<ScopedCurrentFolder>(root_.Native("c\\TELK"));
    }

    ~RunFixture() override { run_.reset(); }

    // Native path of a path on drive C: or D: ("C:\Games\UO").
    std::string Native(const std::string& windowsPath) const { return root_.Native(Rel(windowsPath)); }
    void MakeFolder(const std::string& windowsPath) const { root_.MakeFolder(Rel(windowsPath)); }
    void MakeFile(const std::string& windowsPath) const { root_.WriteBytes(Rel(windowsPath), "MZ"); }
    // A client folder the main window can open: Desktop with one character.
    void MakeClientFolder(const std::string& windowsPath) const {
        MakeFolder(windowsPath + "\\Desktop\\Account1\\Shard1\\Char1");
    }

    std::string IniPath() const { return Native("C:\\TELK\\telk.ini"); }
    std::string IniBytes() const { return root_.ReadBytes(Rel("C:\\TELK\\telk.ini")); }
    // The bytes of a settings file holding these lines, as the program writes them.
    std::string IniOf(std::initializer_list<std::string> lines) {
        std::string bytes;
        for (const std::string& line : lines) bytes += codec.ToAnsi(line) + "\r\n";
        return bytes;
    }
    void WriteIni(std::initializer_list<std::string> lines) { root_.WriteBytes(Rel("C:\\TELK\\telk.ini"), IniOf(lines)); }

    // A new run through the start routine; the client folder window is up.
    void Start() {
        run_.reset();
        run_ = std::make_unique<Run>(fs, codec, clock_, launcher_, root_.Native("telk.lock"));
        Main(run_->windows);
    }

    ProgramState& State() { return run_->state; }
    HeadlessUi& Ui() { return run_->ui; }
    template <class F> F* Get() { return run_->windows.Get<F>(); }

private:
    struct Run {
        Run(FileSystem& fs, TextCodec& codec, Clock& clock, Launcher& launcher, const std::string& lockPath)
            : lock(lockPath), platform{fs, codec, clock, launcher, lock}, windows(state, platform, ui) {}
        PosixInstanceLock lock;
        Platform platform;
        ProgramState state;
        HeadlessUi ui;
        ui::Windows windows;
    };

    // "D:\Games" -> "d\Games", below the temporary folder.
    static std::string Rel(const std::string& windowsPath) {
        std::string rest = windowsPath.substr(3);
        while (!rest.empty() && rest.front() == '\\') rest.erase(0, 1);
        const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath.at(0))));
        return rest.empty() ? std::string(1, drive) : std::string(1, drive) + "\\" + rest;
    }

    TempDir root_;
    PosixFileSystem posix_;

protected:
    FaultyFileSystem fs;
    PosixTextCodec codec;

private:
    PosixClock clock_;
    PosixLauncher launcher_;
    std::unique_ptr<ScopedCurrentFolder> cwd_;
    std::unique_ptr<Run> run_;
};

} // namespace telk::test
