// The folder picker: a drive list and a folder list. The opened folder goes
// straight into the client folder window's path box and into UoFolder.
#pragma once

#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk::ui {

class FormSelDir : public Form {
public:
    static constexpr int kId = 5;
    explicit FormSelDir(Context& ctx);

    DriveListBox Drive1; // drives
    DirListBox Dir1; // folders
    CommandButton Command1; // choose the opened folder
    CommandButton Command2; // cancel

    void Form_Load() override;
    void Form_Unload() override;
    void Drive1_Change();
    void Command1_Click();
    void Command2_Click();

private:
    Context& ctx_;
};

} // namespace telk::ui
