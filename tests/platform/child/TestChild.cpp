// A program for the launcher tests to start. It reports how it was started
// (its own file, its current folder, its command line) into the file named
// by TELK_CHILD_OUT, then, when TELK_CHILD_HOLD names a file, keeps running
// until that file appears (or the report disappears), so a test can see it
// running. Two more roles, each reported on a fourth line:
// TELK_CHILD_ASK names a folder, and the child asks the build's launcher
// whether a program runs from inside it, as TELK does from beside the
// client ("running" or "not running"); TELK_CHILD_WINDOW (Windows) gives it
// a window of another program, whose handle it reports.
#ifdef _WIN32
#include <windows.h>

#include "platform/win32/Launcher_win.h"
#else
#include <unistd.h>

#include "platform/posix/Launcher_posix.h"
#endif

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

#ifdef _WIN32
std::string Utf8(const wchar_t* wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

std::string Variable(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD length = GetEnvironmentVariableW(name, value, 32768);
    return length == 0 || length >= 32768 ? std::string() : Utf8(value);
}

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Report(int, char**) {
    wchar_t module[32768];
    GetModuleFileNameW(nullptr, module, 32768);
    wchar_t folder[32768];
    GetCurrentDirectoryW(32768, folder);
    return Utf8(module) + "\n" + Utf8(folder) + "\n" + Utf8(GetCommandLineW()) + "\n";
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Publish(const std::string& temporary, const std::string& path) {
    return MoveFileExW(Wide(temporary).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::ofstream OpenOut(const std::string& path) {
    return std::ofstream(std::filesystem::path(Wide(path)), std::ios::binary);
}
#else
std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : value;
}

std::string Report(int argc, char** argv) {
    char module[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", module, sizeof module - 1);
    if (length > 0) module[length] = '\0';
    char folder[PATH_MAX] = {};
    if (getcwd(folder, sizeof folder) == nullptr) folder[0] = '\0';
    std::string commandLine;
    for (int i = 0; i < argc; ++i) commandLine += (i ? " " : "") + std::string(argv[i]);
    return std::string(module) + "\n" + folder + "\n" + commandLine + "\n";
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

bool Publish(const std::string& temporary, const std::string& path) {
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::ofstream OpenOut(const std::string& path) {
    return std::ofstream(path, std::ios::binary);
}
#endif

#ifdef _WIN32
#define NAME(text) L##text
#else
#define NAME(text) text
#endif

std::string AskLauncher(const std::string& folder) {
#ifdef _WIN32
    telk::Win32Launcher launcher;
#else
    telk::PosixLauncher launcher;
#endif
    return launcher.AnyRunning({}, folder) ? "running" : "not running";
}

#ifdef _WIN32
// Counts the times it is made the active window; WM_APP answers the count.
LONG activations = 0;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE) ++activations;
    if (msg == WM_APP) return activations;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Shown below every window there is, without being activated: it can take
// the activation only when no window above it can.
std::string OpenWindow() {
    WNDCLASSW wc {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TELK.TestChild";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"another program", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return "";
    SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return std::to_string(reinterpret_cast<std::uintptr_t>(hwnd));
}

void Pause() {
    // A window answers its messages while the child waits.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
#else
void Pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}
#endif

} // namespace

int main(int argc, char** argv) {
    const std::string out = Variable(NAME("TELK_CHILD_OUT"));
    if (out.empty()) return 2;
    std::string fourth;
    const std::string ask = Variable(NAME("TELK_CHILD_ASK"));
    if (!ask.empty()) fourth = AskLauncher(ask);
#ifdef _WIN32
    if (!Variable(NAME("TELK_CHILD_WINDOW")).empty()) fourth = OpenWindow();
#endif
    {
        // Written aside and renamed, so the test never reads half a report.
        std::ofstream file = OpenOut(out + ".part");
        file << Report(argc, argv) << fourth << "\n";
        if (!file.flush()) return 3;
    }
    if (!Publish(out + ".part", out)) return 4;

    const std::string hold = Variable(NAME("TELK_CHILD_HOLD"));
    if (!hold.empty()) {
        // Bounded, and over once the test's folder (with the report) is
        // gone, so a failed test cannot leave it behind.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!Exists(hold) && Exists(out) && std::chrono::steady_clock::now() < end) Pause();
    }
    return 0;
}
