// The Win32 backend against real windows (under Wine in Xvfb): frames and
// sizes from twips, the model mirrored into the standard controls, the
// user's actions through the controls back into the model, and the loops.

#include "platform/win32/WinApi.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/ChildProgram.h"
#include "platform/win32/FileSystem_win.h"
#include "platform/win32/Utf16.h"
#include "store/ProgramState.h"
#include "support/TempDir.h"
#include "ui/Windows.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Fonts.h"
#include "ui/win32/Win32Ui.h"

namespace telk::test {
namespace {

using ui::Align;

// A form like the program's: declared out of tab order on purpose.
class SampleForm : public ui::Form {
public:
    explicit SampleForm(ui::Ui& host, ui::FormLayout layout = {"試験の窓", 4800, 3000})
        : Form(host, std::move(layout)),
          Label1(*this, {"Label1", -1, {120, 120, 900, 255}, 0, "名前"}),
          Text1(*this, {"Text1", -1, {1200, 120, 2400, 300}, 1, "最初"}),
          Command2(*this, {"Command2", -1, {1440, 600, 1200, 495}, 3, "二番"}),
          Command1(*this, {"Command1", -1, {120, 600, 1200, 495}, 2, "一番\r\n二行目"}),
          Combo1(*this, {"Combo1", -1, {120, 1200, 2400, 300}, 4, ""}),
          Option0(*this, {"Option1", 0, {120, 1800, 255, 375}, 5, ""}),
          Option1(*this, {"Option1", 1, {120, 2280, 255, 375}, 6, ""}),
          Label2(*this, {"Label2", -1, {3000, 1800, 1500, 255}, 7, "中央", Align::Center}) {
        Command1.Click = [this] { ++clicks1; };
        Command2.Click = [this] { ++clicks2; };
        Combo1.Click = [this] { ++comboClicks; };
        Option0.Click = [this] { ++optionClicks; };
        Option1.Click = [this] { ++optionClicks; };
    }

    ui::Label Label1;
    ui::TextBox Text1;
    ui::CommandButton Command2;
    ui::CommandButton Command1;
    ui::ComboBox Combo1;
    ui::OptionButton Option0;
    ui::OptionButton Option1;
    ui::Label Label2;

    int clicks1 = 0, clicks2 = 0, comboClicks = 0, optionClicks = 0;
};

class Win32UiTest : public ::testing::Test {
protected:
    // Realised as the window registry does it; not shown unless a test
    // needs the keyboard (a shown window costs Wine more to take down).
    void Load(ui::Form& form) {
        ui_.Realize(form);
        form.MarkLoaded(true);
    }
    void Unload(ui::Form& form) {
        form.MarkLoaded(false);
        ui_.Unrealize(form);
    }

    HWND Of(const ui::Control& c) const { return ui_.WindowOf(c); }
    HWND Of(const ui::Form& f) const { return ui_.WindowOf(f); }
    unsigned Dpi(const ui::Form& f) const { return GetDpiForWindow(Of(f)); }

    static std::wstring TextOf(HWND hwnd) {
        wchar_t buffer[512] = {};
        GetWindowTextW(hwnd, buffer, 512);
        return buffer;
    }
    static RECT ChildRect(HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // What a control tells its parent when the user acts on it.
    static void Notify(HWND control, int code) {
        SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                     reinterpret_cast<LPARAM>(control));
    }

    winui::Win32Ui ui_{GetModuleHandleW(nullptr)};
};

TEST_F(Win32UiTest, AFormIsATopLevelWindowWithoutSystemMenuOrCloseBox) {
    SampleForm form(ui_);
    Load(form);
    HWND hwnd = Of(form);
    ASSERT_NE(hwnd, nullptr);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(style & WS_SYSMENU, 0u);
    EXPECT_EQ(style & WS_CHILD, 0u);
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);
    EXPECT_EQ(TextOf(hwnd), L"試験の窓");
    Unload(form);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Win32UiTest, CloseRequestsAreIgnored) {
    SampleForm form(ui_);
    Load(form);
    SendMessageW(Of(form), WM_CLOSE, 0, 0);
    SendMessageW(Of(form), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(Of(form)));
    Unload(form);
}

// A picker's unload is what ends its caller's wait. When its click came as
// a message sent from another thread (UI automation invokes a button so),
// GetMessage handles it without returning; only a posted message lets the
// wait test its condition again.
TEST_F(Win32UiTest, UnloadingAFormWakesAWaitBlockedInGetMessage) {
    SampleForm caller(ui_);
    SampleForm picker(ui_);
    Load(caller);
    Load(picker);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_NULL, WM_NULL, PM_REMOVE)) {
    }
    Unload(picker);
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_NULL, WM_NULL, PM_REMOVE));
    Unload(caller);
}

TEST_F(Win32UiTest, AFormWithoutTitleBarIsABorderedPopup) {
    SampleForm form(ui_, {"", 5970, 1245, /*titleBar=*/false});
    Load(form);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(Of(form), GWL_STYLE));
    EXPECT_NE(style & WS_POPUP, 0u);
    EXPECT_NE(style & WS_BORDER, 0u);
    EXPECT_NE(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    Unload(form);
}

TEST_F(Win32UiTest, TheClientAreaIsTheFormsTwipsAtTheWindowsDpi) {
    SampleForm form(ui_);
    Load(form);
    const unsigned dpi = Dpi(form);
    RECT client{}, outer{};
    GetClientRect(Of(form), &client);
    GetWindowRect(Of(form), &outer);
    EXPECT_EQ(client.right, winui::TwipsToPixels(4800, dpi));
    EXPECT_EQ(client.bottom, winui::TwipsToPixels(3000, dpi));
    // The outer size reported to the model is the frame as it stands.
    EXPECT_EQ(form.Width(), winui::PixelsToTwips(outer.right - outer.left, dpi));
    EXPECT_EQ(form.Height(), winui::PixelsToTwips(outer.bottom - outer.top, dpi));
    EXPECT_GT(form.Height(), 3000); // border and title bar
    Unload(form);
}

TEST_F(Win32UiTest, MovingTheFormPlacesTheWindowInTwips) {
    SampleForm form(ui_);
    Load(form);
    form.Move(1500, 3000);
    RECT outer{};
    GetWindowRect(Of(form), &outer);
    EXPECT_EQ(outer.left, winui::TwipsToPixels(1500, Dpi(form)));
    EXPECT_EQ(outer.top, winui::TwipsToPixels(3000, Dpi(form)));
    Unload(form);
}

TEST_F(Win32UiTest, CentringUsesTheScreenAndTheOuterSize) {
    SampleForm form(ui_);
    Load(form);
    form.CenterOnScreen();
    const ui::ScreenSize screen = ui_.Screen();
    EXPECT_DOUBLE_EQ(form.Top(), static_cast<float>((static_cast<float>(screen.height) - static_cast<float>(form.Height())) / 2.0f));
    RECT outer{};
    GetWindowRect(Of(form), &outer);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_LE(std::abs((width - (outer.right - outer.left)) / 2 - outer.left), 1);
    Unload(form);
}

TEST_F(Win32UiTest, ControlsSitWhereTheTwipsSayInTabOrder) {
    SampleForm form(ui_);
    Load(form);
    const unsigned dpi = Dpi(form);
    const RECT r = ChildRect(Of(form.Command2));
    EXPECT_EQ(r.left, winui::TwipsToPixels(1440, dpi));
    EXPECT_EQ(r.top, winui::TwipsToPixels(600, dpi));
    EXPECT_EQ(r.right, winui::TwipsToPixels(1440 + 1200, dpi));
    EXPECT_EQ(r.bottom, winui::TwipsToPixels(600 + 495, dpi));

    // Tab goes by tab index, not by declaration: Text1, Command1, Command2 …
    HWND hwnd = Of(form);
    HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    EXPECT_EQ(first, Of(form.Text1));
    EXPECT_EQ(GetNextDlgTabItem(hwnd, Of(form.Text1), FALSE), Of(form.Command1));
    EXPECT_EQ(GetNextDlgTabItem(hwnd, Of(form.Command1), FALSE), Of(form.Command2));
    EXPECT_EQ(GetNextDlgTabItem(hwnd, Of(form.Command2), FALSE), Of(form.Combo1));
    // A disabled control is passed over.
    form.Command2.SetEnabled(false);
    EXPECT_EQ(GetNextDlgTabItem(hwnd, Of(form.Command1), FALSE), Of(form.Combo1));
    Unload(form);
}

TEST_F(Win32UiTest, StandardControlsOfTheRightKinds) {
    SampleForm form(ui_);
    Load(form);
    wchar_t cls[64];
    GetClassNameW(Of(form.Text1), cls, 64);
    EXPECT_STREQ(cls, L"Edit");
    GetClassNameW(Of(form.Combo1), cls, 64);
    EXPECT_STREQ(cls, L"ComboBox");
    const auto button = static_cast<DWORD>(GetWindowLongPtrW(Of(form.Command1), GWL_STYLE));
    EXPECT_NE(button & BS_MULTILINE, 0u); // the CR LF caption shows two lines
    EXPECT_EQ(TextOf(Of(form.Command1)), L"一番\r\n二行目");
    const auto radio = static_cast<DWORD>(GetWindowLongPtrW(Of(form.Option0), GWL_STYLE));
    EXPECT_EQ(radio & BS_TYPEMASK, static_cast<DWORD>(BS_RADIOBUTTON)); // not automatic
    const auto combo = static_cast<DWORD>(GetWindowLongPtrW(Of(form.Combo1), GWL_STYLE));
    EXPECT_EQ(combo & 3u, static_cast<DWORD>(CBS_DROPDOWN));
    const auto centred = static_cast<DWORD>(GetWindowLongPtrW(Of(form.Label2), GWL_STYLE));
    EXPECT_EQ(centred & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
    EXPECT_NE(centred & SS_NOPREFIX, 0u);
    Unload(form);
}

TEST_F(Win32UiTest, ModelChangesReachTheControls) {
    SampleForm form(ui_);
    Load(form);
    form.Label1.SetText("インストールフォルダ");
    EXPECT_EQ(TextOf(Of(form.Label1)), L"インストールフォルダ");
    form.Text1.SetText("C:\\ゲーム\\UO");
    EXPECT_EQ(TextOf(Of(form.Text1)), L"C:\\ゲーム\\UO");
    // Setting the box from code is not typing: the model keeps its text.
    EXPECT_EQ(form.Text1.Text(), "C:\\ゲーム\\UO");
    form.Command1.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(Of(form.Command1)));
    form.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(Of(form)));
    form.SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(Of(form)));
    Unload(form);
}

// What a field shows is what the model has, however the text got there:
// typed, or set from outside (automation and accessibility tools send
// WM_SETTEXT to the box, the combo box or its field, or choose an entry).
TEST_F(Win32UiTest, TheModelTakesWhatAFieldShows) {
    SampleForm form(ui_);
    Load(form);
    form.Combo1.AddItem("Nobody");
    form.Combo1.AddItem("Somebody");
    form.Combo1.SetListIndex(0);
    const HWND combo = Of(form.Combo1);
    const HWND field = GetWindow(combo, GW_CHILD);
    struct Case {
        const char* how;
        std::function<void()> set;
        const ui::Control& control;
        const char* shown;
    } cases[] = {
        {"WM_SETTEXT to a text box", [&] { SendMessageW(Of(form.Text1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"打った文字")); }, form.Text1, "打った文字"},
        {"WM_SETTEXT to a combo box", [&] { SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"誰か")); }, form.Combo1, "誰か"},
        {"WM_SETTEXT to its field", [&] { SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"field")); }, form.Combo1, "field"},
        {"CB_SETCURSEL without a notification", [&] { SendMessageW(combo, CB_SETCURSEL, 1, 0); }, form.Combo1, "Somebody"},
    };
    for (const Case& c : cases) {
        c.set();
        EXPECT_EQ(c.control.Text(), c.shown) << c.how;
        EXPECT_EQ(TextOf(Of(c.control)), Utf8ToWide(c.shown)) << c.how;
    }
    EXPECT_EQ(form.comboClicks, 1); // only the choice from code
    Unload(form);
}

TEST_F(Win32UiTest, ADisabledFormTakesNoClickAndNoText) {
    SampleForm form(ui_);
    Load(form);
    form.SetEnabled(false);
    Notify(Of(form.Command1), BN_CLICKED);
    EXPECT_EQ(form.clicks1, 0);
    SetWindowTextW(Of(form.Text1), L"入らない");
    EXPECT_EQ(form.Text1.Text(), "最初");
    EXPECT_EQ(TextOf(Of(form.Text1)), L"最初"); // the box shows the model again
    SetWindowTextW(Of(form.Combo1), L"入らない");
    EXPECT_EQ(form.Combo1.Text(), "");
    EXPECT_EQ(TextOf(Of(form.Combo1)), L"");
    form.SetEnabled(true);
    Notify(Of(form.Command1), BN_CLICKED);
    EXPECT_EQ(form.clicks1, 1);
    Unload(form);
}

TEST_F(Win32UiTest, AButtonClickRaisesItsClickOnce) {
    SampleForm form(ui_);
    Load(form);
    SendMessageW(Of(form.Command2), BM_CLICK, 0, 0);
    EXPECT_EQ(form.clicks2, 1);
    EXPECT_EQ(form.clicks1, 0);
    Unload(form);
}

TEST_F(Win32UiTest, OptionButtonsAreDrivenByTheModel) {
    SampleForm form(ui_);
    Load(form);
    Notify(Of(form.Option1), BN_CLICKED);
    EXPECT_TRUE(form.Option1.Value());
    EXPECT_EQ(form.optionClicks, 1);
    EXPECT_EQ(SendMessageW(Of(form.Option1), BM_GETCHECK, 0, 0), BST_CHECKED);
    // From code: the other one goes off in the model and on screen.
    form.Option0.SetValue(true);
    EXPECT_EQ(form.optionClicks, 2);
    EXPECT_EQ(SendMessageW(Of(form.Option0), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Of(form.Option1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // Choosing the one that is on raises nothing more.
    Notify(Of(form.Option0), BN_CLICKED);
    EXPECT_EQ(form.optionClicks, 2);
    Unload(form);
}

TEST_F(Win32UiTest, ComboBoxMirrorsItemsChoiceAndText) {
    SampleForm form(ui_);
    Load(form);
    HWND combo = Of(form.Combo1);
    for (const char* item : {"アカウント1", "acct2", "acct3"}) form.Combo1.AddItem(item);
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    form.Combo1.SetListIndex(1);
    EXPECT_EQ(form.comboClicks, 1);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(TextOf(combo), L"acct2");

    // The user picks the first entry.
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    Notify(combo, CBN_SELCHANGE);
    EXPECT_EQ(form.Combo1.ListIndex(), 0);
    EXPECT_EQ(form.Combo1.Text(), "アカウント1");
    EXPECT_EQ(form.comboClicks, 2);

    // The user types into the field (over the chosen text): the text
    // counts, no click.
    HWND field = GetWindow(combo, GW_CHILD);
    ASSERT_NE(field, nullptr);
    SendMessageW(field, EM_SETSEL, 0, -1);
    for (wchar_t ch : std::wstring(L"手入力")) SendMessageW(field, WM_CHAR, ch, 1);
    EXPECT_EQ(form.Combo1.Text(), "手入力");
    EXPECT_EQ(form.comboClicks, 2);

    // Adding an entry keeps what the field shows.
    form.Combo1.AddItem("acct4");
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(TextOf(combo), L"手入力");

    form.Combo1.Clear();
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(TextOf(combo), L"");
    Unload(form);
}

TEST_F(Win32UiTest, AOneLineLabelTakesTheRoomItNeedsUpToItsNeighbour) {
    SampleForm form(ui_);
    Load(form);
    const unsigned dpi = Dpi(form);
    // Far too long for its 900 twips; Text1 begins at 1200.
    form.Label1.SetText("アカウント選択アカウント選択アカウント選択");
    const RECT r = ChildRect(Of(form.Label1));
    EXPECT_GT(r.right, winui::TwipsToPixels(120 + 900, dpi));
    EXPECT_LE(r.right, winui::TwipsToPixels(1200, dpi));
    Unload(form);
}

TEST_F(Win32UiTest, ControlsGetTheRequestedFontSize) {
    class Wait : public ui::Form {
    public:
        explicit Wait(ui::Ui& host)
            : Form(host, {"", 5970, 1245, false}),
              Label1(*this, {"Label1", -1, {960, 360, 4215, 495}, 0, "処理中～ちょっとまっててね", Align::Left,
                             {"ＭＳ Ｐゴシック", 18, false}}) {}
        ui::Label Label1;
    } form(ui_);
    SampleForm other(ui_);
    Load(form);
    Load(other);
    LOGFONTW lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageW(Of(form.Label1), WM_GETFONT, 0, 0));
    ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfHeight, winui::FontHeight(18, Dpi(form)));
    font = reinterpret_cast<HFONT>(SendMessageW(Of(other.Text1), WM_GETFONT, 0, 0));
    ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfHeight, winui::FontHeight(9, Dpi(other)));
    Unload(other);
    Unload(form);
}

TEST_F(Win32UiTest, ANewDpiLaysTheWindowOutAgain) {
    SampleForm form(ui_);
    Load(form);
    HWND hwnd = Of(form);
    RECT suggested{0, 0, 0, 0};
    GetWindowRect(hwnd, &suggested);
    suggested.right = suggested.left + (suggested.right - suggested.left) * 3 / 2;
    suggested.bottom = suggested.top + (suggested.bottom - suggested.top) * 3 / 2;
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

    RECT outer{};
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.right - outer.left, suggested.right - suggested.left);
    const RECT r = ChildRect(Of(form.Command2));
    EXPECT_EQ(r.left, winui::TwipsToPixels(1440, 144));
    EXPECT_EQ(r.bottom, winui::TwipsToPixels(600 + 495, 144));
    LOGFONTW lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageW(Of(form.Command2), WM_GETFONT, 0, 0));
    ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfHeight, winui::FontHeight(9, 144));
    Unload(form);
}

// A list opens a row on a double-click; a plain list also on Enter, which
// the dialog manager hands the form while the list has the focus.
TEST_F(Win32UiTest, AListOpensTheDoubleClickedOrEnteredRow) {
    TempDir dir;
    dir.MakeFolder("UO\\Desktop");
    dir.MakeFolder("UO\\Music");
    Win32FileSystem fs;
    class Picker : public ui::Form {
    public:
        Picker(ui::Ui& host, FileSystem& files)
            : Form(host, {"フォルダ選択", 5130, 4005}), Dir1(*this, {"Dir1", -1, {120, 120, 3495, 3030}, 0, ""}, files),
              List1(*this, {"List1", -1, {3720, 120, 1290, 3030}, 1, ""}) {
            Dir1.Change = [this] { ++changes; };
            List1.DblClick = [this] { opened = List1.ListIndex(); };
        }
        ui::DirListBox Dir1;
        ui::ListBox List1;
        int changes = 0, opened = -1;
    } form(ui_, fs);
    Load(form);
    form.Dir1.SetPath(dir.Win("UO"));
    HWND list = Of(form.Dir1);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), form.Dir1.ListCount());
    const int open = form.Dir1.OpenIndex();
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), open);

    // Highlighting is not opening.
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(open + 2), 0); // "Music"
    Notify(list, LBN_SELCHANGE);
    EXPECT_EQ(form.Dir1.ListIndex(), open + 2);
    EXPECT_TRUE(SamePathNoCase(form.Dir1.Path(), dir.Win("UO")));

    Notify(list, LBN_DBLCLK);
    EXPECT_TRUE(SamePathNoCase(form.Dir1.Path(), dir.Win("UO\\Music")));
    EXPECT_EQ(form.changes, 2);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), form.Dir1.ListCount());

    for (const char* row : {"一つ目", "二つ目"}) form.List1.AddItem(row);
    const HWND rows = Of(form.List1);
    const std::pair<const char*, std::function<void()>> opens[] = {
        {"a double-click", [&] { Notify(rows, LBN_DBLCLK); }},
        {"Enter", [&] { SetFocus(rows); PostMessageW(rows, WM_KEYDOWN, VK_RETURN, 0); ui_.DoEvents(); }},
    };
    for (int row = 0; row < 2; ++row) {
        SendMessageW(rows, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        opens[row].second();
        EXPECT_EQ(form.opened, row) << opens[row].first;
    }
    Unload(form);
}

TEST_F(Win32UiTest, DoEventsRunsWhatIsPending) {
    SampleForm form(ui_);
    Load(form);
    PostMessageW(Of(form), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Of(form.Command1)), BN_CLICKED),
                 reinterpret_cast<LPARAM>(Of(form.Command1)));
    EXPECT_EQ(form.clicks1, 0);
    ui_.DoEvents();
    EXPECT_EQ(form.clicks1, 1);
    Unload(form);
}

TEST_F(Win32UiTest, AWaitEndsWhenAnEventChangesItsCondition) {
    SampleForm form(ui_);
    Load(form);
    int flag = 1;
    form.Command2.Click = [&] { flag = 0; };
    // Three other events first: the wait goes on through them.
    for (int i = 0; i < 3; ++i)
        PostMessageW(Of(form), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Of(form.Command1)), BN_CLICKED),
                     reinterpret_cast<LPARAM>(Of(form.Command1)));
    PostMessageW(Of(form), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Of(form.Command2)), BN_CLICKED),
                 reinterpret_cast<LPARAM>(Of(form.Command2)));
    ui_.WaitWhile([&] { return flag != 0; });
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(form.clicks1, 3);
    Unload(form);
}

TEST_F(Win32UiTest, AQuitDuringAWaitEndsItAndIsKeptForTheOuterLoop) {
    SampleForm form(ui_);
    Load(form);
    PostQuitMessage(7);
    ui_.WaitWhile([] { return true; });
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    Unload(form);
}

TEST_F(Win32UiTest, AHandlerMayUnloadItsOwnForm) {
    SampleForm form(ui_);
    Load(form);
    HWND hwnd = Of(form);
    form.Command1.Click = [&] { Unload(form); };
    SendMessageW(Of(form.Command1), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Of(form), nullptr);
    // The model lives on; changing it reaches no window.
    form.Text1.SetText("後から");
    EXPECT_EQ(form.Text1.Text(), "後から");
}

TEST_F(Win32UiTest, AFailingHandlerIsReportedAndTheProgramGoesOn) {
    SampleForm form(ui_);
    Load(form);
    form.Command1.Click = [] { throw std::runtime_error("壊れた"); };
    std::atomic<bool> seen{false};
    std::wstring text;
    // The report is a message box: read it and press OK from another thread.
    std::thread answerer([&] {
        for (int i = 0; i < 3000 && !seen; ++i) {
            HWND box = FindWindowW(L"#32770", L"TELK");
            if (box) {
                wchar_t buffer[256] = {};
                GetDlgItemTextW(box, 0xFFFF, buffer, 256);
                text = buffer;
                seen = true;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            } else {
                Sleep(10);
            }
        }
    });
    SendMessageW(Of(form.Command1), BM_CLICK, 0, 0);
    answerer.join();
    ASSERT_TRUE(seen);
    EXPECT_NE(text.find(L"壊れた"), std::wstring::npos);
    EXPECT_TRUE(IsWindow(Of(form)));
    Unload(form);
}

TEST_F(Win32UiTest, MessageBoxesShowTheTextAndTitleAndAnswer) {
    SampleForm form(ui_);
    Load(form);
    struct Seen {
        std::wstring title, text;
        bool cancel = false;
    };
    auto run = [&](const std::string& title, ui::Buttons buttons, int press, Seen& seen) {
        std::atomic<bool> done{false};
        std::thread answerer([&] {
            for (int i = 0; i < 3000 && !done; ++i) {
                HWND box = FindWindowW(L"#32770", nullptr);
                if (box && GetWindowThreadProcessId(box, nullptr) == GetWindowThreadProcessId(Of(form), nullptr)) {
                    wchar_t buffer[256] = {};
                    GetWindowTextW(box, buffer, 256);
                    seen.title = buffer;
                    GetDlgItemTextW(box, 0xFFFF, buffer, 256);
                    seen.text = buffer;
                    seen.cancel = GetDlgItem(box, IDCANCEL) != nullptr;
                    done = true;
                    PostMessageW(box, press == VK_RETURN ? WM_KEYDOWN : WM_COMMAND, static_cast<WPARAM>(press), 0);
                } else {
                    Sleep(10);
                }
            }
        });
        const ui::Answer answer = ui_.MessageBox("終わってもいいかな？", buttons, title);
        answerer.join();
        return answer;
    };
    Seen a, b, c;
    EXPECT_EQ(run("確認しま～す", ui::Buttons::OkCancel, IDCANCEL, a), ui::Answer::Cancel);
    EXPECT_EQ(a.title, L"確認しま～す");
    EXPECT_EQ(a.text, L"終わってもいいかな？");
    EXPECT_TRUE(a.cancel);
    EXPECT_EQ(run("確認しま～す", ui::Buttons::OkCancel, IDOK, b), ui::Answer::Ok);
    EXPECT_EQ(run("確認しま～す", ui::Buttons::OkCancelDefaultCancel, VK_RETURN, b), ui::Answer::Cancel);
    EXPECT_EQ(run("", ui::Buttons::Ok, IDOK, c), ui::Answer::Ok);
    EXPECT_EQ(c.title, L"TELK");
    EXPECT_FALSE(c.cancel);
    Unload(form);
}

// A slot row's option button has no caption for the system to frame: the
// form frames it with its label while it has the focus, and nowhere else.
// (Wine shows focus frames always: the UI state that hides them is
// Windows' own.)
TEST_F(Win32UiTest, ACaptionlessOptionButtonShowsItsFocusWithItsLabel) {
    class Rows : public ui::Form {
    public:
        explicit Rows(ui::Ui& host)
            : Form(host, {"行", 4800, 1440}),
              Option1([&](int i) { return std::make_unique<ui::OptionButton>(*this, ui::ControlLayout{"Option1", i, {120, 240 + 480 * i, 255, 375}, 2 * i}); }),
              Label4([&](int i) { return std::make_unique<ui::Label>(*this, ui::ControlLayout{"Label4", i, {480, 240 + 480 * i, 1455, 375}, 9 + i, "未使用"}); }),
              Text1([&](int i) { return std::make_unique<ui::TextBox>(*this, ui::ControlLayout{"Text1", i, {2040, 240 + 480 * i, 2295, 375}, 2 * i + 1, "Slot"}); }) {}
        ui::ControlArray<ui::OptionButton, 2> Option1;
        ui::ControlArray<ui::Label, 2> Label4;
        ui::ControlArray<ui::TextBox, 2> Text1;
    } form(ui_);
    Load(form);
    form.Show();
    const HWND hwnd = Of(form);
    std::vector<RECT> controls;
    for (const ui::Control* c : form.Controls()) controls.push_back(ChildRect(Of(*c)));
    // Whether each row has marks of the form's own between its controls.
    auto framed = [&] {
        UpdateWindow(hwnd);
        HDC dc = GetDC(hwnd);
        RECT client{};
        GetClientRect(hwnd, &client);
        const RECT first = ChildRect(Of(form.Option1(0))), second = ChildRect(Of(form.Option1(1)));
        const LONG between = (first.top + first.bottom + second.top + second.bottom) / 4;
        std::pair<bool, bool> rows{false, false};
        for (POINT p{0, 0}; p.y < client.bottom; ++p.y)
            for (p.x = 0; p.x < client.right; ++p.x)
                if (std::none_of(controls.begin(), controls.end(), [&](const RECT& r) { return PtInRect(&r, p); }) &&
                    GetPixel(dc, p.x, p.y) != GetSysColor(COLOR_BTNFACE))
                    (p.y < between ? rows.first : rows.second) = true;
        ReleaseDC(hwnd, dc);
        return rows;
    };
    const struct {
        const char* what;
        ui::Control& focus;
        std::pair<bool, bool> rows;
    } cases[] = {
        {"the first row's button", form.Option1(0), {true, false}},
        {"the second row's button, as the arrow key moves", form.Option1(1), {false, true}},
        {"a name box", form.Text1(1), {false, false}},
    };
    for (const auto& c : cases) {
        c.focus.SetFocus();
        EXPECT_EQ(framed(), c.rows) << c.what;
    }
    Unload(form);
}

// The form's menu comes up anywhere but in a text field, which keeps its
// own. Each request goes where the system sends it (a disabled control's
// click to the form). It opens at the point clicked, or below the focused
// control with its first enabled item highlighted, which Enter chooses.
TEST_F(Win32UiTest, TheFormsMenuOpensEverywhereButInATextField) {
    struct MenuForm : SampleForm {
        using SampleForm::SampleForm;
        void Form_ContextMenu(std::vector<ui::MenuItem>& items) override { items = menu; }
        void Form_MenuClick(int index) override { chosen = index; }
        std::vector<ui::MenuItem> menu{{"灰色", false}, {"選べる", true}};
        int chosen = -1;
    } form(ui_);
    Load(form);
    form.Show();
    const HWND hwnd = Of(form), text = Of(form.Text1), button = Of(form.Command2);
    auto rect = [](HWND c) { RECT r{}; GetWindowRect(c, &r); return r; };
    auto at = [&](HWND c) { const RECT r = rect(c); return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
    auto below = [&](HWND c) { return POINT{rect(c).left, rect(c).bottom}; };
    const POINT corner{rect(hwnd).right - 8, rect(hwnd).bottom - 8}, key{-1, -1};
    auto send = [](HWND to, HWND from, POINT p) { SendMessageW(to, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(from), MAKELPARAM(p.x, p.y)); };
    // What is highlighted as the menu's loop takes Enter, after any key
    // posted before it: read in its message filter.
    static int highlighted;
    const HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, [](int code, WPARAM wp, LPARAM lp) -> LRESULT {
        const auto* m = reinterpret_cast<const MSG*>(lp);
        if (code == MSGF_MENU && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) {
            const auto menu = reinterpret_cast<HMENU>(SendMessageW(FindWindowW(L"#32768", nullptr), MN_GETHMENU, 0, 0));
            for (UINT i = 0; i < 2; ++i)
                if (GetMenuState(menu, i, MF_BYPOSITION) & MF_HILITE) highlighted = static_cast<int>(i);
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }, nullptr, GetCurrentThreadId());
    const std::tuple<const char*, std::function<void()>, bool, POINT, int> cases[] = {
        {"right-click in the text box", [&] { send(text, text, at(text)); }, false, {}, -1},
        {"right-click on a button", [&] { send(button, button, at(button)); }, true, at(button), -1},
        {"right-click on the bare form", [&] { send(hwnd, hwnd, corner); }, true, corner, -1},
        {"right-click on a label", [&] { send(hwnd, hwnd, at(Of(form.Label2))); }, true, at(Of(form.Label2)), -1},
        {"right-click on a disabled combo box's field", [&] { form.Combo1.SetEnabled(false); send(hwnd, hwnd, at(GetWindow(Of(form.Combo1), GW_CHILD))); }, false, {}, -1},
        {"the menu key in the text box", [&] { SetFocus(text); send(text, text, key); }, false, {}, -1},
        {"the menu key on a button", [&] { SetFocus(button); send(button, button, key); }, true, below(button), 1},
        {"right-click on a disabled text box", [&] { form.Text1.SetEnabled(false); send(hwnd, hwnd, at(text)); }, false, {}, -1},
        {"the menu key with nothing to choose", [&] { form.menu[1].enabled = false; SetFocus(button); send(button, button, key); }, true, below(button), -1},
    };
    for (const auto& [what, request, formsMenu, where, chosen] : cases) {
        std::atomic<int> items{0};
        POINT shown{};
        std::thread watcher([&] {
            for (int i = 0; i < 300 && items == 0; ++i, Sleep(10)) {
                HWND menu = FindWindowW(L"#32768", nullptr);
                if (!menu || !IsWindowVisible(menu)) continue;
                shown = {rect(menu).left, rect(menu).top};
                items = GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0)));
                PostMessageW(hwnd, WM_KEYDOWN, items == 2 ? VK_RETURN : VK_ESCAPE, 0);
            }
        });
        form.chosen = highlighted = -1;
        request();
        if (items == 0) items = -1; // nothing came up: the watcher stops
        watcher.join();
        EXPECT_EQ(items == 2, formsMenu) << what << ": a menu of " << items << " items";
        EXPECT_EQ(highlighted, chosen) << what;
        EXPECT_EQ(form.chosen, chosen) << what;
        if (formsMenu) {
            EXPECT_EQ(std::make_pair(shown.x, shown.y), std::make_pair(where.x, where.y)) << what;
        }
    }
    UnhookWindowsHookEx(hook);
    Unload(form);
}

// The registry's owned window, over its owner, with another program's
// window below both: as the owned window goes, the activation must go back
// to the owner and never pass through the other program. Only a window of
// another process shows it: the system would activate it whenever the
// owner is still disabled as the owned window is destroyed.
class OwnedWindowTest : public ChildProgramTest {
protected:
    template <int Id> struct Window : SampleForm {
        static constexpr int kId = Id;
        explicit Window(ui::Context& c) : SampleForm(c.ui) {}
        void Form_Load() override { Show(); }
    };
    using Owner = Window<1>;
    using Owned = Window<3>;

    winui::Win32Ui ui_{GetModuleHandleW(nullptr)};
    ProgramState state_;
    std::unique_ptr<FileSystem> fs_ = MakePlatformFileSystem();
    std::unique_ptr<TextCodec> codec_ = MakeJapaneseTextCodec();
    std::unique_ptr<Clock> clock_ = MakePlatformClock();
    std::unique_ptr<InstanceLock> lock_ = MakeInstanceLock(dir, "owned");
    Platform platform_{*fs_, *codec_, *clock_, *launcher, *lock_};
    ui::Windows windows_{state_, platform_, ui_};
};

TEST_F(OwnedWindowTest, AnOwnedWindowGivesTheActivationBackToItsOwner) {
    const std::string other = PlaceChild("other");
    ScopedEnv hold("TELK_CHILD_HOLD", dir.Native("release"));
    ScopedEnv window("TELK_CHILD_WINDOW", "1");
    launcher->Start(other);
    const auto otherWindow = reinterpret_cast<HWND>(std::stoull("0" + WaitForReport().fourth));
    ASSERT_TRUE(IsWindow(otherWindow));

    Owner& owner = windows_.Load<Owner>();
    const HWND ownerWindow = ui_.WindowOf(owner);
    const HWND ownedWindow = ui_.WindowOf(windows_.LoadOwned<Owned>(owner));
    ui_.DoEvents();
    ASSERT_EQ(GetForegroundWindow(), ownedWindow);
    const LRESULT before = SendMessageW(otherWindow, WM_APP, 0, 0);

    windows_.Unload<Owned>();
    ui_.DoEvents();
    EXPECT_EQ(SendMessageW(otherWindow, WM_APP, 0, 0), before) << "the other program was activated";
    EXPECT_EQ(GetForegroundWindow(), ownerWindow);
    EXPECT_TRUE(IsWindowEnabled(ownerWindow));
    windows_.Unload<Owner>();
    dir.WriteBytes("release", "");
}

} // namespace
} // namespace telk::test
