// The undo window: the safety copies of the confirmed character, the last
// written first, to pick the restore to go back before, with the character
// named above them. It only picks: the main window asks its questions and
// undoes.
#pragma once

#include <functional>
#include <vector>

#include "store/restore/UndoRestore.h"
#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk::ui {

class FormUndo : public Form {
public:
    static constexpr int kId = 7;
    explicit FormUndo(Context& ctx);

    Label Label1; // whose files: the confirmed character
    ListBox List1; // one row per safety copy
    CommandButton Command1; // go back before the chosen row's restore
    CommandButton Command2; // close, nothing done

    void Form_Load() override;
    void List1_DblClick();
    void Command1_Click();
    void Command2_Click();

    // Names the confirmed character, lists points (not empty) with the
    // newest chosen, shows the window with the focus on the list; chosen
    // runs once the window has closed.
    using Chosen = std::function<void(const UndoPoint&)>;
    void Open(std::vector<UndoPoint> points, Chosen chosen);

    // The row's name: its folder's date and time as a player reads a time,
    // or the older copies' mark.
    static std::string PointName(const UndoPoint& point);
    // "account / shard / character": the last three names of charFolder.
    static std::string CharacterName(const std::string& charFolder);
    // The first question before going back to point: whose files, and
    // before what.
    static std::string Question(const std::string& charFolder, const UndoPoint& point);

private:
    Context& ctx_;
    std::vector<UndoPoint> points_;
    Chosen chosen_;
};

} // namespace telk::ui
