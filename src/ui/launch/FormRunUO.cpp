// The launch prompt's layout and handlers, and the end of a run that keeps
// telk.ini.
#include "ui/launch/FormRunUO.h"

#include "platform/FileError.h"
#include "platform/Launcher.h"
#include "store/Settings.h"
#include "store/ShownPath.h"
#include "ui/Messages.h"
#include "ui/Texts.h"

namespace telk::ui {

namespace {

const FormLayout kForm{kRunUOCaption, 5625, 1755};

const Font kLabelFont{"ＭＳ Ｐゴシック", 14.25, true};

} // namespace

// The program ends whatever happens to the settings file; the user only
// learns that it, or a path in it, was not kept.
void SaveSettingsAndEnd(Context& ctx) {
    try {
        if (!SaveSettings(ctx.platform.fs, ctx.platform.codec, ctx.state))
            ctx.ui.MessageBox(kPathNotKeptText, Buttons::Ok, kProgramTitle);
    } catch (const FileError& e) {
        ctx.ui.MessageBox(FileFailureText(e, AsExplorerShows(ctx.platform.fs)), Buttons::Ok, kProgramTitle);
    }
    ctx.ui.EndProgram();
}

FormRunUO::FormRunUO(Context& ctx)
    : Form(ctx.ui, kForm),
      Label1(*this, {.name = "Label1", .rect = {240, 120, 5295, 375}, .tabIndex = 3,
                     .text = kRunUODone, .align = Align::Center, .font = kLabelFont}),
      Command1(*this, {.name = "Command1", .rect = {240, 720, 1455, 855}, .tabIndex = 0, .text = kRunUO2D}),
      Command2(*this, {.name = "Command2", .rect = {2040, 720, 1455, 855}, .tabIndex = 1, .text = kRunUO3D}),
      Command3(*this, {.name = "Command3", .rect = {3840, 720, 1455, 855}, .tabIndex = 2, .text = kRunUONothing}),
      ctx_(ctx) {
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
}

// Shown by Open, once it is known what was done.
void FormRunUO::Form_Load() {
    CenterOnScreen();
}

void FormRunUO::Open(Change change) {
    Label1.SetText(change == Change::Undo ? kRunUOUndone : kRunUODone);
    Show();
    Command1.SetFocus();
}

void FormRunUO::Command1_Click() {
    StartClient(ctx_.state.Client2DPath);
}

void FormRunUO::Command2_Click() {
    StartClient(ctx_.state.Client3DPath);
}

// A start that fails leaves the prompt open and the settings unwritten, so
// the user can try the other client or go back to the main window.
void FormRunUO::StartClient(const std::string& path) {
    try {
        ctx_.platform.launcher.Start(path);
    } catch (const LaunchError& e) {
        const std::string shown = path.empty() ? std::string(kNoProgramPath) : PathAsShown(ctx_.platform.fs, path);
        std::string text = kStartFailedText + ("\r\n" + shown);
        if (!e.SystemMessage().empty()) text += "\r\n" + e.SystemMessage();
        ctx_.ui.MessageBox(text, Buttons::Ok, kProgramTitle);
        return;
    }
    // The client is running already.
    SaveSettingsAndEnd(ctx_);
}

void FormRunUO::Command3_Click() {
    ctx_.windows.Unload<FormRunUO>();
}

} // namespace telk::ui
