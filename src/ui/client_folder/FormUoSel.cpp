#include "ui/client_folder/FormUoSel.h"

#include "platform/PathText.h"
#include "store/ClientView.h"
#include "store/Exists.h"
#include "store/StoreNames.h"
#include "ui/launch/FormWait.h"
#include "ui/main/FormMain.h"
#include "ui/pickers/FormSelDir.h"
#include "ui/settings/FormSetup.h"
#include "Version.h"

namespace telk::ui {

namespace {

const FormLayout kForm{"ＵＯフォルダこれでいいかな？", 5760, 2295};

const char* const kNoFolder = "そのフォルダ無いみたいです\r\n確認してくださいね";
const char* const kNeverLoggedIn = "一回もログインしていないみたいです\r\nキャラを作ってからやってね";

} // namespace

FormUoSel::FormUoSel(Context& ctx)
    : Form(ctx.ui, kForm),
      Label1(*this, {"Label1", -1, {120, 120, 2175, 255}, 0, "インストールフォルダ", Align::Left, Font{}}),
      Text1(*this, {"Text1", -1, {120, 360, 5415, 270}, 1, "", Align::Left, Font{}}),
      Command1(*this, {"Command1", -1, {120, 840, 1575, 495}, 2, "これじゃない", Align::Left, Font{}}),
      Command2(*this, {"Command2", -1, {2040, 840, 1575, 495}, 3, "いいよん", Align::Left, Font{}}),
      Command3(*this, {"Command3", -1, {3960, 840, 1575, 495}, 4, "や～めた", Align::Left, Font{}}),
      Command4(*this, {"Command4", -1, {4680, 1560, 855, 615}, 8, "設定", Align::Left, Font{}}),
      Label2(*this, {"Label2", -1, {0, 1440, 4455, 255}, 5, "TELK　Ｖｅｒ" TELK_VERSION_FULLWIDTH, Align::Center, Font{}}),
      Label3(*this, {"Label3", -1, {0, 1680, 4455, 255}, 6, "製作：ＴＥＬＫ開発チーム", Align::Center, Font{}}),
      Label4(*this, {"Label4", -1, {0, 1920, 4455, 255}, 7, "いつも使ってくれてありがとね", Align::Center, Font{}}),
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
    if (!FolderExists(fs, typed)) return EndWith(kNoFolder);

    SetEnabled(false);
    ctx_.windows.Load<FormWait>();
    ctx_.ui.DoEvents();

    if (!ClientFolderExists(fs, state.UoFolder + kDesktopFolderName)) return EndWith(kNeverLoggedIn);

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
