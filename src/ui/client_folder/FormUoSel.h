// The client folder window: the first window of a run. The user accepts
// the client's install folder, picks another with the folder picker, opens
// the client settings, or quits.
#pragma once

#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk::ui {

class FormUoSel : public Form {
public:
    static constexpr int kId = 0;
    explicit FormUoSel(Context& ctx);

    Label Label1; // the folder box's label
    TextBox Text1; // install folder
    CommandButton Command1; // pick another folder
    CommandButton Command2; // accept
    CommandButton Command3; // quit
    CommandButton Command4; // client settings
    Label Label2; // version
    Label Label3; // credits
    Label Label4; // thanks

    void Form_Load() override;
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

private:
    void EndWith(const char* text);

    Context& ctx_;
};

} // namespace telk::ui
