// Drives the real telk.exe from outside, as a user or UI automation would:
// processes, top-level windows found by caption and process, controls found
// by class, caption and position, typed text, clicks, list choices and
// message boxes answered by their text. No back door into the program.
// Every wait is a bounded poll on something visible; a timeout throws, which
// fails the test with the reason.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// Generous: a first Wine start in a cold prefix can take seconds.
inline constexpr std::chrono::milliseconds kTimeout{30000};

struct Timeout : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// ---- text

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view text);
// The bytes of a UTF-8 text in code page 932, as telk.ini and DATA.INI hold it.
std::string Cp932(std::string_view utf8);
// Lines in code page 932, each ended by CR LF.
std::string Cp932Lines(const std::vector<std::string>& utf8Lines);
bool SameNoCase(std::wstring_view a, std::wstring_view b);
// Today's date as mm-dd-yyyy.
std::string Today();

// ---- files

std::wstring Join(const std::wstring& folder, const std::wstring& name);
void MakeFolders(const std::wstring& path);
void WriteBytes(const std::wstring& path, std::string_view bytes); // creates the folders
std::optional<std::string> ReadBytes(const std::wstring& path);
bool IsFile(const std::wstring& path);
void RemoveTree(const std::wstring& path);
void CopyOrThrow(const std::wstring& from, const std::wstring& to);
// Everything under a folder: relative path -> bytes ("/" for a folder), so two
// snapshots differ when any file changed, appeared or went.
using Tree = std::map<std::wstring, std::string>;
Tree Snapshot(const std::wstring& folder);
std::string Describe(const Tree& before, const Tree& after);

// A fresh folder under C:\telk-e2e of the Wine prefix, removed at the end
// (kept when TELK_E2E_KEEP is set, to look at after a failure).
class TempFolder {
public:
    explicit TempFolder(const std::string& tag);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

// Holds a file open for reading and writing, as the running game client
// does: sharing nothing, or letting others only read.
class HeldFile {
public:
    explicit HeldFile(const std::wstring& path, DWORD share = 0);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    void Release();

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// ---- where things are

// telk.exe and the test client, from TELK_EXE and TELK_E2E_CLIENT (Unix paths
// are taken as Z:\...).
std::wstring TelkExe();
std::wstring ClientExe();
std::wstring WindowsPath(const std::wstring& path);
// Throws unless windows can be shown (under Wine: an X display).
void RequireDisplay();
// Under Wine: a crashing program gets a back-trace on the console instead of
// a crash dialog that would wait for a user; and with no window manager in
// Xvfb, windows are left unmanaged so that hiding one does not wait for a
// manager's answer.
void PrepareWine();

// ---- waiting

// Polls until the condition holds; throws Timeout naming what was awaited.
void WaitUntil(const std::function<bool()>& condition, const std::string& what,
               std::chrono::milliseconds timeout = kTimeout);

// ---- processes

bool Alive(DWORD pid);

class Process {
public:
    Process() = default;
    ~Process(); // ends a process still running
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    void Start(const std::wstring& exe, const std::wstring& folder, const std::wstring& arguments = L"");
    DWORD Id() const { return id_; }
    bool Running() const;
    void WaitExit(const std::string& what, std::chrono::milliseconds timeout = kTimeout);
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// ---- windows and controls

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window); // WM_GETTEXT, works across processes
RECT ScreenRect(HWND window);
bool Enabled(HWND window);
// The control that has the keyboard focus in the window's thread.
HWND Focused(HWND window);

// Visible top-level windows of a process.
std::vector<HWND> TopWindows(DWORD pid);
HWND FindTopWindow(DWORD pid, const std::wstring& caption); // nullptr if none
HWND WaitWindow(DWORD pid, const std::wstring& caption);
void WaitGone(HWND window, const std::string& what);
// The wait window: a top-level window without a caption that shows the label.
HWND FindWaitWindow(DWORD pid);

enum class Kind { Button, Radio, Edit, Combo, Label, List };

// The controls of a window of one kind, in reading order (top, then left).
std::vector<HWND> Controls(HWND form, Kind kind);
// The one control of that kind whose text is the caption; throws otherwise.
HWND Control(HWND form, Kind kind, const std::wstring& caption);

// ---- user actions

// Types into a text box or the field of a combo box: sets the text and tells
// the window it changed, as a keystroke would.
void Type(HWND control, const std::wstring& text);
// Presses a button and returns when its handler has run. Only for buttons
// whose handler opens nothing modal.
void Click(HWND button);
// Presses a button without waiting (for handlers that show a message box or
// run a nested loop); wait on what it shows instead.
void PostClick(HWND button);
// Keys pressed on the keyboard with the window in front, down in order and
// up in reverse ({VK_SHIFT, VK_TAB}: Shift+Tab).
void PressKeys(HWND window, std::initializer_list<WORD> keys);
// Chooses an option button.
void Choose(HWND radio);
bool Checked(HWND radio);

std::vector<std::wstring> Items(HWND list); // combo box or list box
int Selected(HWND list);
// Chooses an entry of a combo box as the user does (selection and the change
// notification, which CB_SETCURSEL alone does not send).
void Pick(HWND combo, const std::wstring& item);
// Highlights an entry of a list box, or opens it (double-click).
void Highlight(HWND list, int index);
void Open(HWND list, int index);
// Opens a folder in a folder list, from its drive root down.
void OpenFolder(HWND dirList, const std::wstring& path);
int IndexOf(HWND list, const std::wstring& entry); // -1: none

// ---- message boxes

struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;
};
std::optional<MessageBoxSeen> FindMessageBox(DWORD pid);
MessageBoxSeen WaitMessageBox(DWORD pid);
// Presses IDOK or IDCANCEL and waits until the box is gone.
void Answer(const MessageBoxSeen& box, int id);

} // namespace e2e
