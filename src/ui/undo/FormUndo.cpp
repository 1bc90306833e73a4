// The undo window's layout and handlers: the rows, go back, close.
#include "ui/undo/FormUndo.h"

#include <utility>

#include "ui/Texts.h"

namespace telk::ui {

namespace {

// The settings window's margins and buttons; wide enough for a row that
// names all five files, tall enough for several rows.
const FormLayout kForm{kUndoCaption, 9135, 3525};

// The date and time as the folder is named, then the files it holds.
std::string RowText(const UndoPoint& point) {
    std::string text = FormUndo::PointName(point) + "　";
    for (std::size_t i = 0; i < point.files.size(); ++i) text += (i ? "、" : "") + point.files[i];
    return text;
}

} // namespace

FormUndo::FormUndo(Context& ctx)
    : Form(ctx.ui, kForm),
      List1(*this, {.name = "List1", .rect = {120, 120, 8895, 2415}, .tabIndex = 0}),
      Command1(*this, {.name = "Command1", .rect = {6240, 2760, 1215, 615}, .tabIndex = 1, .text = kUndoGo}),
      Command2(*this, {.name = "Command2", .rect = {7800, 2760, 1215, 615}, .tabIndex = 2, .text = kUndoCancel}),
      ctx_(ctx) {
    List1.DblClick = [this] { List1_DblClick(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
}

std::string FormUndo::PointName(const UndoPoint& point) {
    return point.generation.empty() ? std::string(kUndoOlderCopy) : point.generation;
}

// Shown by Open, once there is something to list.
void FormUndo::Form_Load() {
    CenterOnScreen();
}

void FormUndo::Open(std::vector<UndoPoint> points, Chosen chosen) {
    points_ = std::move(points);
    chosen_ = std::move(chosen);
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
