// What the harness needs of another program: start it, see its windows
// come and go, press its buttons, and read its memory and CPU use. Windows
// are watched by polling every millisecond; Wine delivers no out-of-context
// window events to another process, and a poll costs both programs alike.
#pragma once

#include "platform/win32/WinApi.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/Utf16.h"

namespace bench {

// Milliseconds on the performance counter.
double Now();

[[noreturn]] void Fail(const std::string& what);
inline std::string Utf8(const std::wstring& text) { return telk::WideToUtf8(text); }
inline std::wstring Wide(const std::string& text) { return telk::Utf8ToWide(text); }

class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts exe in folder; the arguments end with a token that finds the
    // process again among the host's processes under Wine.
    void Start(const std::wstring& exe, const std::wstring& folder, const std::wstring& arguments);
    // Waits until it waits for input with nothing left to do (its first
    // window shown and painted); false on timeout.
    bool WaitIdle(double timeoutMs = 60000) const;
    // Ends it (TerminateProcess on its own handle) and waits for the end.
    void Stop();
    DWORD Id() const { return id_; }
    bool Running() const;

    // Peak working set so far, in KiB; CPU time used so far, in ms. Under
    // Wine, from the host's /proc (Wine answers zero for another process).
    double PeakKiB();
    double CpuMs();

private:
    int HostPid();

    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    std::string token_;
    int hostPid_ = 0;
};

// The visible top-level window of the process with that caption, or null.
HWND FindWindowOf(DWORD pid, const std::wstring& caption);
// Waits (polling each millisecond) until it is visible; returns it.
HWND WaitWindow(const Program& program, const std::wstring& caption, double timeoutMs = 60000);
// Waits until the window is gone or hidden.
void WaitGone(HWND window, double timeoutMs = 60000);

// The button of the window with that caption; the topmost when several are.
HWND Button(HWND window, const std::wstring& caption);
// Presses it without waiting for its handler.
void PostClick(HWND button);

} // namespace bench
