// The wait window: one line of text, no title bar, shown while the main
// window is being built.
#pragma once

#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk::ui {

class FormWait : public Form {
public:
    static constexpr int kId = 4;
    explicit FormWait(Context& ctx);

    Label Label1; // please wait

    void Form_Load() override;
};

} // namespace telk::ui
