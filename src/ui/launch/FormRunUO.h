// The launch prompt: opened by a successful restore or undo while the main
// window waits disabled; starts the 2D or 3D client and ends the program, or
// gives the main window back.
#pragma once

#include <string>

#include "ui/Messages.h"
#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk::ui {

// Writes telk.ini and ends the program: after a client start, and at quit.
void SaveSettingsAndEnd(Context& ctx);

class FormRunUO : public Form {
public:
    static constexpr int kId = 3;
    explicit FormRunUO(Context& ctx);

    Label Label1; // restore (undo) done: start a client?
    CommandButton Command1; // start the 2D client
    CommandButton Command2; // start the 3D client
    CommandButton Command3; // neither: back to the main window

    void Form_Load() override;
    // Says that change is done, and shows the window with the focus on 2D.
    void Open(Change change);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

private:
    void StartClient(const std::string& path);

    Context& ctx_;
};

} // namespace telk::ui
