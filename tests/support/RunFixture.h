// Runs of the program on real temporary folders, for the start routine and
// every window. The working folder (telk.ini, the slot store "Settings")
// is dir; C: and D: are temporary folders of their own, Q: a drive whose
// folder does not exist (a drive that cannot be read), and dir's own paths
// are on Z:. The windows see the real file system through the fault
// injector, which fails nothing until told to. Start() begins a fresh run
// (state, Ui, windows) through the start routine on the same disk, as the
// next start of the program would.
#pragma once

#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <utility>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/InstanceLock.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "store/ProgramState.h"
#include "support/FaultyFileSystem.h"
#include "support/HeadlessUi.h"
#include "support/TempDir.h"
#include "ui/Windows.h"
#include "ui/forms/Control.h"

namespace telk::ui {
class FormMain;
class FormRunUO;
} // namespace telk::ui

namespace telk::test {

// The launch boundary: records the starts, refuses them when told, and
// says which programs run.
class FakeLauncher : public Launcher {
public:
    void Start(const std::string& path) override;
    bool AnyRunning(const std::vector<std::string>& files, const std::string& folder) override;

    std::vector<std::string> started;
    std::set<std::string> running; // program files, as the program writes paths
    std::optional<std::string> refusal; // system message of a refused start
};

class FixedClock : public Clock {
public:
    std::string Today() override { return today; }
    std::string Now() override { return now; }
    std::string today = "12-07-2026";
    std::string now = "2026-12-07 21-05-09";
};

class RunFixture {
public:
    enum class Begin {
        EmptyFolder, // nothing on disk, the run made but not started
        AtMainWindow // the store prepared as a start leaves it, UO\DESKTOP made and accepted
    };
    explicit RunFixture(Begin begin = Begin::AtMainWindow);
    ~RunFixture();

    // A new run through the start routine; the client folder window is up.
    void Start();

    ProgramState& State();
    const ProgramState& State() const;
    HeadlessUi& Ui();
    const HeadlessUi& Ui() const;
    ui::Windows& Windows();
    InstanceLock& Lock();
    template <class F> F* Get() const;

    // Native path of a path on drive C: or D: ("C:\Games\UO").
    std::string Native(const std::string& windowsPath) const { return drives_.Native(DriveRel(windowsPath)); }
    void MakeFolder(const std::string& windowsPath) const { drives_.MakeFolder(DriveRel(windowsPath)); }
    void MakeFile(const std::string& windowsPath) const { drives_.WriteBytes(DriveRel(windowsPath), "MZ"); }
    // A client folder the main window can open: Desktop with one character.
    void MakeClientFolder(const std::string& windowsPath) const {
        MakeFolder(windowsPath + "\\Desktop\\Account1\\Shard1\\Char1");
    }

    std::string IniBytes() const { return dir.ReadBytes("telk.ini"); }
    void WriteIni(const std::vector<std::string>& lines) const { dir.WriteBytes("telk.ini", DataIni(lines)); }

    // "UO\DESKTOP\account\shard\name" below dir.
    static std::string CharRel(const std::string& account, const std::string& shard, const std::string& name);
    static std::string SlotRel(int slot);

    // A character folder with the four files (and uo.cfg when asked), each
    // holding its own name and tag, so copies can be told apart.
    void AddCharacter(const std::string& account, const std::string& shard, const std::string& name,
                      bool withUoCfg = false, const std::string& tag = "client");
    // The four files (and uo.cfg) in a slot, as a back-up leaves them.
    void FillSlot(int slot, const std::string& tag, bool withUoCfg = false);
    // A text file's bytes as the program writes them (DATA.INI, telk.ini).
    std::string DataIni(const std::vector<std::string>& values) const;

    // What FormUoSel does: wait window, then main window.
    ui::FormMain& OpenMain();
    ui::FormMain& Main() const;
    ui::FormRunUO* Prompt() const;
    // Opens the main window on account A, shard S, character C (made here
    // with uo.cfg), confirms it, and restores slot 0 into it (filled here):
    // the way to the launch prompt.
    ui::FormRunUO& RestoreToPrompt();

    // A file's bytes, its name matched without regard to case as the
    // program's own reads match it.
    std::string ReadNoCase(const std::string& rel) const;
    // What FolderSnapshot gives for dir's rel.
    std::map<std::string, std::string> Snapshot(const std::string& rel) const;

private:
    TempDir drives_; // c, d: the drives C: and D:

public:
    TempDir lockDir; // outside the working folder, which must stay as the start leaves it
    TempDir dir;
    ScopedCurrentFolder cwd; // telk.ini is written to the current folder
    std::unique_ptr<FileSystem> realFs;
    FaultyFileSystem fs;
    std::unique_ptr<TextCodec> codec;
    FixedClock clock;
    FakeLauncher launcher;

private:
    // A run holds its own lock, as each start of the program does.
    struct Run {
        Run(FileSystem& fs, TextCodec& codec, Clock& clock, Launcher& launcher, std::unique_ptr<InstanceLock> own)
            : lock(std::move(own)), platform{fs, codec, clock, launcher, *lock}, windows(state, platform, ui) {}
        std::unique_ptr<InstanceLock> lock;
        Platform platform;
        ProgramState state;
        HeadlessUi ui;
        ui::Windows windows;
    };
    // "D:\Games" -> "d\Games", below drives_.
    static std::string DriveRel(const std::string& windowsPath);
    void NewRun();

    std::unique_ptr<Run> run_;
};

inline ProgramState& RunFixture::State() { return run_->state; }
inline const ProgramState& RunFixture::State() const { return run_->state; }
inline HeadlessUi& RunFixture::Ui() { return run_->ui; }
inline const HeadlessUi& RunFixture::Ui() const { return run_->ui; }
inline ui::Windows& RunFixture::Windows() { return run_->windows; }
inline InstanceLock& RunFixture::Lock() { return *run_->lock; }
template <class F> F* RunFixture::Get() const { return run_->windows.template Get<F>(); }

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

} // namespace telk::test
