// The client settings window: the full paths of the 2D and 3D client
// programs, typed or picked, saved to telk.ini or discarded for what the
// file holds.
#pragma once

#include <string>

#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk {
class FileError;
}

namespace telk::ui {

class FormSetup : public Form {
public:
    static constexpr int kId = 2;
    explicit FormSetup(Context& ctx);

    Label Label1;
    TextBox Text1;
    CommandButton Command1;
    Label Label2;
    TextBox Text2;
    CommandButton Command2;
    CommandButton Command3;
    CommandButton Command4;
    CommandButton Command5;

    void Form_Load() override;
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

private:
    void PickProgram(int target);
    void Report(const FileError& error);

    Context& ctx_;
};

} // namespace telk::ui
