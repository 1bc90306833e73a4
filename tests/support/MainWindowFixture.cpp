#include "support/MainWindowFixture.h"

#include <filesystem>
#include <stdexcept>

#include "app/Main.h"
#include "platform/Launcher.h"
#include "store/CharFiles.h"
#include "store/TextValues.h"
#include "ui/launch/FormRunUO.h"
#include "ui/launch/FormWait.h"
#include "ui/main/FormMain.h"

namespace telk::test {

void FakeLauncher::Start(const std::string& path) {
    if (refusal) throw LaunchError(path, *refusal);
    started.push_back(path);
}

bool FakeLauncher::IsRunning(const std::string& path) {
    return running.count(path) != 0;
}

MainWindowFixture::MainWindowFixture()
    : cwd(dir.Native()),
      realFs(MakePlatformFileSystem()),
      fs(*realFs),
      codec(MakeJapaneseTextCodec()),
      platform{fs, *codec, clock, launcher, lock},
      windows(state, platform, ui) {
    // What a start does before the first window: telk.ini with the two
    // default paths, the slot store with five fresh slots.
    PrepareStore(state, platform);
    dir.MakeFolder("UO\\DESKTOP");
    // As the client folder window leaves it once the user accepted it.
    state.UoFolder = dir.Win("UO") + "\\";
}

MainWindowFixture::~MainWindowFixture() = default;

std::string MainWindowFixture::CharRel(const std::string& account, const std::string& shard,
                                       const std::string& name) {
    return "UO\\DESKTOP\\" + account + "\\" + shard + "\\" + name;
}

std::string MainWindowFixture::SlotRel(int slot) {
    return "Settings\\" + std::to_string(slot);
}

void MainWindowFixture::AddCharacter(const std::string& account, const std::string& shard,
                                     const std::string& name, bool withUoCfg, const std::string& tag) {
    const std::string rel = CharRel(account, shard, name);
    dir.MakeFolder(rel);
    for (const char* file : kCharFiles) dir.WriteBytes(rel + "\\" + file, std::string(file) + " of " + tag);
    if (withUoCfg) dir.WriteBytes(rel + "\\" + kOptionalCharFile, std::string(kOptionalCharFile) + " of " + tag);
}

void MainWindowFixture::FillSlot(int slot, const std::string& tag, bool withUoCfg) {
    const std::string rel = SlotRel(slot);
    for (const char* file : kCharFiles) dir.WriteBytes(rel + "\\" + file, std::string(file) + " of " + tag);
    if (withUoCfg) dir.WriteBytes(rel + "\\" + kOptionalCharFile, std::string(kOptionalCharFile) + " of " + tag);
}

std::string MainWindowFixture::DataIni(const std::vector<std::string>& values) const {
    return EncodeValues(*codec, values);
}

ui::FormMain& MainWindowFixture::OpenMain() {
    windows.Load<ui::FormWait>();
    return windows.Load<ui::FormMain>();
}

ui::FormMain& MainWindowFixture::Main() const {
    return *windows.Get<ui::FormMain>();
}

ui::FormRunUO* MainWindowFixture::Prompt() const {
    return windows.Get<ui::FormRunUO>();
}

ui::FormRunUO& MainWindowFixture::RestoreToPrompt() {
    AddCharacter("A", "S", "C", true);
    FillSlot(0, "slot0", true);
    ui::FormMain& main = OpenMain();
    main.Command1.UserClick();
    ui.Answer(ui::Answer::Ok);
    main.Command5.UserClick();
    if (Prompt() == nullptr) throw std::runtime_error("the restore did not open the launch prompt");
    return *Prompt();
}

std::string MainWindowFixture::ReadNoCase(const std::string& rel) const {
    return realFs->ReadFile(dir.Win(rel));
}

std::map<std::string, std::string> MainWindowFixture::Snapshot(const std::string& rel) const {
    namespace stdfs = std::filesystem;
    std::map<std::string, std::string> entries;
    const stdfs::path root = dir.Native(rel);
    for (const auto& entry : stdfs::recursive_directory_iterator(root)) {
        const std::string name = stdfs::relative(entry.path(), root).string();
        if (entry.is_directory())
            entries[name + "/"] = "";
        else
            entries[name] = dir.ReadBytes(rel + "\\" + name);
    }
    return entries;
}

} // namespace telk::test
