// The headless backend and the assertions window tests share about it.
#include "support/HeadlessUi.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace telk::test {

::testing::AssertionResult Told(const ShownBox& box) {
    if (box.title == "TELK" && box.buttons == ui::Buttons::Ok) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not a notice (title \"" << box.title << "\", buttons "
                                         << static_cast<int>(box.buttons) << "): " << box.text;
}

::testing::AssertionResult Told(const ShownBox& box, const std::string& text) {
    if (box.text != text) return ::testing::AssertionFailure() << "told \"" << box.text << "\", not \"" << text << "\"";
    return Told(box);
}

::testing::AssertionResult Centred(HeadlessUi& ui, const ui::Form& form) {
    const ui::ScreenSize screen = ui.Screen();
    const double top = (screen.height - form.Height()) / 2;
    const double left = (screen.width - form.Width()) / 2;
    if (std::abs(form.Top() - top) < 1e-6 && std::abs(form.Left() - left) < 1e-6) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << form.Caption() << " at " << form.Left() << ", " << form.Top()
                                         << " rather than " << left << ", " << top;
}

void HeadlessUi::Realize(ui::Form& form) {
    realized_.push_back(&form);
    form.SetPeer(this);
    for (ui::Control* c : form.Controls()) c->SetPeer(this);
}

void HeadlessUi::Show(ui::Form& form) {
    shown_.push_back(form.Caption());
}

void HeadlessUi::Unrealize(ui::Form& form) {
    realized_.erase(std::remove(realized_.begin(), realized_.end(), &form), realized_.end());
    if (focusedForm_ == &form) focusedForm_ = nullptr;
    if (focused_ && &focused_->Owner() == &form) focused_ = nullptr;
}

void HeadlessUi::OuterSize(const ui::Form& form, int& width, int& height) {
    width = form.Layout().clientWidth + 2 * kBorder;
    height = form.Layout().clientHeight + 2 * kBorder + (form.Layout().titleBar ? kTitle : 0);
}

ui::Answer HeadlessUi::MessageBox(const std::string& text, ui::Buttons buttons, const std::string& title) {
    boxes_.push_back({text, buttons, title.empty() ? std::string(ui::kProgramTitle) : title});
    if (buttons == ui::Buttons::Ok) return ui::Answer::Ok;
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return ui::Answer::Cancel;
    }
    const ui::Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

void HeadlessUi::WaitWhile(const std::function<bool()>& condition) {
    const NestedLoop loop(*this);
    while (condition()) {
        if (actions_.empty()) throw WaitStuck{};
        auto action = std::move(actions_.front());
        actions_.pop_front();
        action();
    }
}

std::vector<ui::MenuItem> HeadlessUi::ContextMenu(ui::Form& form, const ui::Control* on) {
    if (on && (on->Kind() == ui::ControlKind::TextBox || on->Kind() == ui::ControlKind::ComboBox)) return {};
    return form.UserContextMenu();
}

void HeadlessUi::EndProgram() {
    throw ProgramEnded{};
}

void HeadlessUi::Changed(ui::Control& control, ui::Prop what) {
    if (what == ui::Prop::Focus) {
        focused_ = &control;
        focusedForm_ = &control.Owner();
    }
}

void HeadlessUi::Focus(ui::Form& form) {
    focusedForm_ = &form;
    focused_ = nullptr;
}

} // namespace telk::test
