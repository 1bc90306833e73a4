#include "ui/pickers/FormSelDir.h"

#include <string>

#include "platform/PathText.h"
#include "ui/client_folder/FormUoSel.h"
#include "ui/pickers/DriveChange.h"

namespace telk::ui {

namespace {

const FormLayout kForm{"フォルダ選択", 5130, 4005};

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
