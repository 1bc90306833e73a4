// A window of the model: caption, client size and position in twips, its
// controls in declaration order, enabled state, and the load/show/unload
// life a backend mirrors.
#pragma once

#include <string>
#include <vector>

#include "ui/forms/Control.h"

namespace telk::ui {

class Ui;

struct FormLayout {
    std::string caption;
    int clientWidth = 0;  // twips
    int clientHeight = 0; // twips
    bool titleBar = true; // FormWait has none
    bool appIcon = false; // FormMain shows the program's icon
};

// One entry of a form's popup menu.
struct MenuItem {
    std::string text;
    bool enabled = true;
};

class FormPeer {
public:
    virtual ~FormPeer() = default;
    virtual void Moved(Form& form) = 0; // Left/Top changed
    virtual void EnabledChanged(Form& form) = 0;
    virtual void Focus(Form& form) = 0;
};

class Form {
public:
    Form(Ui& ui, FormLayout layout);
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Ui& Host() const { return ui_; }
    const FormLayout& Layout() const { return layout_; }
    const std::string& Caption() const { return layout_.caption; }
    const std::vector<Control*>& Controls() const { return controls_; }

    // Outer size (with border and title bar) in twips, as the backend says.
    int Width() const;
    int Height() const;
    double Left() const { return left_; }
    double Top() const { return top_; }
    void Move(double left, double top);
    // Top := (screen height - outer height) / 2, then Left likewise.
    void CenterOnScreen();

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    bool Loaded() const { return loaded_; }
    bool Shown() const { return shown_; }
    void Show();     // modeless, no owner
    void SetFocus(); // the form, or its first focusable control

    // Handlers every form may have.
    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    // The popup menu as it opens: the form adds its items (none: no menu).
    virtual void Form_ContextMenu(std::vector<MenuItem>& /*items*/) {}
    // Item index of the menu last opened was chosen.
    virtual void Form_MenuClick(int /*Index*/) {}

    // The user's right-click or menu key: the items to show, empty when the
    // form takes no input or has no menu.
    std::vector<MenuItem> UserContextMenu();
    // The user chose item index of that menu. False (and nothing happens)
    // for a greyed item or when the form takes no input.
    bool UserMenuChoose(int index);

    void SetPeer(FormPeer* peer) { peer_ = peer; }

    // Used by the window registry.
    void MarkLoaded(bool on) { loaded_ = on; }
    void Register(Control& control) { controls_.push_back(&control); }
    // Option group: turns every other option button of this form off.
    void OptionTurnedOn(OptionButton& chosen);
    // The group's button after from (before it when back), round the ends.
    OptionButton& NextOption(const OptionButton& from, bool back) const;

private:
    Ui& ui_;
    FormLayout layout_;
    std::vector<Control*> controls_;
    double left_ = 0;
    double top_ = 0;
    bool enabled_ = true;
    bool loaded_ = false;
    bool shown_ = false;
    FormPeer* peer_ = nullptr;
    std::vector<MenuItem> menu_; // as last opened
};

} // namespace telk::ui
