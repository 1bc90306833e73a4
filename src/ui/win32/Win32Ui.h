// The Win32 backend of the window model: each form a real top-level window
// of standard controls, message boxes through MessageBoxW, and the event
// loops (the program's own, one pass of pending events, and the nested
// wait that blocks on the queue between tests of its condition). It keeps
// the contract in src/ui/forms/BACKENDS.md.
#pragma once

#include "platform/win32/WinApi.h"

#include <memory>
#include <string>
#include <vector>

#include "ui/forms/Control.h"
#include "ui/forms/Form.h"
#include "ui/forms/Ui.h"

namespace telk::winui {

class FormWindow;

class Win32Ui final : public ui::Ui {
public:
    // icon: the resource id of the program's icon, which every window shows
    // on the taskbar and a form with appIcon in its title bar; 0 for none.
    explicit Win32Ui(HINSTANCE instance, int icon = 0);
    ~Win32Ui() override;
    Win32Ui(const Win32Ui&) = delete;
    Win32Ui& operator=(const Win32Ui&) = delete;

    // ui::Ui
    void Realize(ui::Form& form) override;
    void Show(ui::Form& form) override;
    void Unrealize(ui::Form& form) override;
    void OuterSize(const ui::Form& form, int& width, int& height) override;
    ui::Answer MessageBox(const std::string& text, ui::Buttons buttons, const std::string& title) override;
    void DoEvents() override;
    void WaitWhile(const std::function<bool()>& condition) override;
    ui::ScreenSize Screen() override;
    [[noreturn]] void EndProgram() override;

    // The program's event loop: until WM_QUIT, or until no form is loaded.
    // Returns the exit code.
    int Run();

    // For the windows.
    HINSTANCE Instance() const { return instance_; }
    int Icon() const { return icon_; }
    void ReportFailure(const std::string& what);
    // The window of a loaded form, or of one of its controls; nullptr when
    // there is none.
    HWND WindowOf(const ui::Form& form) const;
    HWND WindowOf(const ui::Control& control) const;

    // The DPI of the primary monitor, the one Screen() measures.
    static unsigned PrimaryDpi();

private:
    FormWindow* Find(const ui::Form& form) const;
    bool IsOurs(HWND hwnd) const;
    // Keyboard navigation as in a dialog, else the usual translate and dispatch.
    void Process(MSG& msg);
    bool TakeArrow(HWND root, const MSG& msg);
    HWND BoxOwner() const;

    HINSTANCE instance_;
    int icon_;
    std::vector<std::unique_ptr<FormWindow>> windows_;
    // Unloaded windows whose handlers may still be on the stack; freed by
    // the outermost loop.
    std::vector<std::unique_ptr<FormWindow>> retired_;
};

} // namespace telk::winui
