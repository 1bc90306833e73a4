// The client folder window's layout and handlers: the folder accepted,
// picked or refused, the settings window opened, or the run ended.
#include "ui/client_folder/FormUoSel.h"

#include "platform/PathText.h"
#include "store/ClientView.h"
#include "store/StoreNames.h"
#include "ui/launch/FormWait.h"
#include "ui/main/FormMain.h"
#include "ui/pickers/FormSelDir.h"
#include "ui/settings/FormSetup.h"
#include "ui/Texts.h"

namespace telk::ui {

namespace {

const FormLayout kForm{kUoSelCaption, 5760, 2295};

} // namespace

FormUoSel::FormUoSel(Context& ctx)
    : Form(ctx.ui, kForm),
      Label1(*this, {.name = "Label1", .rect = {120, 120, 2175, 255}, .tabIndex = 0, .text = kUoSelFolderLabel}),
      Text1(*this, {.name = "Text1", .rect = {120, 360, 5415, 270}, .tabIndex = 1}),
      Command1(*this, {.name = "Command1", .rect = {120, 840, 1575, 495}, .tabIndex = 2, .text = kUoSelOther}),
      Command2(*this, {.name = "Command2", .rect = {2040, 840, 1575, 495}, .tabIndex = 3, .text = kUoSelAccept}),
      Command3(*this, {.name = "Command3", .rect = {3960, 840, 1575, 495}, .tabIndex = 4, .text = kUoSelQuit}),
      Command4(*this, {.name = "Command4", .rect = {4680, 1560, 855, 615}, .tabIndex = 8, .text = kUoSelSettings}),
      Label2(*this, {.name = "Label2", .rect = {0, 1440, 4455, 255}, .tabIndex = 5,
                     .text = kUoSelVersion, .align = Align::Center}),
      Label3(*this, {.name = "Label3", .rect = {0, 1680, 4455, 255}, .tabIndex = 6,
                     .text = kUoSelMaker, .align = Align::Center}),
      Label4(*this, {.name = "Label4", .rect = {0, 1920, 4455, 255}, .tabIndex = 7,
                     .text = kUoSelThanks, .align = Align::Center}),
      ctx_(ctx) {
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command4.Click = [this] { Command4_Click(); };
}

void FormUoSel::Form_Load() {
    CenterOnScreen();
    Text1.SetText(ctx_.state.UoFolder);
    Show();
}

// The picker writes its answer into Text1 and UoFolder itself; this
// handler only waits for it to close.
void FormUoSel::Command1_Click() {
    ProgramState& state = ctx_.state;
    state.FolderPickDone = 0;
    ctx_.windows.RunPicker<FormSelDir>(*this, [&state] { return state.FolderPickDone == 0; });
}

// The existence test looks at the text as typed, the Desktop test at the
// folder with its "\"; either failure ends the run without saving.
void FormUoSel::Command2_Click() {
    ProgramState& state = ctx_.state;
    FileSystem& fs = ctx_.platform.fs;
    const std::string typed = Text1.Text();

    state.UoFolder = WithTrailingSeparator(typed);
    if (!fs.CanEnterFolder(typed)) return EndWith(kNoFolderText);

    SetEnabled(false);
    ctx_.windows.Load<FormWait>();
    ctx_.ui.DoEvents();

    if (!ClientFolderExists(fs, state.UoFolder + kDesktopFolderName)) return EndWith(kNeverLoggedInText);

    ctx_.windows.Load<FormMain>();
    ctx_.windows.Unload<FormUoSel>();
}

void FormUoSel::Command3_Click() {
    ctx_.ui.EndProgram();
}

// Not waited for: the settings window gives this one back when it closes.
void FormUoSel::Command4_Click() {
    ctx_.windows.LoadOwned<FormSetup>(*this);
}

// The run ends here: nothing is saved.
void FormUoSel::EndWith(const char* text) {
    ctx_.ui.MessageBox(text, Buttons::Ok, kProgramTitle);
    ctx_.ui.EndProgram();
}

} // namespace telk::ui
