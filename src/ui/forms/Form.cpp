// A form's own state (position, centring, enabled, focus) and its option
// group.
#include "ui/forms/Form.h"

#include <algorithm>

#include "ui/forms/Ui.h"

namespace telk::ui {

Form::Form(Ui& ui, FormLayout layout) : ui_(ui), layout_(std::move(layout)) {}

int Form::Width() const {
    int w = 0, h = 0;
    ui_.OuterSize(*this, w, h);
    return w;
}

int Form::Height() const {
    int w = 0, h = 0;
    ui_.OuterSize(*this, w, h);
    return h;
}

void Form::Move(double left, double top) {
    left_ = left;
    top_ = top;
    if (peer_) peer_->Moved(*this);
}

void Form::CenterOnScreen() {
    const ScreenSize screen = ui_.Screen();
    // The halves in single precision (float), as the layouts were measured.
    const float top = (static_cast<float>(screen.height) - static_cast<float>(Height())) / 2.0f;
    Move(left_, top);
    const float left = (static_cast<float>(screen.width) - static_cast<float>(Width())) / 2.0f;
    Move(left, top_);
}

void Form::SetEnabled(bool on) {
    if (enabled_ == on) return;
    enabled_ = on;
    if (peer_) peer_->EnabledChanged(*this);
}

void Form::Show() {
    shown_ = true;
    ui_.Show(*this);
}

void Form::SetFocus() {
    if (peer_) peer_->Focus(*this);
}

std::vector<MenuItem> Form::UserContextMenu() {
    menu_.clear();
    if (!loaded_ || !enabled_) return {};
    Form_ContextMenu(menu_);
    return menu_;
}

// The item is judged as it was shown: what the form decided as the menu opened.
bool Form::UserMenuChoose(int index) {
    if (!loaded_ || !enabled_ || index < 0 || index >= static_cast<int>(menu_.size())) return false;
    const bool enabled = menu_[static_cast<std::size_t>(index)].enabled;
    menu_.clear();
    if (!enabled) return false;
    ui_.Dispatch([this, index] { Form_MenuClick(index); });
    return true;
}

void Form::OptionTurnedOn(OptionButton& chosen) {
    for (Control* c : controls_) {
        if (c == &chosen || c->Kind() != ControlKind::OptionButton) continue;
        static_cast<OptionButton*>(c)->StoreValue(false);
    }
}

// The group in declaration order, a control array's buttons by index.
OptionButton& Form::NextOption(const OptionButton& from, bool back) const {
    std::vector<OptionButton*> group;
    for (Control* c : controls_)
        if (c->Kind() == ControlKind::OptionButton) group.push_back(static_cast<OptionButton*>(c));
    const auto count = static_cast<std::ptrdiff_t>(group.size());
    const std::ptrdiff_t at = std::find(group.begin(), group.end(), &from) - group.begin();
    return *group[static_cast<std::size_t>((at + (back ? count - 1 : 1)) % count)];
}

} // namespace telk::ui
