// The main window's layout and handlers: the three lists and the list
// rule, the slot rows, and back-up and restore with their questions and
// what the player is told afterwards.
#include "ui/main/FormMain.h"

#include <functional>
#include <optional>

#include "platform/FileError.h"
#include "store/ClientView.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/Listing.h"
#include "store/Settings.h"
#include "store/SlotStore.h"
#include "store/restore/Restore.h"
#include "store/ShownPath.h"
#include "store/Transfer.h"
#include "ui/Messages.h"
#include "ui/Texts.h"
#include "ui/launch/FormRunUO.h"
#include "ui/launch/FormWait.h"
#include "ui/undo/FormUndo.h"

namespace telk::ui {

namespace {

const FormLayout kForm{kMainCaption, 6180, 4980, /*titleBar=*/true, /*appIcon=*/true};

ControlLayout Row(const char* name, int slot, int left, int width, int tabIndex) {
    return {.name = name, .index = slot, .rect = {left, 1560 + 480 * slot, width, 375}, .tabIndex = tabIndex};
}

} // namespace

FormMain::FormMain(Context& ctx)
    : Form(ctx.ui, kForm),
      Label3(*this, {.name = "Label3", .rect = {120, 120, 1215, 255}, .tabIndex = 4, .text = kMainAccountLabel}),
      Combo1(*this, {.name = "Combo1", .rect = {1560, 120, 2655, 300}, .tabIndex = 1}),
      Label1(*this, {.name = "Label1", .rect = {120, 480, 1095, 255}, .tabIndex = 0, .text = kMainShardLabel}),
      Combo2(*this, {.name = "Combo2", .rect = {1560, 480, 2655, 300}, .tabIndex = 3}),
      Label2(*this, {.name = "Label2", .rect = {120, 840, 1095, 255}, .tabIndex = 2, .text = kMainCharacterLabel}),
      Combo3(*this, {.name = "Combo3", .rect = {1560, 840, 2655, 300}, .tabIndex = 5}),
      Command1(*this, {.name = "Command1", .rect = {4680, 120, 1335, 975}, .tabIndex = 6}),
      Line1(*this, {.name = "Line1", .rect = {0, 1200, 6120, 0}}),
      Option1([this](int i) { return std::make_unique<OptionButton>(*this, Row("Option1", i, 120, 255, 8 + 2 * i)); }),
      Label4([this](int i) { return std::make_unique<Label>(*this, Row("Label4", i, 480, 1455, 20 + i)); }),
      Text1([this](int i) { return std::make_unique<TextBox>(*this, Row("Text1", i, 2040, 2295, 9 + 2 * i)); }),
      Command4(*this, {.name = "Command4", .rect = {4680, 1680, 1335, 855}, .tabIndex = 18, .text = kMainBackUp}),
      Command5(*this, {.name = "Command5", .rect = {4680, 2880, 1335, 855}, .tabIndex = 19, .text = kMainRestore}),
      Command3(*this, {.name = "Command3", .rect = {240, 4080, 5775, 735}, .tabIndex = 7, .text = kMainQuit}),
      ctx_(ctx) {
    Combo1.Click = [this] { Combo1_Click(); };
    Combo2.Click = [this] { Combo2_Click(); };
    for (int i = 0; i < Option1.Count(); ++i) Option1(i).Click = [this, i] { Option1_Click(i); };
    Command1.Click = [this] { Command1_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    Command5.Click = [this] { Command5_Click(); };
}

void FormMain::Form_Load() {
    for (int i = 0; i < Text1.Count(); ++i) {
        Text1(i).SetText("");
        Label4(i).SetText("");
        Text1(i).SetEnabled(false);
        Option1(i).SetEnabled(false);
    }
    LoadDesktopLists();
    Command1.SetText(kMainConfirm);
    // Nothing to back up or restore until a character is confirmed.
    Command4.SetEnabled(false);
    Command5.SetEnabled(false);
    CenterOnScreen();
    ctx_.windows.Unload<FormWait>();
    Show();
}

// The account list's click refills the shards, whose click refills the
// characters: filling the first list is enough, and listing the lower
// levels again would only repeat the same names (and any failure message).
void FormMain::LoadDesktopLists() {
    if (!FillList(Combo1, ctx_.state.UoFolder + "\\" + kDesktopFolder)) {
        Combo2.Clear();
        Combo3.Clear();
    }
}

void FormMain::Combo1_Click() {
    if (!FillList(Combo2, DesktopFolder() + Combo1.Text())) Combo3.Clear();
}

void FormMain::Combo2_Click() {
    FillList(Combo3, DesktopFolder() + Combo1.Text() + "\\" + Combo2.Text());
}

// The list rule: the listing's entries 3 to 12 (past "." and ".."), then
// the first entry chosen, which raises the list's click. An empty list
// has nothing to choose; its caller clears the lists below it. Answers
// whether the list got any entry.
bool FormMain::FillList(ComboBox& list, const std::string& folder) {
    std::optional<FileError> failure;
    const Listing listing = ListClientFolder(ctx_.platform.fs, folder, &failure);
    list.Clear();
    // The client keeps plain files beside its account and shard folders;
    // below one of them there is simply nothing to list.
    if (failure && !FileExists(ctx_.platform.fs, folder)) {
        std::string text = kFolderUnlistedText + ("\r\n" + PathAsShown(ctx_.platform.fs, folder));
        if (!failure->SystemMessage().empty()) text += "\r\n" + failure->SystemMessage();
        Tell(text);
    }
    for (const std::string& name : ListRuleEntries(listing)) list.AddItem(name);
    if (list.ListCount() == 0) return false;
    list.SetListIndex(0);
    return true;
}

std::string FormMain::DesktopFolder() const {
    return ctx_.state.UoFolder + "\\" + kDesktopFolder + "\\";
}

void FormMain::Option1_Click(int Index) {
    for (int i = 0; i < Text1.Count(); ++i) Text1(i).SetEnabled(false);
    Option1(Index).SetValue(true);
    Text1(Index).SetEnabled(true);
}

void FormMain::Command3_Click() {
    if (!Ask(kQuitQuestion, kConfirmTitle)) return;
    SaveSettingsAndEnd(ctx_);
}

void FormMain::Command1_Click() {
    // Back-up is enabled exactly when a character was confirmed before; a
    // new confirmation re-reads the rows and drops names typed since.
    if (Command4.Enabled()) {
        if (!Ask(kReconfirmQuestion, kConfirmTitle)) return;
    } else {
        Command4.SetEnabled(true);
        Command5.SetEnabled(true);
    }
    ctx_.state.CharFolder =
        LiveCharFolder(ctx_.platform.fs, CharFolderPath(ctx_.state.UoFolder, Combo1.Text(), Combo2.Text(), Combo3.Text()));
    // Typed or empty texts may name the shard's folder, or one above the
    // install: a back-up only reads there, a restore must not write there.
    charNamed_ = IsPlainName(Combo1.Text()) && IsPlainName(Combo2.Text()) && IsPlainName(Combo3.Text());
    LoadSlotRows();
    Option1(0).SetValue(true);
    Text1(0).SetEnabled(true);
}

// A missing or short DATA.INI shows what it still gives; the row stays usable.
void FormMain::LoadSlotRows() {
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotData data = ReadSlotData(ctx_.platform.fs, ctx_.platform.codec, SlotFolderPath(ctx_.state.AppFolder, i));
        Label4(i).SetText(data.label);
        Text1(i).SetText(data.name);
        Option1(i).SetEnabled(true);
    }
}

int FormMain::ChosenSlot() const {
    for (int i = 0; i < Option1.Count(); ++i)
        if (Option1(i).Value()) return i;
    return -1;
}

// The chosen slot becomes SlotFolder; then the question, then the test
// that the source holds the files. Answers the slot, or -1 to stop.
int FormMain::ConfirmTransfer(const std::string& question, bool fromSlot, const std::string& missingHint) {
    const int slot = ChosenSlot();
    if (slot < 0) return -1;
    ctx_.state.SlotFolder = SlotFolderPath(ctx_.state.AppFolder, slot);
    if (!Ask(question, kProgramTitle)) return -1;
    // A back-up reads the character: half a restore must not look like
    // missing files. A restore tests the slot and settles inside itself.
    if (!fromSlot) {
        const bool settled = Transfer(
            [&] { SettlePendingRestore(ctx_.platform.fs, ctx_.state.AppFolder, ctx_.state.CharFolder); },
            /*previousMayWait=*/true);
        TellLeftAsSaved();
        if (!settled) return -1;
    }
    std::optional<FileError> unlisted;
    if (!CharFilesExist(ctx_.platform.fs, fromSlot ? ctx_.state.SlotFolder : ctx_.state.CharFolder, &unlisted)) {
        if (unlisted) {
            Tell(FileFailureText(*unlisted, Shows()));
            return -1;
        }
        Tell(kFilesMissingText + ("\r\n" + missingHint));
        return -1;
    }
    return slot;
}

// All or nothing: a failure leaves the slot and the character folder as
// they were, or says where what could not be put back waits; the window
// stays usable either way. A restore that put every file in but could not
// keep all the previous ones in the safety copy is told as such; an
// earlier one's stops nothing but a restore (previousMayWait: it is told
// and the transfer goes on).
// Files that settling a restore left as the client saved them are told
// after the transfer's own word, whatever it was. change: whose words.
bool FormMain::Transfer(const std::function<void()>& transfer, bool previousMayWait, Change change) {
    try {
        transfer();
        return true;
    } catch (const LinkedSlot& e) {
        Tell(LinkedSlotText(e, Shows()));
    } catch (const UndoPointGone& e) {
        Tell(UndoPointGoneText(e, Shows()));
    } catch (const PreviousFilesWait& e) {
        Tell(PreviousFilesWaitText(e, !previousMayWait, change, Shows()));
        return previousMayWait;
    } catch (const RollbackFailed& e) {
        Tell(RollbackFailureText(e, Shows()));
    } catch (const FileError& e) {
        Tell(FileFailureText(e, Shows()));
    }
    return false;
}

void FormMain::Command4_Click() {
    const int slot = ConfirmTransfer(kBackUpQuestion, false, kBackUpMissingHint);
    if (slot < 0) return;
    // The client writes these files when the character logs out.
    if (ClientRunning() &&
        ctx_.ui.MessageBox(kBackUpWhileRunningQuestion, Buttons::OkCancelDefaultCancel, kProgramTitle) != Answer::Ok)
        return;
    const ProgramState& s = ctx_.state;
    const std::string name = Text1(slot).Text();
    // A failed back-up keeps what the user typed in the rows.
    const bool done = Transfer([&] {
        BackUpToSlot(ctx_.platform.fs, ctx_.platform.codec, s.AppFolder, s.CharFolder, s.SlotFolder,
                     ctx_.platform.clock.Today(), name);
    });
    if (done) {
        LoadSlotRows();
        Tell(kBackUpDoneText);
        if (!SurvivesCodePage(ctx_.platform.codec, name)) Tell(kNameNotKeptText);
    }
    TellLeftAsSaved();
}

void FormMain::Command5_Click() {
    const int slot = ConfirmTransfer(kRestoreQuestion, true, kRestoreMissingHint);
    if (slot < 0) return;
    const ProgramState& s = ctx_.state;
    // The slot's name as its row shows it, for the undo window's row.
    const std::string slotName = Text1(slot).Text();
    const bool done = IntoCharacter(Change::Restore, [&] {
        RestoreFromSlot(ctx_.platform.fs, s.AppFolder, s.SlotFolder, s.CharFolder, ctx_.platform.clock.Now(),
                        NoteWording(kSafetyNoteLines, kSafetyNoteLinesBefore), slotName);
    });
    if (done) ctx_.windows.LoadOwned<FormRunUO>(*this).Open(Change::Restore);
}

// What a restore and an undo do once the first question is answered: the
// character named, the running client asked about, then the change, each
// in its own words. Answers whether it was made.
bool FormMain::IntoCharacter(Change change, const std::function<void()>& apply) {
    if (!charNamed_) {
        Tell(kNoCharacterText);
        return false;
    }
    // A running client writes its own files back when it logs out, which
    // would quietly undo the change.
    const char* question = change == Change::Undo ? kUndoWhileRunningQuestion : kRestoreWhileRunningQuestion;
    if (ClientRunning() && ctx_.ui.MessageBox(question, Buttons::OkCancelDefaultCancel, kProgramTitle) != Answer::Ok)
        return false;
    const bool done = Transfer(apply, false, change);
    TellLeftAsSaved(change);
    return done;
}

void FormMain::Form_ContextMenu(std::vector<MenuItem>& items) {
    const bool undoable = Command5.Enabled() && HasUndoPoints(ctx_.platform.fs, ctx_.state.AppFolder, ctx_.state.CharFolder);
    items.push_back({kMainUndoMenu, undoable});
}

// A waiting restore is settled before anything is listed; what that cannot
// do is told in the undo's words, and no window opens.
void FormMain::Form_MenuClick(int /*Index*/) {
    std::vector<UndoPoint> points;
    const bool listed = Transfer(
        [&] { points = ListUndoPoints(ctx_.platform.fs, ctx_.state.AppFolder, ctx_.state.CharFolder); }, false,
        Change::Undo);
    TellLeftAsSaved(Change::Undo);
    if (!listed) return;
    if (points.empty()) {
        Tell(kNoUndoPointsText);
        return;
    }
    ctx_.windows.LoadOwned<FormUndo>(*this).Open(std::move(points), [this](const UndoPoint& point) { UndoTo(point); });
}

// The restore's questions in the restore's order, the first naming the
// confirmed character and the row; then the restore's end in the undo's
// words: the launch prompt, or the failure told and the window left usable.
void FormMain::UndoTo(const UndoPoint& point) {
    const ProgramState& s = ctx_.state;
    if (!Ask(FormUndo::Question(s.CharFolder, point), kProgramTitle)) return;
    std::vector<std::string> stayed;
    const bool done = IntoCharacter(Change::Undo, [&] {
        stayed = UndoRestore(ctx_.platform.fs, s.AppFolder, s.CharFolder, point, ctx_.platform.clock.Now(),
                             NoteWording(kSafetyNoteLines, kSafetyNoteLinesBefore));
    });
    if (!done) return;
    if (!stayed.empty()) {
        std::string text = kUndoStayedText;
        for (const std::string& file : stayed) text += "\r\n" + file;
        Tell(text);
    }
    ctx_.windows.LoadOwned<FormRunUO>(*this).Open(Change::Undo);
}

// Kept in the store until told, so that a failure or a crash after the
// settling cannot keep it from the player.
void FormMain::TellLeftAsSaved(Change change) {
    FileSystem& fs = ctx_.platform.fs;
    const std::string text = LeftAsSavedText(UntoldKept(fs, ctx_.state.AppFolder, ctx_.state.CharFolder), change, Shows());
    if (text.empty()) return;
    Tell(text);
    ForgetUntold(fs, ctx_.state.AppFolder, ctx_.state.CharFolder);
}

// Today's client starts through a launcher that starts another program of
// the install and ends: any program of the install counts.
bool FormMain::ClientRunning() {
    const ProgramState& s = ctx_.state;
    return ctx_.platform.launcher.AnyRunning({s.Client2DPath, s.Client3DPath}, s.UoFolder);
}

ShowPath FormMain::Shows() {
    return AsExplorerShows(ctx_.platform.fs);
}

bool FormMain::Ask(const std::string& text, const std::string& title) {
    return ctx_.ui.MessageBox(text, Buttons::OkCancel, title) == Answer::Ok;
}

void FormMain::Tell(const std::string& text) {
    ctx_.ui.MessageBox(text, Buttons::Ok, kProgramTitle);
}

} // namespace telk::ui
