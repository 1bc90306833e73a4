// Each model control as a standard Win32 control: its creation, its place
// at the window's DPI, model -> control updates, and control -> model
// through the User* calls.
#include "ui/win32/ControlWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/Utf16.h"
#include "ui/win32/Dpi.h"

namespace telk::winui {

using ui::ControlKind;

namespace {

struct Class {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

bool IsCombo(ControlKind k) {
    return k == ControlKind::ComboBox || k == ControlKind::DriveList;
}

bool IsListBox(ControlKind k) {
    return k == ControlKind::FolderList || k == ControlKind::FileList || k == ControlKind::ListBox;
}

// Every focusable control is a tab stop and a group of its own: the tab
// indexes interleave kinds (option button, name box, option button …), so
// the dialog manager's arrow keys must not wander through a "group". An
// option button's arrow keys go through the model's group (Win32Ui); the
// button itself keeps WS_TABSTOP only while it is checked (BM_SETCHECK), so
// Tab enters the rows at the one that is on.
constexpr DWORD kFocusable = WS_TABSTOP | WS_GROUP;

Class ClassOf(const ui::Control& c) {
    switch (c.Kind()) {
    case ControlKind::Label:
        return {L"STATIC", static_cast<DWORD>(SS_NOPREFIX | (c.Alignment() == ui::Align::Center ? SS_CENTER : SS_LEFT)), 0};
    case ControlKind::TextBox:
        return {L"EDIT", kFocusable | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::CommandButton:
        // Multi-line so a caption with CR LF shows two lines; BS_NOTIFY
        // tells us when it takes the focus, to show it as the default.
        return {L"BUTTON", kFocusable | BS_PUSHBUTTON | BS_MULTILINE | BS_NOTIFY, 0};
    case ControlKind::OptionButton:
        // Not an auto radio button: the model decides what is on. BS_NOTIFY
        // tells the form when it takes and loses the focus, which a button
        // without a caption cannot show itself.
        return {L"BUTTON", kFocusable | BS_RADIOBUTTON | BS_NOTIFY, 0};
    case ControlKind::ComboBox:
        return {L"COMBOBOX", kFocusable | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0};
    case ControlKind::DriveList:
        return {L"COMBOBOX", kFocusable | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::FolderList:
        return {L"LISTBOX",
                kFocusable | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                WS_EX_CLIENTEDGE};
    case ControlKind::FileList:
        return {L"LISTBOX", kFocusable | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
    case ControlKind::ListBox:
        // Rows wider than the list scroll sideways rather than lose their end.
        return {L"LISTBOX", kFocusable | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
    case ControlKind::Line:
        return {L"STATIC", SS_ETCHEDHORZ, 0};
    }
    return {L"STATIC", 0, 0};
}

int Scale(int px96, unsigned dpi) {
    return MulDiv(px96, static_cast<int>(dpi), 96);
}

int TextHeight(HFONT font) {
    TEXTMETRICW tm{};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}

int TextWidth(HFONT font, const std::wstring& text) {
    SIZE size{};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

PixelBox BoxOf(const ui::Control& c, unsigned dpi, HFONT font, int roomRight) {
    const ui::Rect& r = c.Bounds();
    PixelBox b = ToPixels(r, dpi);
    // A line is an etched rule two pixels high.
    if (c.Kind() == ControlKind::Line) b.height = 2;
    // A combo box's window includes its dropped-down list; the closed field
    // takes its height from the font.
    if (IsCombo(c.Kind())) b.height += Scale(160, dpi);
    // The layouts were made for narrower Japanese faces: a one-line label
    // whose text no longer fits would lose its last characters, so it takes
    // the free space to its right, never reaching the next control.
    if (c.Kind() == ControlKind::Label && c.Alignment() == ui::Align::Left &&
        c.Text().find('\n') == std::string::npos && roomRight > r.left + r.width) {
        const int need = TextWidth(font, Utf8ToWide(c.Text())) + Scale(1, dpi);
        if (need > b.width && b.height < 2 * TextHeight(font))
            b.width = std::min(need, TwipsToPixels(roomRight, dpi) - b.left);
    }
    // The layouts were made for a font with a short line; a taller face
    // (Yu Gothic UI, Meiryo UI) would lose its descenders in a one-line
    // box, so the box grows downwards (its label sits above it) until the
    // line fits.
    if (c.Kind() == ControlKind::TextBox) {
        const int need = TextHeight(font) + 2 * GetSystemMetricsForDpi(SM_CYEDGE, dpi) + Scale(2, dpi);
        b.height = std::max(b.height, need);
    }
    return b;
}

void DrawFolderGlyph(HDC dc, int x, int y, int size, bool opened, bool onHighlight) {
    auto s = [size](int v) { return MulDiv(v, size, 16); };
    HPEN pen = CreatePen(PS_SOLID, 1, onHighlight ? RGB(255, 255, 255) : RGB(150, 110, 20));
    HBRUSH body = CreateSolidBrush(RGB(232, 186, 64));
    HBRUSH flap = CreateSolidBrush(RGB(252, 224, 128));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, body);
    Rectangle(dc, x + s(1), y + s(2), x + s(7), y + s(5));   // tab
    Rectangle(dc, x + s(1), y + s(4), x + s(15), y + s(14)); // body
    if (opened) {
        SelectObject(dc, flap);
        const POINT front[] = {{x + s(4), y + s(7)}, {x + s(16), y + s(7)}, {x + s(14), y + s(14)}, {x + s(1), y + s(14)}};
        Polygon(dc, front, 4);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(flap);
    DeleteObject(body);
    DeleteObject(pen);
}

} // namespace

// Marks the backend's own writes, so the notifications they cause are not
// taken for the user's.
class ControlWindow::Writing {
public:
    explicit Writing(ControlWindow& c) : c_(c) { ++c_.writing_; }
    ~Writing() { --c_.writing_; }
    Writing(const Writing&) = delete;
    Writing& operator=(const Writing&) = delete;

private:
    ControlWindow& c_;
};

void ControlWindow::Create(HWND parent, HINSTANCE instance, unsigned dpi, HFONT font) {
    dpi_ = dpi;
    font_ = font; // the folder list measures its entries while it is created
    const Class cls = ClassOf(model_);
    const PixelBox b = BoxOf(model_, dpi, font_, roomRight_);
    const DWORD style = WS_CHILD | WS_VISIBLE | cls.style | (model_.Enabled() ? 0 : WS_DISABLED);
    // Created with its text: setting it afterwards is a second round of
    // messages for every control of the window.
    const ControlKind k = model_.Kind();
    const bool titled = k == ControlKind::Label || k == ControlKind::CommandButton || k == ControlKind::TextBox;
    const std::wstring text = titled ? Utf8ToWide(model_.Text()) : std::wstring();
    hwnd_ = CreateWindowExW(cls.exStyle, cls.name, text.c_str(), style, b.left, b.top, b.width, b.height, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), instance, nullptr);
    if (!hwnd_) return;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SyncAll();
    WatchShownText();
}

// Text set from outside (WM_SETTEXT, as automation and accessibility tools
// set it, to a combo box or to its field) need not tell the parent, so the
// windows that show the text say it themselves. Their window procedures are
// replaced directly: comctl32's subclassing looks its data up in a window
// property on every message, which under Wine is a call to the server and
// made the main window a third slower to show.
void ControlWindow::WatchShownText() {
    const ControlKind k = model_.Kind();
    if (k != ControlKind::TextBox && k != ControlKind::ComboBox) return;
    Watch(hwnd_, ownProc_);
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    if (k == ControlKind::ComboBox && GetComboBoxInfo(hwnd_, &combo) && combo.hwndItem) {
        field_ = combo.hwndItem;
        Watch(field_, fieldProc_);
    }
}

void ControlWindow::Watch(HWND hwnd, WNDPROC& previous) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ShownTextProc)));
}

LRESULT CALLBACK ControlWindow::ShownTextProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<ControlWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const WNDPROC previous = hwnd == self->field_ ? self->fieldProc_ : self->ownProc_;
    const LRESULT result = previous ? CallWindowProcW(previous, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
    // A choice made from outside writes its entry into the field as well.
    if (msg == WM_SETTEXT || msg == CB_SETCURSEL || msg == CB_SELECTSTRING) self->TakeShownText();
    return result;
}

void ControlWindow::Place(unsigned dpi) {
    dpi_ = dpi;
    if (!hwnd_) return;
    const PixelBox b = BoxOf(model_, dpi, font_, roomRight_);
    SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlWindow::SetFont(HFONT font, unsigned dpi) {
    font_ = font;
    dpi_ = dpi;
    if (!hwnd_) return;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (model_.Kind() == ControlKind::FolderList)
        SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, static_cast<LPARAM>(ItemHeight()));
    if (model_.Kind() == ControlKind::ListBox) SetScrollWidth();
}

// The widest row at the font as it is now: how far the list scrolls sideways.
void ControlWindow::SetScrollWidth() {
    int widest = 0;
    for (const std::string& item : listed_) widest = std::max(widest, TextWidth(font_, Utf8ToWide(item)));
    SendMessageW(hwnd_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + Scale(6, dpi_)), 0);
}

void ControlWindow::Sync(ui::Prop what) {
    if (!hwnd_) return;
    switch (what) {
    case ui::Prop::Text:
        SetTextFromModel();
        if (model_.Kind() == ControlKind::Label) Place(dpi_); // a longer line may need its room
        break;
    case ui::Prop::Enabled:
        EnableWindow(hwnd_, model_.Enabled() ? TRUE : FALSE);
        break;
    case ui::Prop::Items:
        FillList();
        break;
    case ui::Prop::ListIndex:
        SelectFromModel();
        break;
    case ui::Prop::Value:
        SetCheckFromModel();
        break;
    case ui::Prop::Path:
        InvalidateRect(hwnd_, nullptr, TRUE); // the opened chain is drawn indented
        break;
    case ui::Prop::Focus:
        break; // the form moves the focus
    }
}

void ControlWindow::SyncAll() {
    if (!hwnd_) return;
    const ControlKind k = model_.Kind();
    if (IsCombo(k) || IsListBox(k)) FillList();
    else SetTextFromModel();
    if (k == ControlKind::OptionButton) SetCheckFromModel();
}

std::wstring ControlWindow::WindowText() const {
    const int n = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(std::max(n, 0)) + 1, L'\0');
    const int got = GetWindowTextW(hwnd_, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return text;
}

void ControlWindow::SetTextFromModel() {
    switch (model_.Kind()) {
    case ControlKind::Label:
    case ControlKind::CommandButton:
    case ControlKind::TextBox:
    case ControlKind::ComboBox: {
        const std::wstring text = Utf8ToWide(model_.Text());
        // Rewriting an unchanged text would move the caret of a box being typed in.
        if (WindowText() == text) return;
        Writing w(*this);
        SetWindowTextW(hwnd_, text.c_str());
        break;
    }
    default:
        break;
    }
}

void ControlWindow::SetCheckFromModel() {
    const bool on = static_cast<const ui::OptionButton&>(model_).Value();
    Writing w(*this);
    SendMessageW(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ControlWindow::FillList() {
    const ControlKind k = model_.Kind();
    const bool combo = IsCombo(k);
    const auto& items = static_cast<const ui::ListControl&>(model_).Items();
    // Entries added at the end (one AddItem after another) go in alone:
    // refilling the whole list each time costs the square of its length.
    const bool appended = items.size() >= listed_.size() && std::equal(listed_.begin(), listed_.end(), items.begin());
    {
        Writing w(*this);
        SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
        if (!appended) SendMessageW(hwnd_, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
        const std::size_t from = appended ? listed_.size() : 0;
        if (items.size() - from > 100) {
            // Room for a long list at once, not entry by entry.
            std::size_t chars = 0;
            for (std::size_t i = from; i < items.size(); ++i) chars += items[i].size() + 1;
            SendMessageW(hwnd_, combo ? CB_INITSTORAGE : LB_INITSTORAGE, items.size() - from, chars * sizeof(wchar_t));
        }
        for (std::size_t i = from; i < items.size(); ++i) {
            const std::wstring text = Utf8ToWide(items[i]);
            SendMessageW(hwnd_, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    }
    listed_ = items;
    if (k == ControlKind::ListBox) SetScrollWidth();
    SelectFromModel();
    if (k == ControlKind::ComboBox) SetTextFromModel(); // emptying the list emptied the field
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void ControlWindow::SelectFromModel() {
    const ControlKind k = model_.Kind();
    const int index = static_cast<const ui::ListControl&>(model_).ListIndex();
    Writing w(*this);
    if (IsCombo(k)) {
        if (SendMessageW(hwnd_, CB_GETCURSEL, 0, 0) == index) return;
        // Choosing an entry writes it into the field; the field follows the
        // model's Text alone, which is announced on its own.
        const std::wstring before = k == ControlKind::ComboBox ? WindowText() : std::wstring();
        SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (k == ControlKind::ComboBox && WindowText() != before) SetWindowTextW(hwnd_, before.c_str());
    } else if (IsListBox(k)) {
        if (SendMessageW(hwnd_, LB_GETCURSEL, 0, 0) == index) return;
        SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void ControlWindow::ShowAsDefault(bool on) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD next = (style & 0xFFFFu & ~static_cast<DWORD>(BS_TYPEMASK)) | (on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    SendMessageW(hwnd_, BM_SETSTYLE, next, TRUE);
}

void ControlWindow::OnCommand(int code) {
    if (writing_ > 0 || !hwnd_) return;
    switch (model_.Kind()) {
    case ControlKind::CommandButton:
        OnButton(code);
        break;
    case ControlKind::OptionButton:
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) ChooseOption();
        break;
    case ControlKind::TextBox:
        if (code == EN_CHANGE) TakeShownText();
        break;
    case ControlKind::ComboBox:
        if (code == CBN_EDITCHANGE) TakeShownText();
        else if (code == CBN_SELCHANGE) TakeSelection();
        break;
    case ControlKind::FolderList:
        if (code == LBN_SELCHANGE) TakeSelection();
        else if (code == LBN_DBLCLK) OpenSelection();
        break;
    case ControlKind::DriveList:
        if (code == CBN_SELCHANGE) TakeSelection();
        break;
    case ControlKind::FileList:
        if (code == LBN_SELCHANGE) TakeSelection();
        break;
    case ControlKind::ListBox:
        if (code == LBN_SELCHANGE) TakeSelection();
        else if (code == LBN_DBLCLK) OpenSelection();
        break;
    default:
        break;
    }
}

void ControlWindow::OnEnter() {
    // Enter opens the highlighted folder or row, as a double-click does, so
    // the lists work from the keyboard alone.
    const ControlKind k = model_.Kind();
    if (hwnd_ && (k == ControlKind::FolderList || k == ControlKind::ListBox)) OpenSelection();
}

// A user action may run handlers that unload this form: hwnd_ is cleared
// then, and each step below writes nothing more into the control.

void ControlWindow::OnButton(int code) {
    if (code == BN_CLICKED) model_.UserClick();
    else if (code == BN_SETFOCUS) ShowAsDefault(true);
    else if (code == BN_KILLFOCUS) ShowAsDefault(false);
}

void ControlWindow::ChooseOption() {
    static_cast<ui::OptionButton&>(model_).UserChoose();
    if (hwnd_) SetCheckFromModel();
}

// Typed, pasted, from an IME or set from outside: the model takes what the
// control shows; when it refuses (its form takes no input), the control
// shows the model's text again.
void ControlWindow::TakeShownText() {
    if (writing_ > 0 || !hwnd_) return;
    const std::string shown = WideToUtf8(WindowText());
    if (shown == model_.Text()) return;
    if (!model_.UserType(shown) && hwnd_) SetTextFromModel();
}

int ControlWindow::SelectionOnScreen() const {
    return static_cast<int>(SendMessageW(hwnd_, IsCombo(model_.Kind()) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

void ControlWindow::TakeSelection() {
    const int index = SelectionOnScreen();
    switch (model_.Kind()) {
    case ControlKind::ComboBox:
        static_cast<ui::ComboBox&>(model_).UserSelect(index);
        break;
    case ControlKind::DriveList:
        static_cast<ui::DriveListBox&>(model_).UserSelect(index);
        break;
    case ControlKind::FolderList:
        static_cast<ui::DirListBox&>(model_).UserHighlight(index);
        break;
    case ControlKind::FileList:
        static_cast<ui::FileListBox&>(model_).UserSelect(index);
        break;
    case ControlKind::ListBox:
        static_cast<ui::ListBox&>(model_).UserSelect(index);
        break;
    default:
        return;
    }
    // A choice the model refuses (a drive that could not be read) steps back.
    if (hwnd_) SelectFromModel();
}

void ControlWindow::OpenSelection() {
    if (model_.Kind() == ControlKind::ListBox) static_cast<ui::ListBox&>(model_).UserOpen(SelectionOnScreen());
    else static_cast<ui::DirListBox&>(model_).UserOpen(SelectionOnScreen());
    if (hwnd_) SelectFromModel();
}

bool ControlWindow::IsTextField(HWND part) const {
    const ControlKind k = model_.Kind();
    return k == ControlKind::TextBox || (k == ControlKind::ComboBox && part && part == field_);
}

int ControlWindow::ItemHeight() const {
    return std::max<int>(TextHeight(font_) + Scale(2, dpi_), Scale(18, dpi_));
}

void ControlWindow::Measure(MEASUREITEMSTRUCT& m) const {
    m.itemHeight = static_cast<UINT>(ItemHeight());
}

void ControlWindow::Draw(const DRAWITEMSTRUCT& d) const {
    if (model_.Kind() != ControlKind::FolderList) return;
    if (d.itemID == static_cast<UINT>(-1)) {
        if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
        return;
    }
    const auto index = static_cast<int>(d.itemID);
    const int open = static_cast<const ui::DirListBox&>(model_).OpenIndex();
    // The chain down to the opened folder steps in; its sub-folders sit one
    // step below it.
    const bool inChain = index <= open;
    const int level = inChain ? index : open + 1;
    const bool selected = (d.itemState & ODS_SELECTED) != 0;
    const bool disabled = (d.itemState & ODS_DISABLED) != 0;

    FillRect(d.hDC, &d.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int glyph = Scale(16, dpi_);
    const int x = d.rcItem.left + Scale(2, dpi_) + level * Scale(10, dpi_);
    const int y = d.rcItem.top + (d.rcItem.bottom - d.rcItem.top - glyph) / 2;
    DrawFolderGlyph(d.hDC, x, y, glyph, inChain, selected);

    const auto length = static_cast<int>(SendMessageW(d.hwndItem, LB_GETTEXTLEN, d.itemID, 0));
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const auto got = static_cast<int>(SendMessageW(d.hwndItem, LB_GETTEXT, d.itemID, reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<std::size_t>(std::max(got, 0)));

    HGDIOBJ oldFont = SelectObject(d.hDC, font_);
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    RECT tr = d.rcItem;
    tr.left = x + glyph + Scale(4, dpi_);
    DrawTextW(d.hDC, text.c_str(), static_cast<int>(text.size()), &tr,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(d.hDC, oldFont);
    if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
}

} // namespace telk::winui
