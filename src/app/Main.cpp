// The start routine. The program starts here, not from a window, and lives
// in the windows' event handlers once it returns.

#include "app/Main.h"

#include "platform/FileError.h"
#include "platform/PathText.h"
#include "store/Exists.h"
#include "store/Settings.h"
#include "store/SlotStore.h"
#include "store/restore/Restore.h"
#include "store/Transfer.h"
#include "ui/Messages.h"
#include "ui/Windows.h"
#include "ui/client_folder/FormUoSel.h"

namespace telk {

namespace {

// Inside one of the system's temporary folders: where Windows runs a
// program started from inside its zip, and what clean-up empties.
bool InTemporaryFolder(FileSystem& fs, const std::string& folder) {
    for (const std::string& temporary : fs.TemporaryFolders()) {
        const std::string prefix = WithTrailingSeparator(temporary);
        if (folder.size() >= prefix.size() && SameNameNoCase(folder.substr(0, prefix.size()), prefix)) return true;
    }
    return false;
}

} // namespace

bool PrepareStore(ProgramState& state, Platform& platform, RepairReport* repair) {
    FileSystem& fs = platform.fs;
    TextCodec& codec = platform.codec;

    // The start shows no message: a step that fails is skipped.
    state.UoFolder = kDefaultUoFolder;
    FailureOf([&] {
        // A root comes with its "\" already.
        state.AppFolder = WithTrailingSeparator(fs.CurrentFolder());
    });
    const std::string& app = state.AppFolder;

    FailureOf([&] {
        if (!FileExists(fs, kSettingsFile)) WriteDefaultSettings(fs, codec);
    });
    FailureOf([&] { ApplySettings(ReadSettings(fs, codec), state); });
    // Written with its "\" when the user accepted it; one comes off.
    if (!state.UoFolder.empty() && state.UoFolder.back() == '\\') state.UoFolder.pop_back();

    // A swap or a restore that a crash cut off must be settled before a
    // missing slot folder is taken for one to make anew.
    RepairReport repaired = RepairSlotStore(fs, app);
    if (repair) *repair = std::move(repaired);

    const std::string store = app + kStoreFolderName;
    FailureOf([&] {
        if (!fs.CanEnterFolder(store)) fs.CreateFolder(store);
    });
    for (int slot = 0; slot < kSlotCount; ++slot) {
        FailureOf([&] {
            const std::string folder = store + "\\" + std::to_string(slot);
            // Not while the slot's previous contents wait to be put back.
            if (!fs.CanEnterFolder(folder) && !SlotAwaitsRepair(fs, folder)) fs.CreateFolder(folder);
        });
        FailureOf([&] {
            if (!FileExists(fs, SlotDataPath(app, slot)))
                WriteSlotData(fs, codec, SlotFolderPath(app, slot), kUnusedLabel, DefaultSlotName(slot));
        });
    }
    return FileExists(fs, kSettingsFile) && fs.CanEnterFolder(store);
}

void Main(ui::Windows& windows) {
    ui::Context& ctx = windows.Ctx();
    if (!ctx.platform.lock.Acquire()) ctx.ui.EndProgram();

    // Where clean-up will empty the slots, or nothing can be written, every
    // back-up is lost or fails later for a reason the player cannot see: say
    // so now, once, and go on. So with what the repair could not settle.
    RepairReport repair;
    const bool writable = PrepareStore(ctx.state, ctx.platform, &repair);
    if (InTemporaryFolder(ctx.platform.fs, ctx.state.AppFolder))
        ctx.ui.MessageBox(ui::kTemporaryFolderText, ui::Buttons::Ok, ui::kProgramTitle);
    if (!writable)
        ctx.ui.MessageBox(ui::kUnwritableFolderText, ui::Buttons::Ok, ui::kProgramTitle);
    const std::string repairText = ui::RepairReportText(repair, ui::AsExplorerShows(ctx.platform.fs));
    if (!repairText.empty()) ctx.ui.MessageBox(repairText, ui::Buttons::Ok, ui::kProgramTitle);
    ForgetUntold(ctx.platform.fs, repair);

    windows.Load<ui::FormUoSel>();
}

} // namespace telk
