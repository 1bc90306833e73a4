// The settings window's layout and handlers: pick, save, discard, close.
#include "ui/settings/FormSetup.h"

#include "platform/FileError.h"
#include "ui/Messages.h"
#include "ui/Texts.h"
#include "store/Settings.h"
#include "ui/pickers/FormSelFile.h"

namespace telk::ui {

namespace {

const FormLayout kForm{kSetupCaption, 6735, 2925};

} // namespace

FormSetup::FormSetup(Context& ctx)
    : Form(ctx.ui, kForm),
      Label1(*this, {.name = "Label1", .rect = {120, 120, 3735, 255}, .tabIndex = 0, .text = kSetup2DLabel}),
      Text1(*this, {.name = "Text1", .rect = {120, 480, 5535, 270}, .tabIndex = 2}),
      Command1(*this, {.name = "Command1", .rect = {5760, 240, 855, 615}, .tabIndex = 4, .text = kPickChoose}),
      Label2(*this, {.name = "Label2", .rect = {120, 1080, 3735, 255}, .tabIndex = 1, .text = kSetup3DLabel}),
      Text2(*this, {.name = "Text2", .rect = {120, 1440, 5535, 270}, .tabIndex = 3}),
      Command2(*this, {.name = "Command2", .rect = {5760, 1200, 855, 615}, .tabIndex = 5, .text = kPickChoose}),
      Command3(*this, {.name = "Command3", .rect = {120, 2160, 1215, 615}, .tabIndex = 6, .text = kSetupSave}),
      Command4(*this, {.name = "Command4", .rect = {3840, 2160, 1215, 615}, .tabIndex = 7, .text = kSetupDiscard}),
      Command5(*this, {.name = "Command5", .rect = {5400, 2160, 1215, 615}, .tabIndex = 8, .text = kSetupClose}),
      ctx_(ctx) {
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    Command5.Click = [this] { Command5_Click(); };
}

void FormSetup::Form_Load() {
    CenterOnScreen();
    Show();
    Text1.SetText(ctx_.state.Client2DPath);
    Text2.SetText(ctx_.state.Client3DPath);
}

void FormSetup::Command1_Click() {
    PickProgram(1);
}

void FormSetup::Command2_Click() {
    PickProgram(2);
}

// The picker fills the box for target itself and sets the target back to 0
// as it closes, which ends the wait.
void FormSetup::PickProgram(int target) {
    ProgramState& state = ctx_.state;
    state.ProgramPickTarget = target;
    ctx_.windows.RunPicker<FormSelFile>(*this, [&state] { return state.ProgramPickTarget != 0; });
}

// Saves the boxes with the current UoFolder, then takes all three back from
// the file, so the state holds what the reader makes of it. A write that
// fails is not followed by the read (that would bring back the old file);
// either failure leaves the state as it was.
void FormSetup::Command3_Click() {
    FileSystem& fs = ctx_.platform.fs;
    TextCodec& codec = ctx_.platform.codec;
    ProgramState& state = ctx_.state;
    SettingsValues values;
    bool whole = true;
    try {
        whole = WriteSettings(fs, codec, Text1.Text(), Text2.Text(), state.UoFolder);
        values = ReadSettings(fs, codec);
    } catch (const FileError& e) {
        Report(e);
        return;
    }
    ApplySettings(values, state);
    if (!whole) ctx_.ui.MessageBox(kPathNotKeptText, Buttons::Ok, kProgramTitle);
}

// UoFolder is not taken from the file. When the file cannot be read the
// state and the boxes stay as they are.
void FormSetup::Command4_Click() {
    ProgramState& state = ctx_.state;
    SettingsValues values;
    try {
        values = ReadSettings(ctx_.platform.fs, ctx_.platform.codec);
    } catch (const FileError& e) {
        Report(e);
        return;
    }
    values.uoFolder.reset();
    ApplySettings(values, state);
    Text1.SetText(state.Client2DPath);
    Text2.SetText(state.Client3DPath);
}

// Unsaved edits go without a question.
void FormSetup::Command5_Click() {
    ctx_.windows.Unload<FormSetup>();
}

void FormSetup::Report(const FileError& error) {
    ctx_.ui.MessageBox(FileFailureText(error, AsExplorerShows(ctx_.platform.fs)), Buttons::Ok, kProgramTitle);
}

} // namespace telk::ui
