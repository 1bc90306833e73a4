// Event dispatch shared by every backend.
#include "ui/forms/Ui.h"

namespace telk::ui {

void Ui::Dispatch(const std::function<void()>& handler) {
    if (!handler) return;
    if (depth_ > 0) {
        handler();
        return;
    }
    struct Depth {
        int& d;
        explicit Depth(int& v) : d(v) { ++d; }
        ~Depth() { --d; }
    } guard(depth_);
    // A handler that fails must not take the program down: the user is told
    // and the windows stay as the handler left them.
    try {
        handler();
    } catch (const std::exception& e) {
        ReportUnexpected(failureText_ ? failureText_(e) : std::string(e.what()));
    }
}

void Ui::ReportUnexpected(const std::string& what) {
    MessageBox(what, Buttons::Ok, kProgramTitle);
}

} // namespace telk::ui
