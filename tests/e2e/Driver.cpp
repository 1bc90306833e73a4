// Win32 from the outside: everything here works on another process's windows
// through messages the system marshals (WM_GETTEXT, CB_GETLBTEXT, ...), so the
// driver sees the program exactly as assistive technology would.

#include "Driver.h"

#include "ui/Texts.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwctype>
#include <sstream>
#include <thread>

namespace e2e {

namespace {

// A sent message may run a handler that takes a while (a listing, a copy);
// a hung program fails the test instead of hanging it.
constexpr UINT kSendTimeoutMs = 30000;

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

std::string LastError(const std::string& what) {
    return what + " (error " + std::to_string(GetLastError()) + ")";
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result))
        Fail(LastError("message " + std::to_string(message) + " not answered"));
    return static_cast<LRESULT>(result);
}

std::wstring Trimmed(std::wstring_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::iswspace(s[b])) ++b;
    while (e > b && std::iswspace(s[e - 1])) --e;
    std::wstring out(s.substr(b, e - b));
    if (out.size() > 1 && out.back() == L'\\') out.pop_back();
    return out;
}

bool IsWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::wstring Env(const wchar_t* name) {
    wchar_t buf[32768];
    const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return n && n < 32768 ? std::wstring(buf, n) : std::wstring();
}

} // namespace

// ---- text

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) Fail("invalid UTF-8");
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string Cp932(std::string_view utf8) {
    const std::wstring w = Wide(utf8);
    if (w.empty()) return {};
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, &lossy);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, &lossy);
    if (lossy) Fail("text has no code page 932 form: " + std::string(utf8));
    return out;
}

std::string Cp932Lines(const std::vector<std::string>& utf8Lines) {
    std::string out;
    for (const std::string& line : utf8Lines) out += Cp932(line) + "\r\n";
    return out;
}

bool SameNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::string Today() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u-%02u-%04u", t.wMonth, t.wDay, t.wYear);
    return buf;
}

// ---- files

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    return folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

void MakeFolders(const std::wstring& path) {
    for (std::size_t pos = 3; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != L'\\') continue;
        const std::wstring part = path.substr(0, pos);
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            Fail(LastError("cannot create " + Utf8(part)));
    }
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    MakeFolders(path.substr(0, path.find_last_of(L'\\')));
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) Fail(LastError("cannot write " + Utf8(path)));
    DWORD done = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
    if (!ok || done != bytes.size()) Fail(LastError("short write to " + Utf8(path)));
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

bool IsFile(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

template <class F> void EachEntry(const std::wstring& folder, F f) {
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(Join(folder, L"*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        f(name, (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(h, &d));
    FindClose(h);
}

void SnapshotInto(const std::wstring& folder, const std::wstring& prefix, Tree& out) {
    EachEntry(folder, [&](const std::wstring& name, bool isFolder) {
        const std::wstring full = Join(folder, name);
        const std::wstring rel = prefix.empty() ? name : prefix + L"\\" + name;
        if (isFolder) {
            out[rel] = "/";
            SnapshotInto(full, rel, out);
        } else {
            const auto bytes = ReadBytes(full);
            out[rel] = bytes ? *bytes : std::string("<unreadable>");
        }
    });
}

} // namespace

void RemoveTree(const std::wstring& path) {
    EachEntry(path, [&](const std::wstring& name, bool isFolder) {
        const std::wstring full = Join(path, name);
        if (isFolder) {
            RemoveTree(full);
        } else {
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(full.c_str());
        }
    });
    RemoveDirectoryW(path.c_str());
}

void CopyOrThrow(const std::wstring& from, const std::wstring& to) {
    MakeFolders(to.substr(0, to.find_last_of(L'\\')));
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) Fail(LastError("cannot copy " + Utf8(from)));
}

Tree Snapshot(const std::wstring& folder) {
    Tree out;
    SnapshotInto(folder, L"", out);
    return out;
}

std::string Describe(const Tree& before, const Tree& after) {
    std::ostringstream s;
    for (const auto& [name, bytes] : before) {
        const auto it = after.find(name);
        if (it == after.end()) s << "gone: " << Utf8(name) << "\n";
        else if (it->second != bytes) s << "changed: " << Utf8(name) << "\n";
    }
    for (const auto& [name, bytes] : after)
        if (!before.count(name)) s << "new: " << Utf8(name) << "\n";
    return s.str();
}

TempFolder::TempFolder(const std::string& tag) {
    static std::atomic<int> counter{0};
    // Not below the temporary folder: TELK warns once it runs from there.
    wchar_t windows[MAX_PATH + 1];
    const DWORD n = GetWindowsDirectoryW(windows, MAX_PATH + 1);
    if (n < 3 || n > MAX_PATH) Fail("no Windows folder");
    const std::wstring path = Join(std::wstring(windows, 3) + L"telk-e2e", L"telk-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                             std::to_wstring(++counter) + L"-" + Wide(tag));
    RemoveTree(path);
    MakeFolders(path);
    // The folder lists show names as stored; compare against the same.
    wchar_t longPath[32768];
    const DWORD m = GetLongPathNameW(path.c_str(), longPath, 32768);
    path_ = m && m < 32768 ? std::wstring(longPath, m) : path;
}

TempFolder::~TempFolder() {
    if (Env(L"TELK_E2E_KEEP").empty()) RemoveTree(path_);
}

HeldFile::HeldFile(const std::wstring& path, DWORD share) {
    handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) Fail(LastError("cannot hold " + Utf8(path)));
}

HeldFile::~HeldFile() { Release(); }

void HeldFile::Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

// ---- where things are

std::wstring WindowsPath(const std::wstring& path) {
    std::wstring p = path;
    if (!p.empty() && p[0] == L'/') p = L"Z:" + p; // Wine maps the Unix root to Z:
    std::replace(p.begin(), p.end(), L'/', L'\\');
    wchar_t full[32768];
    const DWORD n = GetFullPathNameW(p.c_str(), 32768, full, nullptr);
    return n && n < 32768 ? std::wstring(full, n) : p;
}

namespace {
std::wstring ProgramFrom(const wchar_t* variable) {
    const std::wstring value = Env(variable);
    if (value.empty()) Fail("environment variable " + Utf8(variable) + " is not set (CTest sets it)");
    const std::wstring path = WindowsPath(value);
    if (!IsFile(path)) Fail("no program at " + Utf8(path));
    return path;
}
} // namespace

std::wstring TelkExe() { return ProgramFrom(L"TELK_EXE"); }
std::wstring ClientExe() { return ProgramFrom(L"TELK_E2E_CLIENT"); }

void RequireDisplay() {
    if (IsWine() && Env(L"DISPLAY").empty() && Env(L"WAYLAND_DISPLAY").empty())
        Fail("no display: the end-to-end tests show real windows; run them under xvfb-run (scripts/test.sh does)");
}

void PrepareWine() {
    if (!IsWine()) return;
    const DWORD off = 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", L"ShowCrashDialog", REG_DWORD, &off, sizeof off);
    const wchar_t no[] = L"N";
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Managed", REG_SZ, no, sizeof no);
}

// ---- waiting

void WaitUntil(const std::function<bool()>& condition, const std::string& what, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return;
        if (std::chrono::steady_clock::now() > deadline)
            throw Timeout("timed out after " + std::to_string(timeout.count()) + " ms waiting for: " + what);
        // Poll interval: short against the timeout, long enough to leave the
        // program the CPU.
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
}

// ---- processes

bool Alive(DWORD pid) {
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!h) return false;
    const bool alive = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return alive;
}

Process::~Process() {
    Kill();
    if (process_) CloseHandle(process_);
}

void Process::Start(const std::wstring& exe, const std::wstring& folder, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        Fail(LastError("cannot start " + Utf8(exe)));
    CloseHandle(pi.hThread);
    if (process_) CloseHandle(process_);
    process_ = pi.hProcess;
    id_ = pi.dwProcessId;
}

bool Process::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void Process::WaitExit(const std::string& what, std::chrono::milliseconds timeout) {
    if (!process_) Fail("no process");
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        throw Timeout("timed out waiting for the end of the program: " + what);
}

void Process::Kill() {
    if (Running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, static_cast<DWORD>(kTimeout.count()));
    }
}

// ---- windows and controls

std::wstring ClassOf(HWND window) {
    wchar_t buf[256];
    const int n = GetClassNameW(window, buf, 256);
    return std::wstring(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::wstring TextOf(HWND window) {
    const auto length = static_cast<std::size_t>(Send(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring buf(length + 1, L'\0');
    const auto got = static_cast<std::size_t>(Send(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(buf.data())));
    buf.resize(std::min(got, length));
    return buf;
}

RECT ScreenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool Enabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

HWND Focused(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

namespace {

std::wstring CaptionOf(HWND window) {
    // A top-level window's caption is read without a message, so a program
    // busy in a handler does not stall the search.
    wchar_t buf[512];
    const int n = GetWindowTextW(window, buf, 512);
    return std::wstring(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool IsDialogClass(HWND window) { return ClassOf(window) == L"#32770"; }

} // namespace

std::vector<HWND> TopWindows(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s->pid && IsWindowVisible(w)) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindTopWindow(DWORD pid, const std::wstring& caption) {
    for (HWND w : TopWindows(pid))
        if (!IsDialogClass(w) && CaptionOf(w) == caption) return w;
    return nullptr;
}

HWND WaitWindow(DWORD pid, const std::wstring& caption) {
    HWND found = nullptr;
    const std::string what = "the window \"" + Utf8(caption) + "\"";
    WaitUntil(
        [&] {
            if ((found = FindTopWindow(pid, caption)) != nullptr) return true;
            if (!Alive(pid)) Fail("the program ended while waiting for " + what);
            return false;
        },
        what);
    return found;
}

void WaitGone(HWND window, const std::string& what) {
    WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, what + " to close");
}

HWND FindWaitWindow(DWORD pid) {
    for (HWND w : TopWindows(pid)) {
        if (IsDialogClass(w) || !CaptionOf(w).empty()) continue;
        for (HWND label : Controls(w, Kind::Label))
            if (TextOf(label) == Wide(telk::ui::kWaitText)) return w;
    }
    return nullptr;
}

namespace {

std::optional<Kind> KindOf(HWND control) {
    const std::wstring cls = ClassOf(control);
    if (SameNoCase(cls, L"Button")) {
        const LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
        if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) return Kind::Radio;
        if (type == BS_GROUPBOX) return std::nullopt;
        return Kind::Button;
    }
    if (SameNoCase(cls, L"Edit")) return Kind::Edit;
    if (SameNoCase(cls, L"ComboBox")) return Kind::Combo;
    if (SameNoCase(cls, L"Static")) return Kind::Label;
    if (SameNoCase(cls, L"ListBox")) return Kind::List;
    return std::nullopt;
}

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::Button: return "button";
    case Kind::Radio: return "option button";
    case Kind::Edit: return "text box";
    case Kind::Combo: return "combo box";
    case Kind::Label: return "label";
    case Kind::List: return "list box";
    }
    return "control";
}

} // namespace

std::vector<HWND> Controls(HWND form, Kind kind) {
    struct Search {
        Kind kind;
        std::vector<HWND> found;
    } search{kind, {}};
    EnumChildWindows(
        form,
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            // The edit field and list inside a combo box are its own parts.
            HWND parent = GetAncestor(w, GA_PARENT);
            if (parent && SameNoCase(ClassOf(parent), L"ComboBox")) return TRUE;
            if (!IsWindowVisible(w)) return TRUE;
            const auto found = KindOf(w);
            if (found && *found == s->kind) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    std::stable_sort(search.found.begin(), search.found.end(), [](HWND a, HWND b) {
        const RECT ra = ScreenRect(a), rb = ScreenRect(b);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return search.found;
}

HWND Control(HWND form, Kind kind, const std::wstring& caption) {
    std::vector<HWND> matches;
    std::string seen;
    for (HWND c : Controls(form, kind)) {
        const std::wstring text = TextOf(c);
        if (text == caption) matches.push_back(c);
        seen += " \"" + Utf8(text) + "\"";
    }
    if (matches.size() != 1)
        Fail(std::to_string(matches.size()) + " " + KindName(kind) + "s \"" + Utf8(caption) + "\" in \"" +
             Utf8(CaptionOf(form)) + "\"; there are:" + seen);
    return matches.front();
}

// ---- user actions

namespace {
void Notify(HWND control, WORD code) {
    HWND parent = GetAncestor(control, GA_PARENT);
    Send(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}
} // namespace

void Type(HWND control, const std::wstring& text) {
    Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Notify(control, SameNoCase(ClassOf(control), L"ComboBox") ? CBN_EDITCHANGE : EN_CHANGE);
}

void Click(HWND button) { Send(button, BM_CLICK, 0, 0); }

void PostClick(HWND button) {
    if (!PostMessageW(button, BM_CLICK, 0, 0)) Fail(LastError("cannot post a click"));
}

void PressKeys(HWND window, std::initializer_list<WORD> keys) {
    SetForegroundWindow(window);
    for (WORD key : keys) keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) keybd_event(static_cast<BYTE>(*key), 0, KEYEVENTF_KEYUP, 0);
}

void Choose(HWND radio) { Send(radio, BM_CLICK, 0, 0); }

bool Checked(HWND radio) { return Send(radio, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<std::wstring> Items(HWND list) {
    const bool combo = SameNoCase(ClassOf(list), L"ComboBox");
    const LRESULT count = Send(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    std::vector<std::wstring> out;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = Send(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) Fail("cannot read a list entry");
        std::wstring buf(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT got = Send(list, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
        buf.resize(static_cast<std::size_t>(std::max<LRESULT>(0, std::min(got, length))));
        out.push_back(buf);
    }
    return out;
}

int Selected(HWND list) {
    const bool combo = SameNoCase(ClassOf(list), L"ComboBox");
    return static_cast<int>(Send(list, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

int IndexOf(HWND list, const std::wstring& entry) {
    const auto items = Items(list);
    const auto it = std::find(items.begin(), items.end(), entry);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void Pick(HWND combo, const std::wstring& item) {
    const int index = IndexOf(combo, item);
    if (index < 0) Fail("no entry \"" + Utf8(item) + "\" in the list");
    Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Notify(combo, CBN_SELCHANGE);
}

void Highlight(HWND list, int index) {
    Send(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Notify(list, LBN_SELCHANGE);
}

void Open(HWND list, int index) {
    Send(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Notify(list, LBN_DBLCLK);
}

void OpenFolder(HWND dirList, const std::wstring& path) {
    // The list shows the root ("C:\"), the chain of opened folders and then
    // the sub-folders of the opened one; a user opens one level at a time.
    std::vector<std::wstring> parts;
    parts.push_back(path.substr(0, 3));
    std::wstringstream rest(path.substr(3));
    for (std::wstring part; std::getline(rest, part, L'\\');)
        if (!part.empty()) parts.push_back(part);

    for (std::size_t level = 0; level < parts.size(); ++level) {
        const std::wstring want = Trimmed(parts[level]);
        int index = -1;
        WaitUntil(
            [&] {
                const auto items = Items(dirList);
                // The root is the first entry; a sub-folder is found after the
                // chain, so search from the end.
                for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
                    if (level == 0 && i != 0) continue;
                    if (SameNoCase(Trimmed(items[static_cast<std::size_t>(i)]), want)) {
                        index = i;
                        return true;
                    }
                }
                return false;
            },
            "the folder \"" + Utf8(want) + "\" in the folder list");
        Open(dirList, index);
    }
}

// ---- message boxes

std::optional<MessageBoxSeen> FindMessageBox(DWORD pid) {
    for (HWND w : TopWindows(pid)) {
        if (!IsDialogClass(w)) continue;
        MessageBoxSeen box;
        box.window = w;
        box.title = CaptionOf(w);
        for (HWND label : Controls(w, Kind::Label)) box.text += TextOf(label);
        return box;
    }
    return std::nullopt;
}

MessageBoxSeen WaitMessageBox(DWORD pid) {
    std::optional<MessageBoxSeen> box;
    WaitUntil(
        [&] {
            if ((box = FindMessageBox(pid)).has_value() && !box->text.empty()) return true;
            if (!Alive(pid)) Fail("the program ended while waiting for a message box");
            return false;
        },
        "a message box");
    return *box;
}

void Answer(const MessageBoxSeen& box, int id) {
    HWND button = GetDlgItem(box.window, id);
    if (!button) Fail("the message box \"" + Utf8(box.text) + "\" has no button " + std::to_string(id));
    if (!PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
        Fail(LastError("cannot answer the message box"));
    WaitGone(box.window, "the message box \"" + Utf8(box.text) + "\"");
}

} // namespace e2e
