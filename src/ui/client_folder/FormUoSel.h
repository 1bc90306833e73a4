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

    Label Label1;
    TextBox Text1;
    CommandButton Command1;
    CommandButton Command2;
    CommandButton Command3;
    CommandButton Command4;
    Label Label2;
    Label Label3;
    Label Label4;

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
