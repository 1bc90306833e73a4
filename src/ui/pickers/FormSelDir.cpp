#include "ui/pickers/FormSelDir.h"

#include <string>

#include "platform/FileError.h"
#include "ui/client_folder/FormUoSel.h"

namespace telk::ui {

namespace {

const FormLayout kForm{"フォルダ選択", 5130, 4005};

const char* const kDriveUnreadable = "ドライブが読めないみたいです\r\n確認してくださいね";

std::string DriveOf(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) + "\\" : std::string();
}

} // namespace

FormSelDir::FormSelDir(Context& ctx)
    : Form(ctx.ui, kForm),
      Drive1(*this, {"Drive1", -1, {120, 3360, 3495, 300}, 0, "", Align::Left, Font{}}, ctx.platform.fs),
      Dir1(*this, {"Dir1", -1, {120, 120, 3495, 3030}, 1, "", Align::Left, Font{}}, ctx.platform.fs),
      Command1(*this, {"Command1", -1, {3840, 240, 1095, 735}, 2, "選択", Align::Left, Font{}}),
      Command2(*this, {"Command2", -1, {3840, 1080, 1095, 735}, 3, "中止", Align::Left, Font{}}),
      ctx_(ctx) {
    Drive1.Change = [this] { Drive1_Change(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
}

void FormSelDir::Form_Load() {
    CenterOnScreen();
    Show();
}

// Whichever button closed the picker, this ends the caller's wait.
void FormSelDir::Form_Unload() {
    ctx_.state.FolderPickDone = 1;
}

// A drive with no medium (or gone) is told, and the drive list steps back
// to the drive the folder list still shows.
void FormSelDir::Drive1_Change() {
    try {
        Dir1.SetPath(Drive1.Drive());
    } catch (const FileError&) {
        ctx_.ui.MessageBox(kDriveUnreadable, Buttons::Ok, kProgramTitle);
    }
    Drive1.ShowDrive(DriveOf(Dir1.Path()));
}

// The opened folder, not a merely highlighted one: the path box gets it as
// the list gives it, UoFolder with its "\".
void FormSelDir::Command1_Click() {
    const std::string path = Dir1.Path();
    if (FormUoSel* owner = ctx_.windows.Get<FormUoSel>()) owner->Text1.SetText(path);
    std::string& folder = ctx_.state.UoFolder;
    folder = path;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    ctx_.windows.Unload<FormSelDir>();
}

void FormSelDir::Command2_Click() {
    ctx_.windows.Unload<FormSelDir>();
}

} // namespace telk::ui
