// The main window: the account, shard and character lists of the client's
// DESKTOP tree, the five slot rows, back-up, restore and quit.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "store/Transfer.h"
#include "ui/Messages.h"
#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk::ui {

class FormMain : public Form {
public:
    static constexpr int kId = 1;
    explicit FormMain(Context& ctx);

    Label Label3;
    ComboBox Combo1;
    Label Label1;
    ComboBox Combo2;
    Label Label2;
    ComboBox Combo3;
    CommandButton Command1;
    Line Line1;
    ControlArray<OptionButton, 5> Option1;
    ControlArray<Label, 5> Label4;
    ControlArray<TextBox, 5> Text1;
    CommandButton Command4;
    CommandButton Command5;
    CommandButton Command3;

    void Form_Load() override;
    void Combo1_Click();
    void Combo2_Click();
    void Option1_Click(int Index);
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

    // Fills the three lists with the first account, its first shard and
    // that shard's characters.
    void LoadDesktopLists();

private:
    bool FillList(ComboBox& list, const std::string& folder);
    std::string DesktopFolder() const;
    void LoadSlotRows();
    int ChosenSlot() const;
    int ConfirmTransfer(const std::string& question, bool fromSlot, const std::string& missingHint);
    bool Transfer(const std::function<void()>& transfer, bool previousMayWait = false);
    void TellLeftAsSaved();
    ShowPath Shows();
    bool Ask(const std::string& text, const std::string& title);
    void Tell(const std::string& text);
    bool ClientRunning();

    Context& ctx_;
    bool charNamed_ = false; // the confirmed lists named one character folder
};

} // namespace telk::ui
