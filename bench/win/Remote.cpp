// Another program under the harness: started, its windows watched by
// polling, its buttons pressed, its memory and CPU read.
#include "Remote.h"

#include <psapi.h>

#include <atomic>
#include <stdexcept>

namespace bench {

namespace {

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string ReadSmallFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    CloseHandle(h);
    return out;
}

std::wstring ProcPath(int pid, const wchar_t* name) {
    return L"Z:\\proc\\" + std::to_wstring(pid) + L"\\" + name;
}

} // namespace

double Now() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMs;
}

void Fail(const std::string& what) {
    throw std::runtime_error(what);
}

// ---- Program

Program::~Program() {
    Stop();
}

void Program::Start(const std::wstring& exe, const std::wstring& folder, const std::wstring& arguments) {
    Stop();
    static std::atomic<int> counter{0};
    // Ends in a letter, so that no token is the start of another.
    token_ = "telk-bench-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "x";
    std::wstring line = L"\"" + exe + L"\" " + arguments + (arguments.empty() ? L"" : L" ") + Wide(token_);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        Fail("cannot start " + Utf8(exe) + " (error " + std::to_string(GetLastError()) + ")");
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    id_ = pi.dwProcessId;
    hostPid_ = 0;
}

void Program::Stop() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 30000);
    }
    CloseHandle(process_);
    process_ = nullptr;
    id_ = 0;
}

bool Program::WaitIdle(double timeoutMs) const {
    return process_ && WaitForInputIdle(process_, static_cast<DWORD>(timeoutMs)) == 0;
}

bool Program::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

// The host process whose command line carries the token.
int Program::HostPid() {
    if (hostPid_ != 0) return hostPid_;
    WIN32_FIND_DATAW d;
    HANDLE find = FindFirstFileExW(L"Z:\\proc\\*", FindExInfoBasic, &d, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const int pid = _wtoi(d.cFileName);
        if (pid <= 0) continue;
        if (ReadSmallFile(ProcPath(pid, L"cmdline")).find(token_) != std::string::npos) {
            hostPid_ = pid;
            break;
        }
    } while (FindNextFileW(find, &d));
    FindClose(find);
    return hostPid_;
}

double Program::PeakKiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process_, &counters, sizeof counters) && counters.PeakWorkingSetSize != 0)
        return static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
    const int pid = UnderWine() ? HostPid() : 0;
    if (pid == 0) return 0;
    const std::string status = ReadSmallFile(ProcPath(pid, L"status"));
    const std::size_t at = status.find("VmHWM:");
    return at == std::string::npos ? 0 : std::atof(status.c_str() + at + 6);
}

double Program::CpuMs() {
    if (UnderWine()) {
        // Every thread's time on a CPU in nanoseconds, from the scheduler.
        const int pid = HostPid();
        if (pid == 0) return 0;
        double ns = 0;
        WIN32_FIND_DATAW d;
        const std::wstring tasks = ProcPath(pid, L"task");
        HANDLE find = FindFirstFileExW((tasks + L"\\*").c_str(), FindExInfoBasic, &d, FindExSearchNameMatch, nullptr, 0);
        if (find == INVALID_HANDLE_VALUE) return 0;
        do {
            if (_wtoi(d.cFileName) <= 0) continue;
            ns += std::atof(ReadSmallFile(tasks + L"\\" + d.cFileName + L"\\schedstat").c_str());
        } while (FindNextFileW(find, &d));
        FindClose(find);
        return ns / 1e6;
    }
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process_, &created, &ended, &kernel, &user)) return 0;
    auto ms = [](FILETIME t) {
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

// ---- windows

// By caption first: one request to the window server for the few windows
// that carry it, where walking every top-level window costs several.
HWND FindWindowOf(DWORD pid, const std::wstring& caption) {
    for (HWND w = FindWindowExW(nullptr, nullptr, nullptr, caption.c_str()); w;
         w = FindWindowExW(nullptr, w, nullptr, caption.c_str())) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

HWND WaitWindow(const Program& program, const std::wstring& caption, double timeoutMs) {
    const double deadline = Now() + timeoutMs;
    for (;;) {
        if (HWND w = FindWindowOf(program.Id(), caption)) return w;
        if (!program.Running()) Fail("the program ended before showing \"" + Utf8(caption) + "\"");
        if (Now() > deadline) Fail("no window \"" + Utf8(caption) + "\"");
        Sleep(1);
    }
}

void WaitGone(HWND window, double timeoutMs) {
    const double deadline = Now() + timeoutMs;
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (Now() > deadline) Fail("a window stayed open");
        Sleep(1);
    }
}

HWND Button(HWND window, const std::wstring& caption) {
    struct Search {
        const std::wstring* caption;
        HWND found;
        LONG top;
    } search{&caption, nullptr, 0};
    EnumChildWindows(
        window,
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t cls[64];
            GetClassNameW(w, cls, 64);
            if (lstrcmpiW(cls, L"Button") != 0) return TRUE;
            wchar_t text[256];
            const int n = GetWindowTextW(w, text, 256);
            if (std::wstring(text, n > 0 ? static_cast<std::size_t>(n) : 0) != *s->caption) return TRUE;
            RECT r;
            GetWindowRect(w, &r);
            if (!s->found || r.top < s->top) {
                s->found = w;
                s->top = r.top;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) Fail("no button \"" + Utf8(caption) + "\"");
    return search.found;
}

void PostClick(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

} // namespace bench
