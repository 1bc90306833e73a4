// A run of the program from the start routine's store set-up to the main
// window, on a temporary folder that is the working folder (telk.ini, the
// slot store "Settings") and holds the client's install folder "UO". The
// windows see the real file system through the fault injector, which
// fails nothing until told to.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/InstanceLock.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "store/ProgramState.h"
#include "support/FaultyFileSystem.h"
#include "support/HeadlessUi.h"
#include "support/TempDir.h"
#include "ui/Windows.h"

namespace telk::ui {
class FormMain;
class FormRunUO;
} // namespace telk::ui

namespace telk::test {

// The launch boundary: records the starts, refuses them when told, and
// says which client programs run.
class FakeLauncher : public Launcher {
public:
    void Start(const std::string& path) override;
    bool IsRunning(const std::string& path) override;

    std::vector<std::string> started;
    std::set<std::string> running;
    std::optional<std::string> refusal; // system message of a refused start
};

class FixedClock : public Clock {
public:
    std::string Today() override { return today; }
    std::string today = "12-07-2026";
};

class FreeLock : public InstanceLock {
public:
    bool Acquire() override { return true; }
};

class MainWindowFixture {
public:
    MainWindowFixture();
    ~MainWindowFixture();

    // "UO\DESKTOP\account\shard\name" below the temporary folder.
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
    // Every file and folder below rel with the bytes of each file.
    std::map<std::string, std::string> Snapshot(const std::string& rel) const;

    TempDir dir;
    ScopedCurrentFolder cwd; // telk.ini is written to the current folder
    std::unique_ptr<FileSystem> realFs;
    FaultyFileSystem fs;
    std::unique_ptr<TextCodec> codec;
    FixedClock clock;
    FakeLauncher launcher;
    FreeLock lock;
    Platform platform;
    ProgramState state;
    HeadlessUi ui;
    ui::Windows windows;
};

} // namespace telk::test
