// One form as a top-level window: a fixed frame without system menu or
// close box (or a bare bordered box for a form without title bar), its
// controls as standard child windows in tab order, everything sized from
// twips at the window's own DPI and laid out again when that changes.
#pragma once

#include "platform/win32/WinApi.h"

#include <memory>
#include <vector>

#include "ui/win32/ControlWindow.h"
#include "ui/forms/Form.h"

namespace telk::winui {

class Win32Ui;

class FormWindow final : private ui::FormPeer, private ui::ControlPeer {
public:
    FormWindow(Win32Ui& host, ui::Form& form);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // icon: the resource every window shows on the taskbar, 0 for none.
    static void RegisterWindowClass(HINSTANCE instance, int icon);

    // Creates the window and its controls, hidden, and attaches to the model.
    void Create(unsigned dpi);
    // Detaches from the model and destroys the window.
    void Destroy();
    void Show();

    ui::Form& Model() const { return form_; }
    HWND Handle() const { return hwnd_; }
    HWND HandleOf(const ui::Control& control) const;
    // An arrow key on one of its windows: on an option button it moves the
    // choice through the model's group. Answers whether it took the key.
    bool OnArrow(HWND target, ui::Arrow key);
    unsigned Dpi() const { return dpi_; }
    // Outer size in twips, as the frame adds border and title bar.
    void OuterTwips(int& width, int& height) const;
    static void OuterTwips(const ui::FormLayout& layout, unsigned dpi, int& width, int& height);

private:
    // ui::FormPeer
    void Moved(ui::Form& form) override;
    void EnabledChanged(ui::Form& form) override;
    void Focus(ui::Form& form) override;
    // ui::ControlPeer
    void Changed(ui::Control& control, ui::Prop what) override;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(int id, int code, HWND from);
    LRESULT DefaultButton() const; // the answer to DM_GETDEFID
    void OnActivate(bool active);
    bool OnContextMenu(HWND from, int x, int y);
    void OnDpiChanged(unsigned dpi, const RECT& suggested);

    static DWORD Style(const ui::FormLayout& layout);
    static DWORD ExStyle(const ui::FormLayout& layout);
    static SIZE OuterPixels(const ui::FormLayout& layout, unsigned dpi);
    // Lets go of the window and what it holds, without touching the model.
    void Release();
    HFONT FontFor(const ui::Font& font);
    int RoomRightOf(const ui::Control& control) const;
    void ApplyIcon();

    ControlWindow* ById(int id) const;
    ControlWindow* ByModel(const ui::Control& control) const;
    ControlWindow* ByWindow(HWND child) const; // the control holding child
    void SaveFocus();
    void RestoreFocus();
    void FocusControl(ControlWindow& control);
    // The focus frame of an option button without a caption, drawn on the
    // form around it and the label beside it.
    const ControlWindow* FocusedCaptionlessOption() const;
    const ControlWindow* LabelBeside(const ControlWindow& option) const;
    RECT FocusCueRect(const ControlWindow& option) const;
    void InvalidateFocusCue(const ControlWindow* option);
    void PaintFocusCue(HDC dc) const;

    Win32Ui& host_;
    ui::Form& form_;
    HWND hwnd_ = nullptr;
    unsigned dpi_ = 96;
    std::vector<std::unique_ptr<ControlWindow>> controls_; // in tab order
    struct FontEntry {
        ui::Font font;
        HFONT handle;
    };
    std::vector<FontEntry> fonts_; // at dpi_
    HWND savedFocus_ = nullptr;    // where the focus goes back on activation
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
};

} // namespace telk::winui
