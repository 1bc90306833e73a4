// The wait window's layout.
#include "ui/launch/FormWait.h"

#include "ui/Texts.h"

namespace telk::ui {

namespace {

const FormLayout kForm{"", 5970, 1245, /*titleBar=*/false};

} // namespace

FormWait::FormWait(Context& ctx)
    : Form(ctx.ui, kForm),
      Label1(*this, {.name = "Label1", .rect = {960, 360, 4215, 495}, .tabIndex = 0,
                     .text = kWaitText, .font = {"ＭＳ Ｐゴシック", 18, false}}) {}

void FormWait::Form_Load() {
    CenterOnScreen();
    Show();
    // Painted before the caller goes on with long work on this thread.
    Host().DoEvents();
}

} // namespace telk::ui
