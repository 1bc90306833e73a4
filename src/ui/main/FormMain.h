// The main window: the account, shard and character lists of the client's
// DESKTOP tree, the five slot rows, back-up, restore and quit.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "store/Transfer.h"
#include "store/restore/UndoRestore.h"
#include "ui/Messages.h"
#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk::ui {

class FormMain : public Form {
public:
    static constexpr int kId = 1;
    explicit FormMain(Context& ctx);

    Label Label3; // the account list's label
    ComboBox Combo1; // accounts
    Label Label1; // the shard list's label
    ComboBox Combo2; // shards of the account
    Label Label2; // the character list's label
    ComboBox Combo3; // characters of the shard
    CommandButton Command1; // confirm this character
    Line Line1; // rule above the slot rows
    ControlArray<OptionButton, 5> Option1; // slot row: chosen slot
    ControlArray<Label, 5> Label4; // slot row: whose files the slot holds
    ControlArray<TextBox, 5> Text1; // slot row: slot name, editable in the chosen row
    CommandButton Command4; // back-up
    CommandButton Command5; // restore
    CommandButton Command3; // quit

    void Form_Load() override;
    void Combo1_Click();
    void Combo2_Click();
    void Option1_Click(int Index);
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    // The popup menu: undo a restore, enabled once a character is confirmed
    // and it has a safety copy to go back to.
    void Form_ContextMenu(std::vector<MenuItem>& items) override;
    void Form_MenuClick(int Index) override;
    // Back before the restore that kept point, with the restore's questions.
    void UndoTo(const UndoPoint& point);

    // Fills the three lists with the first account, its first shard and
    // that shard's characters.
    void LoadDesktopLists();

private:
    bool FillList(ComboBox& list, const std::string& folder);
    std::string DesktopFolder() const;
    void LoadSlotRows();
    int ChosenSlot() const;
    int ConfirmTransfer(const std::string& question, bool fromSlot, const std::string& missingHint);
    bool Transfer(const std::function<void()>& transfer, bool previousMayWait = false, Change change = Change::Restore);
    bool IntoCharacter(Change change, const std::function<void()>& apply);
    void TellLeftAsSaved(Change change = Change::Restore);
    ShowPath Shows();
    bool Ask(const std::string& text, const std::string& title);
    void Tell(const std::string& text);
    bool ClientRunning();

    Context& ctx_;
    bool charNamed_ = false; // the confirmed lists named one character folder
};

} // namespace telk::ui
