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

    Label Label1; // the 2D box's label
    TextBox Text1; // 2D client program
    CommandButton Command1; // pick the 2D program
    Label Label2; // the 3D box's label
    TextBox Text2; // 3D client program
    CommandButton Command2; // pick the 3D program
    CommandButton Command3; // save
    CommandButton Command4; // discard: back to what the file holds
    CommandButton Command5; // close

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
