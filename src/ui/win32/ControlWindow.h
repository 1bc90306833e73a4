// One model control as a standard Win32 control: created from its kind,
// placed from twips, kept in step with the model (model -> control), and
// turning the user's actions into the model's User* calls (control ->
// model). What a text box or a combo box's field shows is what the model
// takes, however it got there. While the backend itself writes into a
// control, the control's notifications are not taken for the user's.
#pragma once

#include "platform/win32/WinApi.h"

#include <string>
#include <vector>

#include "ui/forms/Control.h"

namespace telk::winui {

class ControlWindow {
public:
    ControlWindow(ui::Control& model, int id) : model_(model), id_(id) {}
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    ui::Control& Model() const { return model_; }
    HWND Handle() const { return hwnd_; }
    int Id() const { return id_; }
    bool IsPushButton() const { return model_.Kind() == ui::ControlKind::CommandButton; }
    // Whether part (this control's window or a part of it) is a field typed
    // into, which keeps the system's own edit menu.
    bool IsTextField(HWND part) const;

    void Create(HWND parent, HINSTANCE instance, unsigned dpi, HFONT font);
    // Forgets the window (it is being destroyed with its form).
    void Detach() { hwnd_ = nullptr; }
    void Place(unsigned dpi);
    // How far right (twips) a label may grow to show its whole line: up to
    // the next control beside it.
    void SetRoom(int rightTwips) { roomRight_ = rightTwips; }
    void SetFont(HFONT font, unsigned dpi);

    // Model -> control.
    void Sync(ui::Prop what);
    void SyncAll();

    // Control -> model: a WM_COMMAND notification from this control.
    void OnCommand(int code);
    // Enter on the control when no button has the focus.
    void OnEnter();

    // The folder list draws its own entries (the opened chain indented).
    void Measure(MEASUREITEMSTRUCT& m) const;
    void Draw(const DRAWITEMSTRUCT& d) const;

private:
    class Writing;
    void WatchShownText();
    void Watch(HWND hwnd, WNDPROC& previous);
    static LRESULT CALLBACK ShownTextProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Control -> model, one step each.
    void OnButton(int code);
    void ChooseOption();
    void TakeShownText();
    void TakeSelection();
    void OpenSelection();
    int SelectionOnScreen() const;
    void FillList();
    void SelectFromModel();
    void SetTextFromModel();
    void SetCheckFromModel();
    void ShowAsDefault(bool on);
    std::wstring WindowText() const;
    int ItemHeight() const;
    void SetScrollWidth();

    ui::Control& model_;
    int id_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    unsigned dpi_ = 96;
    int writing_ = 0; // > 0 while the backend writes into the control
    int roomRight_ = 0;
    std::vector<std::string> listed_; // the entries the list control holds
    // The window procedures that WatchShownText stands in front of: the
    // control's own, and its field's for a combo box.
    WNDPROC ownProc_ = nullptr;
    HWND field_ = nullptr;
    WNDPROC fieldProc_ = nullptr;
};

} // namespace telk::winui
