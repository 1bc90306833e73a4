// The folder picker's layout and handlers.
#include "ui/pickers/FormSelDir.h"

#include <string>

#include "platform/PathText.h"
#include "ui/client_folder/FormUoSel.h"
#include "ui/pickers/DriveChange.h"
#include "ui/Texts.h"

namespace telk::ui {

namespace {

const FormLayout kForm{kSelDirCaption, 5130, 4005};

} // namespace

FormSelDir::FormSelDir(Context& ctx)
    : Form(ctx.ui, kForm),
      Drive1(*this, {.name = "Drive1", .rect = {120, 3360, 3495, 300}, .tabIndex = 0}, ctx.platform.fs),
      Dir1(*this, {.name = "Dir1", .rect = {120, 120, 3495, 3030}, .tabIndex = 1}, ctx.platform.fs),
      Command1(*this, {.name = "Command1", .rect = {3840, 240, 1095, 735}, .tabIndex = 2, .text = kPickChoose}),
      Command2(*this, {.name = "Command2", .rect = {3840, 1080, 1095, 735}, .tabIndex = 3, .text = kSelDirCancel}),
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

void FormSelDir::Drive1_Change() {
    FollowDrive(ctx_, Drive1, Dir1);
}

// The opened folder, not a merely highlighted one: the path box gets it as
// the list gives it, UoFolder with its "\".
void FormSelDir::Command1_Click() {
    const std::string path = Dir1.Path();
    if (FormUoSel* owner = ctx_.windows.Get<FormUoSel>()) owner->Text1.SetText(path);
    ctx_.state.UoFolder = WithTrailingSeparator(path);
    ctx_.windows.Unload<FormSelDir>();
}

void FormSelDir::Command2_Click() {
    ctx_.windows.Unload<FormSelDir>();
}

} // namespace telk::ui
