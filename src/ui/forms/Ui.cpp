// Event dispatch shared by every backend.
#include "ui/forms/Ui.h"

#include <exception>

#include "platform/FileError.h"
#include "ui/Messages.h"

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
    } catch (const FileError& e) {
        ReportUnexpected(FileFailureText(e));
    } catch (const std::exception& e) {
        ReportUnexpected(std::string("うまくいきませんでした\r\n") + e.what());
    }
}

void Ui::ReportUnexpected(const std::string& what) {
    MessageBox(what, Buttons::Ok, kProgramTitle);
}

} // namespace telk::ui
