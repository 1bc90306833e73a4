// The undo window's layout and handlers: whose rows, the rows, go back, close.
#include "ui/undo/FormUndo.h"

#include <string_view>
#include <utility>

#include "platform/PathText.h"
#include "ui/Texts.h"

namespace telk::ui {

namespace {

// The settings window's margins and buttons; wide enough for the longest
// usual row (the first generation's, its mark, a slot name of six
// characters, five files) to show whole, so the file to be taken away is
// seen without scrolling, and still within a 1280-pixel screen at 100 %
// and a 1920-pixel one at 150 % (a longer row scrolls sideways); tall
// enough for the ten last generations and the first.
const FormLayout kForm{kUndoCaption, 16800, 4485};

// A generation's name, "2026-12-09 19-45-41" with maybe " (2)" after it,
// as a clock shows the time: "2026-12-09 19:45:41". Any other name as it is.
std::string TimeAsRead(std::string name) {
    constexpr std::string_view kShape = "0000-00-00 00-00-00";
    if (name.size() < kShape.size()) return name;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (kShape[i] == '0' ? !digit : name[i] != kShape[i]) return name;
    }
    name[13] = name[16] = ':';
    return name;
}

std::string Joined(const std::vector<std::string>& files) {
    std::string text;
    for (std::size_t i = 0; i < files.size(); ++i) text += (i ? "、" : "") + files[i];
    return text;
}

// What was done then, as far as the record says.
// "スロット2「狩り用」": the slot a recorded restore came from.
std::string SlotNamed(const GenerationAction& action) {
    std::string text = kUndoRowSlot;
    if (action.slot >= 0) text += std::to_string(action.slot);
    return text + "「" + action.slotName + "」";
}

std::string Done(const UndoPoint& point) {
    if (!point.action) return kUndoRowRestore;
    if (point.action->kind == GenerationAction::Kind::Undo) return kUndoRowUndo;
    return SlotNamed(*point.action) + kUndoRowRestoreAfter;
}

// The time, what was done then, then what going back does to each file.
std::string RowText(const UndoPoint& point) {
    std::string text = FormUndo::PointName(point);
    if (!point.generation.empty()) text += "　" + Done(point);
    if (point.action && point.action->first) text += kUndoRowFirst;
    if (!point.files.empty()) text += "　" + std::string(kUndoRowPutBack) + Joined(point.files);
    if (!point.takenAway.empty()) text += "　" + std::string(kUndoRowTakeAway) + Joined(point.takenAway);
    return text;
}

} // namespace

FormUndo::FormUndo(Context& ctx)
    : Form(ctx.ui, kForm),
      Label1(*this, {.name = "Label1", .rect = {120, 120, 16560, 255}, .tabIndex = 0}),
      List1(*this, {.name = "List1", .rect = {120, 480, 16560, 2895}, .tabIndex = 1}),
      Command1(*this, {.name = "Command1", .rect = {13905, 3720, 1215, 615}, .tabIndex = 2, .text = kUndoGo}),
      Command2(*this, {.name = "Command2", .rect = {15465, 3720, 1215, 615}, .tabIndex = 3, .text = kUndoCancel}),
      ctx_(ctx) {
    List1.DblClick = [this] { List1_DblClick(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
}

std::string FormUndo::PointName(const UndoPoint& point) {
    return point.generation.empty() ? std::string(kUndoOlderCopy) : TimeAsRead(point.generation);
}

std::string FormUndo::Question(const std::string& charFolder, const UndoPoint& point) {
    std::string text = CharacterName(charFolder) + kUndoQuestionWhose + PointName(point);
    if (!point.action) return text + kUndoQuestionAfter;
    if (point.action->kind == GenerationAction::Kind::Undo) return text + kUndoQuestionUndoAfter;
    return text + " " + SlotNamed(*point.action) + kUndoQuestionSlotAfter;
}

// The folder's names as the lists showed them when it was confirmed.
std::string FormUndo::CharacterName(const std::string& charFolder) {
    std::string path = WithoutTrailingSeparators(charFolder);
    std::string text;
    for (int i = 0; i < 3; ++i) {
        const std::size_t cut = path.rfind('\\');
        const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
        text = i == 0 ? name : name + " / " + text;
        if (cut == std::string::npos) break;
        path.erase(cut);
    }
    return text;
}

// Shown by Open, once there is something to list.
void FormUndo::Form_Load() {
    CenterOnScreen();
}

void FormUndo::Open(std::vector<UndoPoint> points, Chosen chosen) {
    points_ = std::move(points);
    chosen_ = std::move(chosen);
    // The character the undo acts on, whatever the lists show by now.
    Label1.SetText(CharacterName(ctx_.state.CharFolder));
    List1.Clear();
    for (const UndoPoint& point : points_) List1.AddItem(RowText(point));
    if (List1.ListCount() > 0) List1.SetListIndex(0);
    Show();
    List1.SetFocus();
}

void FormUndo::List1_DblClick() {
    Command1_Click();
}

// The window goes first, so the main window's questions stand alone; the
// handler's copies outlive the unload.
void FormUndo::Command1_Click() {
    const int row = List1.ListIndex();
    if (row < 0 || row >= static_cast<int>(points_.size())) return;
    const UndoPoint point = points_[static_cast<std::size_t>(row)];
    const Chosen chosen = chosen_;
    ctx_.windows.Unload<FormUndo>();
    if (chosen) chosen(point);
}

void FormUndo::Command2_Click() {
    ctx_.windows.Unload<FormUndo>();
}

} // namespace telk::ui
