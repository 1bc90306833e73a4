// One form as a top-level window: its creation and frame, model -> window
// updates, the focus it keeps while disabled, the keys it takes from the
// dialog manager, and its window procedure.
#include "ui/win32/FormWindow.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "platform/win32/Utf16.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Fonts.h"
#include "ui/win32/Win32Ui.h"

namespace telk::winui {

namespace {

const wchar_t kClassName[] = L"TELK.Form";

// Control ids start clear of IDOK and IDCANCEL, which the dialog manager
// sends for Enter and Escape.
constexpr int kFirstControlId = 100;

} // namespace

FormWindow::FormWindow(Win32Ui& host, ui::Form& form) : host_(host), form_(form) {}

FormWindow::~FormWindow() {
    // The model may be gone by now (the program's windows end first).
    Release();
}

void FormWindow::RegisterWindowClass(HINSTANCE instance, int icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClassName;
    // The taskbar shows the program's icon for every window.
    if (icon != 0) {
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(icon));
        wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(icon), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    }
    RegisterClassExW(&wc);
}

DWORD FormWindow::Style(const ui::FormLayout& layout) {
    // No WS_SYSMENU: no system menu and no close box.
    return (layout.titleBar ? WS_OVERLAPPED | WS_CAPTION : WS_POPUP | WS_BORDER) | WS_CLIPCHILDREN;
}

DWORD FormWindow::ExStyle(const ui::FormLayout& layout) {
    // A box without a title has nothing to show on the taskbar.
    return WS_EX_CONTROLPARENT | (layout.titleBar ? 0 : WS_EX_TOOLWINDOW);
}

SIZE FormWindow::OuterPixels(const ui::FormLayout& layout, unsigned dpi) {
    RECT r{0, 0, TwipsToPixels(layout.clientWidth, dpi), TwipsToPixels(layout.clientHeight, dpi)};
    AdjustWindowRectExForDpi(&r, Style(layout), FALSE, ExStyle(layout), dpi);
    return {r.right - r.left, r.bottom - r.top};
}

void FormWindow::OuterTwips(const ui::FormLayout& layout, unsigned dpi, int& width, int& height) {
    const SIZE s = OuterPixels(layout, dpi);
    width = PixelsToTwips(s.cx, dpi);
    height = PixelsToTwips(s.cy, dpi);
}

void FormWindow::OuterTwips(int& width, int& height) const {
    OuterTwips(form_.Layout(), dpi_, width, height);
}

void FormWindow::Create(unsigned dpi) {
    dpi_ = dpi;
    SIZE size = OuterPixels(form_.Layout(), dpi_);
    const std::wstring caption = Utf8ToWide(form_.Caption());
    hwnd_ = CreateWindowExW(ExStyle(form_.Layout()), kClassName, caption.c_str(), Style(form_.Layout()), TwipsToPixels(form_.Left(), dpi_),
                            TwipsToPixels(form_.Top(), dpi_), size.cx, size.cy, nullptr, nullptr, host_.Instance(),
                            this);
    if (!hwnd_) throw std::runtime_error("ウィンドウを作れませんでした");
    // The window may have come up on a monitor of another scale.
    const unsigned actual = GetDpiForWindow(hwnd_);
    if (actual != 0 && actual != dpi_) {
        dpi_ = actual;
        size = OuterPixels(form_.Layout(), dpi_);
        SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Creation order is the order Tab follows.
    std::vector<ui::Control*> order = form_.Controls();
    std::stable_sort(order.begin(), order.end(), [](const ui::Control* a, const ui::Control* b) {
        const int ka = a->TabIndex() < 0 ? INT_MAX : a->TabIndex();
        const int kb = b->TabIndex() < 0 ? INT_MAX : b->TabIndex();
        return ka < kb;
    });
    for (ui::Control* c : order) {
        controls_.push_back(std::make_unique<ControlWindow>(*c, kFirstControlId + static_cast<int>(controls_.size())));
        controls_.back()->SetRoom(RoomRightOf(*c));
        controls_.back()->Create(hwnd_, host_.Instance(), dpi_, FontFor(c->FontSpec()));
    }
    ApplyIcon();

    form_.SetPeer(this);
    for (auto& c : controls_) c->Model().SetPeer(this);
}

void FormWindow::Destroy() {
    form_.SetPeer(nullptr);
    for (auto& c : controls_) c->Model().SetPeer(nullptr);
    Release();
}

void FormWindow::Release() {
    // Detached first: what the controls report while they are destroyed
    // (losing the focus) must not reach the model.
    for (auto& c : controls_) c->Detach();
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    for (FontEntry& f : fonts_) DeleteObject(f.handle);
    fonts_.clear();
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    bigIcon_ = smallIcon_ = nullptr;
}

void FormWindow::Show() {
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    // The program had the user's last input, so it may come to the front
    // even when the window that was active has just been destroyed.
    if (IsWindowEnabled(hwnd_)) SetForegroundWindow(hwnd_);
}

int FormWindow::RoomRightOf(const ui::Control& control) const {
    // The left edge of the nearest control to its right on the same band,
    // else the form's edge.
    const ui::Rect& r = control.Bounds();
    int room = form_.Layout().clientWidth;
    for (const ui::Control* other : form_.Controls()) {
        if (other == &control || other->Kind() == ui::ControlKind::Line) continue;
        const ui::Rect& o = other->Bounds();
        const bool sameBand = o.top < r.top + r.height && o.top + o.height > r.top;
        if (sameBand && o.left >= r.left + r.width) room = std::min(room, o.left);
    }
    return room;
}

HFONT FormWindow::FontFor(const ui::Font& font) {
    for (const FontEntry& f : fonts_)
        if (f.font.face == font.face && f.font.points == font.points && f.font.bold == font.bold) return f.handle;
    fonts_.push_back({font, CreateControlFont(font, dpi_)});
    return fonts_.back().handle;
}

void FormWindow::ApplyIcon() {
    if (!form_.Layout().appIcon || !hwnd_ || host_.Icon() == 0) return;
    HICON big = static_cast<HICON>(LoadImageW(host_.Instance(), MAKEINTRESOURCEW(host_.Icon()), IMAGE_ICON,
                                              GetSystemMetricsForDpi(SM_CXICON, dpi_),
                                              GetSystemMetricsForDpi(SM_CYICON, dpi_), 0));
    HICON small = static_cast<HICON>(LoadImageW(host_.Instance(), MAKEINTRESOURCEW(host_.Icon()), IMAGE_ICON,
                                                GetSystemMetricsForDpi(SM_CXSMICON, dpi_),
                                                GetSystemMetricsForDpi(SM_CYSMICON, dpi_), 0));
    if (big) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small) SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (big && bigIcon_) DestroyIcon(bigIcon_);
    if (small && smallIcon_) DestroyIcon(smallIcon_);
    if (big) bigIcon_ = big;
    if (small) smallIcon_ = small;
}

// ---- model -> window

void FormWindow::Moved(ui::Form& form) {
    if (!hwnd_) return;
    SetWindowPos(hwnd_, nullptr, TwipsToPixels(form.Left(), dpi_), TwipsToPixels(form.Top(), dpi_), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::EnabledChanged(ui::Form& form) {
    if (!hwnd_) return;
    // Disabling takes the focus away; remember where it was for later.
    if (!form.Enabled()) SaveFocus();
    EnableWindow(hwnd_, form.Enabled() ? TRUE : FALSE);
}

void FormWindow::Focus(ui::Form&) {
    if (!hwnd_ || !IsWindowVisible(hwnd_) || !IsWindowEnabled(hwnd_)) return;
    SetForegroundWindow(hwnd_);
    RestoreFocus();
}

void FormWindow::Changed(ui::Control& control, ui::Prop what) {
    ControlWindow* c = ByModel(control);
    if (!c) return;
    if (what == ui::Prop::Focus) FocusControl(*c);
    else c->Sync(what);
}

// ---- focus

void FormWindow::SaveFocus() {
    HWND f = GetFocus();
    if (f && IsChild(hwnd_, f)) savedFocus_ = f;
}

void FormWindow::RestoreFocus() {
    HWND target = savedFocus_;
    if (!target || !IsChild(hwnd_, target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
        target = GetNextDlgTabItem(hwnd_, nullptr, FALSE); // the first control in tab order
    if (target && IsChild(hwnd_, target)) SetFocus(target);
    else if (GetFocus() != hwnd_) SetFocus(hwnd_);
}

void FormWindow::FocusControl(ControlWindow& control) {
    HWND target = control.Handle();
    if (!target || !IsWindowEnabled(target)) return;
    // Not on screen or not taking input yet: the focus goes there when it does.
    if (!IsWindowVisible(hwnd_) || !IsWindowEnabled(hwnd_)) {
        savedFocus_ = target;
        return;
    }
    SetFocus(target);
}

// ---- the focus of an option button without a caption

// Such a button has no text for the system to frame (a slot row's button):
// the form frames it in the gap around it and its label, which stands for
// its caption. The frame comes and goes with the button's focus and with
// its UI state, as the buttons' own focus frames do.
const ControlWindow* FormWindow::FocusedCaptionlessOption() const {
    const HWND focus = GetFocus();
    const ControlWindow* c = ByWindow(focus);
    if (!c || c->Handle() != focus || c->Model().Kind() != ui::ControlKind::OptionButton) return nullptr;
    return c->Model().Text().empty() ? c : nullptr;
}

// The nearest label to its right on the same band, no further off than the
// button is wide.
const ControlWindow* FormWindow::LabelBeside(const ControlWindow& option) const {
    const ui::Rect& r = option.Model().Bounds();
    const ControlWindow* found = nullptr;
    for (const auto& c : controls_) {
        const ui::Rect& o = c->Model().Bounds();
        const int gap = o.left - (r.left + r.width);
        const bool sameBand = o.top < r.top + r.height && o.top + o.height > r.top;
        if (c->Model().Kind() == ui::ControlKind::Label && sameBand && gap >= 0 && gap <= r.width &&
            (!found || o.left < found->Model().Bounds().left))
            found = c.get();
    }
    return found;
}

RECT FormWindow::FocusCueRect(const ControlWindow& option) const {
    auto placed = [this](HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT cue = placed(option.Handle());
    if (const ControlWindow* label = LabelBeside(option)) {
        const RECT l = placed(label->Handle());
        UnionRect(&cue, &cue, &l);
    }
    // Half the layouts' gap between rows and controls.
    const int pad = MulDiv(3, static_cast<int>(dpi_), 96);
    InflateRect(&cue, pad, pad);
    return cue;
}

void FormWindow::InvalidateFocusCue(const ControlWindow* option) {
    if (!option || !hwnd_ || !option->Model().Text().empty()) return;
    const RECT cue = FocusCueRect(*option);
    // Erased first: the frame is drawn by inverting what lies under it.
    InvalidateRect(hwnd_, &cue, TRUE);
}

void FormWindow::PaintFocusCue(HDC dc) const {
    const ControlWindow* option = FocusedCaptionlessOption();
    if (!option || (SendMessageW(option->Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) return;
    const RECT cue = FocusCueRect(*option);
    DrawFocusRect(dc, &cue);
}

// ---- keys

bool FormWindow::OnArrow(HWND target, ui::Arrow key) {
    ControlWindow* c = ByWindow(target);
    if (!c || c->Model().Kind() != ui::ControlKind::OptionButton) return false;
    // The key passes the dialog manager by, which would show the focus
    // frames from now on, as after any key that moves the focus.
    SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    static_cast<ui::OptionButton&>(c->Model()).UserArrow(key);
    return true;
}

// ---- window procedure

LRESULT CALLBACK FormWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    FormWindow* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    // Nothing may unwind through the system's code.
    try {
        return self->OnMessage(msg, wp, lp);
    } catch (const std::exception& e) {
        self->host_.ReportFailure(e.what());
    } catch (...) {
        self->host_.ReportFailure("");
    }
    return 0;
}

LRESULT FormWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        return 0; // left only through its own buttons
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wp) ExitProcess(0); // the session ends: nothing to save
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case DM_GETDEFID:
        return DefaultButton();
    case WM_CONTEXTMENU:
        if (OnContextMenu(reinterpret_cast<HWND>(wp), static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))))
            return 0;
        break;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wp) != WA_INACTIVE);
        return 0;
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        PaintFocusCue(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_UPDATEUISTATE: {
        // The system shows the focus frames once the keyboard is used.
        const LRESULT r = DefWindowProcW(hwnd_, msg, wp, lp);
        InvalidateFocusCue(FocusedCaptionlessOption());
        return r;
    }
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_MEASUREITEM: {
        auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (ControlWindow* c = ById(static_cast<int>(m->CtlID))) {
            c->Measure(*m);
            return TRUE;
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (ControlWindow* c = ById(static_cast<int>(d->CtlID))) {
            c->Draw(*d);
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT FormWindow::DefaultButton() const {
    // No button is the default; Enter presses the focused one.
    ControlWindow* c = ByWindow(GetFocus());
    return c && c->IsPushButton() ? MAKELRESULT(c->Id(), DC_HASDEFID) : 0;
}

void FormWindow::OnCommand(int id, int code, HWND from) {
    if (!from) {
        // Enter with no button focused comes as IDOK from the dialog manager.
        if (id == IDOK)
            if (ControlWindow* c = ByWindow(GetFocus())) c->OnEnter();
        return;
    }
    ControlWindow* c = ById(id);
    if (!c) return;
    if (c->Model().Kind() == ui::ControlKind::OptionButton && (code == BN_SETFOCUS || code == BN_KILLFOCUS))
        InvalidateFocusCue(c);
    c->OnCommand(code);
}

// The form's popup menu: on a right-click anywhere but in a text field,
// or the menu key (x, y = -1) while the focus is anywhere but in one. A
// text field keeps the system's edit menu; a disabled one, whose clicks
// come to the form, shows none. Answers whether the form took the request.
bool FormWindow::OnContextMenu(HWND from, int x, int y) {
    const bool byKeyboard = x == -1 && y == -1;
    HWND target = byKeyboard ? GetFocus() : from;
    // Down to the innermost window under the point: a combo box's field.
    for (HWND outer = hwnd_; !byKeyboard && target == outer;) {
        POINT p{x, y};
        ScreenToClient(outer, &p);
        const HWND inner = ChildWindowFromPointEx(outer, p, CWP_SKIPINVISIBLE);
        if (!inner || inner == outer) break;
        target = outer = inner;
    }
    const ControlWindow* on = ByWindow(target);
    if (on && on->IsTextField(target)) return false;

    const std::vector<ui::MenuItem> items = form_.UserContextMenu();
    if (items.empty()) return true;
    HMENU menu = CreatePopupMenu();
    if (!menu) return true;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::wstring text = Utf8ToWide(items[i].text);
        AppendMenuW(menu, MF_STRING | (items[i].enabled ? MF_ENABLED : MF_GRAYED), i + 1, text.c_str());
    }
    if (byKeyboard) {
        // At the focused control's corner, or the form's own when none has it.
        RECT r{};
        if (on) GetWindowRect(on->Handle(), &r);
        else {
            GetClientRect(hwnd_, &r);
            MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        }
        x = r.left;
        y = on ? r.bottom : r.top;
        // Enter chooses what is highlighted, so the first enabled item is.
        // Down keys posted before the menu's loop starts are the first it
        // reads, on Windows and under Wine, and Down stops on grey items
        // too: one per item up to it. (HiliteMenuItem is for menu bars.)
        const auto first = std::find_if(items.begin(), items.end(), [](const ui::MenuItem& m) { return m.enabled; });
        if (first != items.end())
            for (auto i = items.begin(); i <= first; ++i) PostMessageW(hwnd_, WM_KEYDOWN, VK_DOWN, 0);
    }
    const int chosen = static_cast<int>(
        TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, x, y, hwnd_, nullptr));
    DestroyMenu(menu);
    if (chosen > 0) form_.UserMenuChoose(chosen - 1);
    return true;
}

void FormWindow::OnActivate(bool active) {
    if (active) RestoreFocus();
    else SaveFocus();
}

void FormWindow::OnDpiChanged(unsigned dpi, const RECT& suggested) {
    dpi_ = dpi;
    std::vector<FontEntry> old = std::move(fonts_);
    fonts_.clear();
    for (auto& c : controls_) {
        c->SetFont(FontFor(c->Model().FontSpec()), dpi_);
        c->Place(dpi_);
    }
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (FontEntry& f : old) DeleteObject(f.handle);
    ApplyIcon();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// ---- lookup

ControlWindow* FormWindow::ById(int id) const {
    const int i = id - kFirstControlId;
    if (i < 0 || i >= static_cast<int>(controls_.size())) return nullptr;
    return controls_[static_cast<std::size_t>(i)].get();
}

ControlWindow* FormWindow::ByModel(const ui::Control& control) const {
    for (auto& c : controls_)
        if (&c->Model() == &control) return c.get();
    return nullptr;
}

HWND FormWindow::HandleOf(const ui::Control& control) const {
    ControlWindow* c = ByModel(control);
    return c ? c->Handle() : nullptr;
}

ControlWindow* FormWindow::ByWindow(HWND child) const {
    // The focus may sit in a part of a control, as the field of a combo box.
    for (HWND h = child; h && h != hwnd_; h = GetParent(h))
        for (auto& c : controls_)
            if (c->Handle() == h) return c.get();
    return nullptr;
}

} // namespace telk::winui
