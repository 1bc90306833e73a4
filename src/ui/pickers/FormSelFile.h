// The client program picker: drive, folder and file lists. The chosen
// file's full path goes straight into the settings window's 2D or 3D box,
// as ProgramPickTarget says.
#pragma once

#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk::ui {

class FormSelFile : public Form {
public:
    static constexpr int kId = 6;
    explicit FormSelFile(Context& ctx);

    DriveListBox Drive1; // drives
    DirListBox Dir1; // folders
    FileListBox File1; // files of the opened folder
    CommandButton Command1; // choose the file
    CommandButton Command2; // cancel

    void Form_Load() override;
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_OpenFailed();
    void Command1_Click();
    void Command2_Click();

private:
    Context& ctx_;
};

} // namespace telk::ui
