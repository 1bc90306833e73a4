// The client program picker's layout and handlers.
#include "ui/pickers/FormSelFile.h"

#include <string>

#include "platform/PathText.h"
#include "ui/pickers/DriveChange.h"
#include "ui/settings/FormSetup.h"
#include "ui/Texts.h"

namespace telk::ui {

namespace {

const FormLayout kForm{kSelFileCaption, 6180, 3660};

} // namespace

FormSelFile::FormSelFile(Context& ctx)
    : Form(ctx.ui, kForm),
      Drive1(*this, {.name = "Drive1", .rect = {120, 3240, 2295, 300}, .tabIndex = 0}, ctx.platform.fs),
      Dir1(*this, {.name = "Dir1", .rect = {120, 120, 2295, 3030}, .tabIndex = 1}, ctx.platform.fs),
      File1(*this, {.name = "File1", .rect = {2520, 120, 2175, 3330}, .tabIndex = 2}, Dir1),
      Command1(*this, {.name = "Command1", .rect = {4920, 240, 1095, 735}, .tabIndex = 3, .text = kPickChoose}),
      Command2(*this, {.name = "Command2", .rect = {4920, 1080, 1095, 735}, .tabIndex = 4, .text = kSelFileCancel}),
      ctx_(ctx) {
    Drive1.Change = [this] { Drive1_Change(); };
    Dir1.Change = [this] { Dir1_Change(); };
    Dir1.OpenFailed = [this] { Dir1_OpenFailed(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
}

void FormSelFile::Form_Load() {
    CenterOnScreen();
    Show();
}

// The folder list's move reaches the file list through Dir1_Change.
void FormSelFile::Drive1_Change() {
    FollowDrive(ctx_, Drive1, Dir1);
}

// The file list shows what the folder list read of the opened folder, so
// the two never disagree.
void FormSelFile::Dir1_Change() {
    File1.Follow(Dir1);
}

// A folder that cannot be listed is told; both lists stay where they were.
void FormSelFile::Dir1_OpenFailed() {
    ctx_.ui.MessageBox(kFolderUnreadableText, Buttons::Ok, kProgramTitle);
}

void FormSelFile::Command1_Click() {
    ProgramState& state = ctx_.state;
    const std::string name = File1.FileName();
    if (name.empty()) {
        ctx_.ui.MessageBox(kNoFileText, Buttons::Ok, "");
        return;
    }
    const std::string path = WithTrailingSeparator(Dir1.Path()) + name;
    if (FormSetup* setup = ctx_.windows.Get<FormSetup>()) {
        TextBox& box = state.ProgramPickTarget == 1 ? setup->Text1 : setup->Text2;
        box.SetText(path);
    }
    ctx_.windows.Unload<FormSelFile>();
    state.ProgramPickTarget = 0;
}

void FormSelFile::Command2_Click() {
    ctx_.state.ProgramPickTarget = 0;
    ctx_.windows.Unload<FormSelFile>();
}

} // namespace telk::ui
