// The Win32 Ui: the forms' windows, message boxes owned by the program's
// active window, and the three event loops (the program's, one pass, and
// the nested wait).
#include "ui/win32/Win32Ui.h"

#include <algorithm>

#include "platform/win32/SystemFunction.h"
#include "platform/win32/Utf16.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/FormWindow.h"

namespace telk::winui {

Win32Ui::Win32Ui(HINSTANCE instance, int icon) : instance_(instance), icon_(icon) {
    FormWindow::RegisterWindowClass(instance, icon);
}

Win32Ui::~Win32Ui() = default;

unsigned Win32Ui::PrimaryDpi() {
    // Screen() measures the primary monitor; its own DPI makes the centring
    // agree with windows created there.
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpi = SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    if (getDpi) {
        UINT x = 0, y = 0;
        HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
        if (SUCCEEDED(getDpi(primary, 0 /* effective DPI */, &x, &y)) && x != 0) return x;
    }
    const UINT system = GetDpiForSystem();
    return system != 0 ? system : 96;
}

FormWindow* Win32Ui::Find(const ui::Form& form) const {
    for (auto& w : windows_)
        if (&w->Model() == &form) return w.get();
    return nullptr;
}

HWND Win32Ui::WindowOf(const ui::Form& form) const {
    FormWindow* w = Find(form);
    return w ? w->Handle() : nullptr;
}

HWND Win32Ui::WindowOf(const ui::Control& control) const {
    FormWindow* w = Find(control.Owner());
    return w ? w->HandleOf(control) : nullptr;
}

bool Win32Ui::IsOurs(HWND hwnd) const {
    if (!hwnd) return false;
    for (auto& w : windows_)
        if (w->Handle() == hwnd) return true;
    return false;
}

// ---- forms

void Win32Ui::Realize(ui::Form& form) {
    if (Find(form)) return;
    auto window = std::make_unique<FormWindow>(*this, form);
    window->Create(PrimaryDpi());
    windows_.push_back(std::move(window));
}

void Win32Ui::Show(ui::Form& form) {
    if (FormWindow* w = Find(form)) w->Show();
}

void Win32Ui::Unrealize(ui::Form& form) {
    auto it = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return &w->Model() == &form; });
    if (it == windows_.end()) return;
    (*it)->Destroy();
    retired_.push_back(std::move(*it));
    windows_.erase(it);
    // Wakes a loop blocked in GetMessage to test again: a picker that closes
    // ends a wait, and its click may have come as a message sent from
    // another thread (UI automation), which GetMessage handles without
    // returning. Also how the program's loop sees that no window is left.
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Win32Ui::OuterSize(const ui::Form& form, int& width, int& height) {
    if (FormWindow* w = Find(form)) w->OuterTwips(width, height);
    else FormWindow::OuterTwips(form.Layout(), PrimaryDpi(), width, height);
}

ui::ScreenSize Win32Ui::Screen() {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
    const double perPixel = static_cast<double>(kTwipsPerInch) / PrimaryDpi();
    return {(mi.rcMonitor.right - mi.rcMonitor.left) * perPixel, (mi.rcMonitor.bottom - mi.rcMonitor.top) * perPixel};
}

// ---- message boxes

HWND Win32Ui::BoxOwner() const {
    HWND active = GetActiveWindow();
    if (IsOurs(active) && IsWindowEnabled(active)) return active;
    // Else the frontmost of ours that takes input.
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (IsOurs(h) && IsWindowVisible(h) && IsWindowEnabled(h)) return h;
    return nullptr;
}

ui::Answer Win32Ui::MessageBox(const std::string& text, ui::Buttons buttons, const std::string& title) {
    const std::wstring body = Utf8ToWide(text);
    const std::wstring caption = Utf8ToWide(title.empty() ? std::string(ui::kProgramTitle) : title);
    HWND owner = BoxOwner();
    UINT flags = (buttons == ui::Buttons::Ok ? MB_OK : MB_OKCANCEL) | MB_SETFOREGROUND;
    if (buttons == ui::Buttons::OkCancelDefaultCancel) flags |= MB_DEFBUTTON2;
    // With no window to own it, the box still keeps the program's windows
    // from taking input while it is up.
    if (!owner) flags |= MB_TASKMODAL;
    const int answer = MessageBoxW(owner, body.c_str(), caption.c_str(), flags);
    if (buttons == ui::Buttons::Ok) return ui::Answer::Ok;
    return answer == IDOK ? ui::Answer::Ok : ui::Answer::Cancel;
}

void Win32Ui::ReportFailure(const std::string& what) {
    ReportUnexpected(what);
}

// ---- event loops

void Win32Ui::Process(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (IsOurs(root)) {
        if (msg.message == WM_KEYDOWN && TakeArrow(root, msg)) return;
        // Tab, Shift+Tab and Enter as in a dialog.
        if (IsDialogMessageW(root, &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

// The arrow keys on an option button go through the model's group: the
// dialog manager's groups run in window order, which is the tab order, and
// that interleaves the slot rows' buttons with their name boxes. Pressed
// or posted, the key comes here alike.
bool Win32Ui::TakeArrow(HWND root, const MSG& msg) {
    ui::Arrow key{};
    switch (msg.wParam) {
    case VK_UP: key = ui::Arrow::Up; break;
    case VK_DOWN: key = ui::Arrow::Down; break;
    case VK_LEFT: key = ui::Arrow::Left; break;
    case VK_RIGHT: key = ui::Arrow::Right; break;
    default: return false;
    }
    for (auto& w : windows_)
        if (w->Handle() == root) return w->OnArrow(msg.hwnd, key);
    return false;
}

void Win32Ui::DoEvents() {
    // What runs in here is the user's doing, not the caller's.
    const NestedLoop loop(*this);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // For the outer loop to see.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Process(msg);
    }
}

void Win32Ui::WaitWhile(const std::function<bool()>& condition) {
    const NestedLoop loop(*this);
    // Blocks in GetMessage between tests: an open picker costs no CPU.
    while (condition()) {
        if (windows_.empty()) return; // nothing left that could end the wait
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (got == -1) return;
        Process(msg);
    }
}

int Win32Ui::Run() {
    MSG msg;
    while (!windows_.empty()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        Process(msg);
        retired_.clear(); // no handler of theirs is running out here
    }
    return 0;
}

void Win32Ui::EndProgram() {
    // At once: no unload step, no destructor of the windows runs.
    ExitProcess(0);
}

} // namespace telk::winui
