// The headless backend: the model is the whole truth. A test presses
// controls through the model's User* calls, queues answers to message boxes
// and the actions to run inside a nested wait, and reads every message box
// shown. The end of the program unwinds as ProgramEnded. It keeps the
// contract in src/ui/forms/BACKENDS.md, as the Win32 backend does.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/forms/Form.h"
#include "ui/forms/Ui.h"

namespace telk::test {

// Thrown by EndProgram; deliberately not a std::exception, so the event
// dispatcher lets it through.
struct ProgramEnded {};

// A wait with nothing left to do would hang a real program's test.
struct WaitStuck {};

struct ShownBox {
    std::string text;
    ui::Buttons buttons;
    std::string title;
};

// A notice of the program's: titled "TELK", with OK only; with text, one
// that says exactly that.
::testing::AssertionResult Told(const ShownBox& box);
::testing::AssertionResult Told(const ShownBox& box, const std::string& text);

class HeadlessUi;
// Whether form stands in the middle of the headless screen.
::testing::AssertionResult Centred(HeadlessUi& ui, const ui::Form& form);

class HeadlessUi : public ui::Ui, private ui::ControlPeer, private ui::FormPeer {
public:
    // Answers for the next OK/Cancel boxes, in order. A question without a
    // queued answer fails the test and is answered Cancel.
    void Answer(ui::Answer answer) { answers_.push_back(answer); }
    // Runs inside the next nested wait (or DoEvents pass), in order.
    void DuringWait(std::function<void()> action) { actions_.push_back(std::move(action)); }

    const std::vector<ShownBox>& Boxes() const { return boxes_; }
    void ClearBoxes() { boxes_.clear(); }
    std::string LastBoxText() const { return boxes_.empty() ? std::string() : boxes_.back().text; }
    // Forms shown, in order (a form shown again appears again).
    const std::vector<std::string>& ShownCaptions() const { return shown_; }
    const ui::Control* FocusedControl() const { return focused_; }
    const ui::Form* FocusedForm() const { return focusedForm_; }

    void SetScreen(double widthTwips, double heightTwips) { screen_ = {widthTwips, heightTwips}; }
    // A right-click or the menu key on control on (nullptr: the form itself):
    // the form's menu, none on a text field, which keeps its own.
    std::vector<ui::MenuItem> ContextMenu(ui::Form& form, const ui::Control* on = nullptr);

    // Border and title bar, in twips, that the headless frame adds.
    static constexpr int kBorder = 60;
    static constexpr int kTitle = 300;

    // ui::Ui
    void Realize(ui::Form& form) override;
    void Show(ui::Form& form) override;
    void Unrealize(ui::Form& form) override;
    void OuterSize(const ui::Form& form, int& width, int& height) override;
    ui::Answer MessageBox(const std::string& text, ui::Buttons buttons, const std::string& title) override;
    void DoEvents() override {}
    void WaitWhile(const std::function<bool()>& condition) override;
    ui::ScreenSize Screen() override { return screen_; }
    [[noreturn]] void EndProgram() override;

private:
    void Changed(ui::Control& control, ui::Prop what) override;
    void Moved(ui::Form&) override {}
    void EnabledChanged(ui::Form&) override {}
    void Focus(ui::Form& form) override;

    std::deque<ui::Answer> answers_;
    std::deque<std::function<void()>> actions_;
    std::vector<ShownBox> boxes_;
    std::vector<std::string> shown_;
    std::vector<ui::Form*> realized_;
    const ui::Control* focused_ = nullptr;
    const ui::Form* focusedForm_ = nullptr;
    ui::ScreenSize screen_{28800, 16200}; // 1920 x 1080 at 96 DPI
};

} // namespace telk::test
