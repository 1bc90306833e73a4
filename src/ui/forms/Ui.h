// What a backend provides to the windows: realising, showing and unloading
// forms, message boxes, pumping and waiting on events, the screen, and the
// end of the program. The Win32 backend shows real windows; the headless
// one (tests) keeps the model as the whole truth. What every backend must
// do and keep is written once, in BACKENDS.md beside this file.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <utility>

namespace telk::ui {

class Form;

// OkCancelDefaultCancel: Enter answers Cancel, for a risky go-ahead.
enum class Buttons { Ok, OkCancel, OkCancelDefaultCancel };
enum class Answer { Ok, Cancel };

struct ScreenSize {
    double width = 0;  // twips
    double height = 0; // twips
};

inline constexpr const char* kProgramTitle = "TELK";

class Ui {
public:
    virtual ~Ui() = default;

    // The form is constructed; create what shows it (not yet visible).
    virtual void Realize(Form& form) = 0;
    virtual void Show(Form& form) = 0;
    // The form's unload handler has run; destroy what shows it.
    virtual void Unrealize(Form& form) = 0;
    // Outer size in twips for a client size, as this backend frames it.
    virtual void OuterSize(const Form& form, int& width, int& height) = 0;

    // No icon; owned by the active window of the program. An empty title
    // shows the program's title.
    virtual Answer MessageBox(const std::string& text, Buttons buttons, const std::string& title) = 0;
    // Processes the pending events once.
    virtual void DoEvents() = 0;
    // Processes events while the condition holds (a nested loop).
    virtual void WaitWhile(const std::function<bool()>& condition) = 0;
    virtual ScreenSize Screen() = 0;
    // Ends the program at once; no further handler runs.
    [[noreturn]] virtual void EndProgram() = 0;

    // Runs an event handler. The outermost one catches what a handler let
    // through, shows it in the words SetFailureText gives, and lets the
    // program go on; nested ones (events raised from code inside a handler)
    // let it through to the handler that raised them.
    void Dispatch(const std::function<void()>& handler);
    // How the outermost dispatch words a failure; unset, it shows what().
    using FailureText = std::function<std::string(const std::exception&)>;
    void SetFailureText(FailureText text) { failureText_ = std::move(text); }

protected:
    // How an uncaught failure is put to the user.
    virtual void ReportUnexpected(const std::string& what);

    // Held by a backend while its nested loop (WaitWhile) runs: the events
    // it dispatches come from the user, not from the waiting handler, so
    // each is an outermost one. A failure in the other window is reported
    // there instead of unwinding through the loop into the waiting handler.
    class NestedLoop {
    public:
        explicit NestedLoop(Ui& ui) : ui_(ui), saved_(ui.depth_) { ui_.depth_ = 0; }
        ~NestedLoop() { ui_.depth_ = saved_; }
        NestedLoop(const NestedLoop&) = delete;
        NestedLoop& operator=(const NestedLoop&) = delete;

    private:
        Ui& ui_;
        int saved_;
    };

private:
    int depth_ = 0;
    FailureText failureText_;
};

} // namespace telk::ui
