// Runs of the program on the host: temporary drives, the fake launcher,
// and a start through the real start routine.
#include "support/RunFixture.h"

#include <cctype>
#include <stdexcept>

#include "app/Main.h"
#include "platform/PathText.h"
#include "platform/posix/FileSystem_posix.h"
#include "store/StoreNames.h"
#include "store/TextValues.h"
#include "support/FolderSnapshot.h"
#include "ui/launch/FormRunUO.h"
#include "ui/launch/FormWait.h"
#include "ui/main/FormMain.h"

namespace telk::test {

void FakeLauncher::Start(const std::string& path) {
    if (refusal) throw LaunchError(path, *refusal);
    started.push_back(path);
}

bool FakeLauncher::AnyRunning(const std::vector<std::string>& files, const std::string& folder) {
    for (const std::string& program : running)
        if (Holds(files, program) || (!folder.empty() && SameNameNoCase(program.substr(0, folder.size()), folder))) return true;
    return false;
}

RunFixture::RunFixture(Begin begin)
    : cwd(dir.Native()),
      realFs(std::make_unique<PosixFileSystem>(std::map<char, std::string>{
          {'C', drives_.Native("c")}, {'D', drives_.Native("d")}, {'Q', drives_.Native("missing")}, {'Z', "/"}})),
      fs(*realFs),
      codec(MakeJapaneseTextCodec()) {
    drives_.MakeFolder("c");
    drives_.MakeFolder("d");
    NewRun();
    if (begin == Begin::EmptyFolder) return;
    // What a start does before the first window: telk.ini with the two
    // default paths, the slot store with five fresh slots.
    PrepareStore(State(), run_->platform);
    dir.MakeFolder("UO\\DESKTOP");
    // As the client folder window leaves it once the user accepted it.
    State().UoFolder = dir.Win("UO") + "\\";
}

RunFixture::~RunFixture() = default;

void RunFixture::NewRun() {
    run_.reset();
    run_ = std::make_unique<Run>(fs, *codec, clock, launcher, MakeInstanceLock(lockDir, "telk"));
}

void RunFixture::Start() {
    NewRun();
    telk::Main(run_->windows);
}

std::string RunFixture::DriveRel(const std::string& windowsPath) {
    std::string rest = windowsPath.substr(3);
    while (!rest.empty() && rest.front() == '\\') rest.erase(0, 1);
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath.at(0))));
    return rest.empty() ? std::string(1, drive) : std::string(1, drive) + "\\" + rest;
}

std::string RunFixture::CharRel(const std::string& account, const std::string& shard, const std::string& name) {
    return "UO\\DESKTOP\\" + account + "\\" + shard + "\\" + name;
}

std::string RunFixture::SlotRel(int slot) {
    return "Settings\\" + std::to_string(slot);
}

void RunFixture::AddCharacter(const std::string& account, const std::string& shard, const std::string& name,
                              bool withUoCfg, const std::string& tag) {
    const std::string rel = CharRel(account, shard, name);
    dir.MakeFolder(rel);
    for (const char* file : kCharFiles) dir.WriteBytes(rel + "\\" + file, std::string(file) + " of " + tag);
    if (withUoCfg) dir.WriteBytes(rel + "\\" + kOptionalCharFile, std::string(kOptionalCharFile) + " of " + tag);
}

void RunFixture::FillSlot(int slot, const std::string& tag, bool withUoCfg) {
    const std::string rel = SlotRel(slot);
    for (const char* file : kCharFiles) dir.WriteBytes(rel + "\\" + file, std::string(file) + " of " + tag);
    if (withUoCfg) dir.WriteBytes(rel + "\\" + kOptionalCharFile, std::string(kOptionalCharFile) + " of " + tag);
}

std::string RunFixture::DataIni(const std::vector<std::string>& values) const {
    return EncodeValues(*codec, values);
}

ui::FormMain& RunFixture::OpenMain() {
    Windows().Load<ui::FormWait>();
    return Windows().Load<ui::FormMain>();
}

ui::FormMain& RunFixture::Main() const {
    return *Get<ui::FormMain>();
}

ui::FormRunUO* RunFixture::Prompt() const {
    return Get<ui::FormRunUO>();
}

ui::FormRunUO& RunFixture::RestoreToPrompt() {
    AddCharacter("A", "S", "C", true);
    FillSlot(0, "slot0", true);
    ui::FormMain& main = OpenMain();
    main.Command1.UserClick();
    Ui().Answer(ui::Answer::Ok);
    main.Command5.UserClick();
    if (Prompt() == nullptr) throw std::runtime_error("the restore did not open the launch prompt");
    return *Prompt();
}

std::string RunFixture::ReadNoCase(const std::string& rel) const {
    return realFs->ReadFile(dir.Win(rel));
}

std::map<std::string, std::string> RunFixture::Snapshot(const std::string& rel) const {
    return FolderSnapshot(dir.Native(rel));
}

} // namespace telk::test
