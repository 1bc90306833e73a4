// CreateProcessW with the program's full path as the application name, so
// that a path with spaces is never cut at a space and a "C:\Program.exe"
// is never started in place of "C:\Program Files\...". Only a program that
// needs elevation goes through the shell.

#include "platform/win32/WinApi.h"

#include <objbase.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "platform/win32/Launcher_win.h"

#include <vector>

#include "platform/PathText.h"
#include "platform/win32/FileSystem_win.h"
#include "platform/win32/Handle.h"
#include "platform/win32/SystemFunction.h"
#include "platform/win32/Utf16.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/WideText.h"

namespace telk {

namespace {

// Not in every SDK's winerror.h.
constexpr DWORD kElevationRequired = 740;

[[noreturn]] void Fail(const std::string& path, DWORD error) {
    throw LaunchError(path, SystemMessage(error));
}

// Full and long form, so that "c:\progra~1\x.exe" and
// "C:\Program Files\x.exe" compare equal. Only a path with a short name
// (a "~" in it) is looked up for its long form: the look-up walks each
// folder on the way, which under Wine was two thirds of a press's listing.
std::wstring Canonical(const std::wstring& path) {
    std::wstring full = FullPathName(path);
    if (full.empty() || full.find(L'~') == std::wstring::npos) return full;
    std::wstring longer =
        FilledBy([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); },
                 full.size() + MAX_PATH);
    return longer.empty() ? full : longer;
}

std::wstring ImagePath(DWORD processId) {
    const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.Valid()) return {};
    std::wstring buffer(32768, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!QueryFullProcessImageNameW(process.Get(), 0, buffer.data(), &size)) return {};
    buffer.resize(size);
    return buffer;
}

} // namespace

void Win32Launcher::Start(const std::string& path) {
    if (path.empty()) Fail(path, ERROR_FILE_NOT_FOUND);
    const std::wstring application = FullPathName(Utf8ToWide(path));
    if (application.empty()) Fail(path, GetLastError());

    std::wstring commandLine = L"\"" + application + L"\"";
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');

    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process {};
    if (CreateProcessW(application.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process)) {
        const Handle thread(process.hThread), started(process.hProcess);
        return;
    }
    const DWORD error = GetLastError();
    if (error != kElevationRequired) Fail(path, error);
    StartThroughShell(path);
}

void Win32Launcher::StartThroughShell(const std::string& path) {
    if (path.empty()) Fail(path, ERROR_FILE_NOT_FOUND);
    const std::wstring file = FullPathName(Utf8ToWide(path));
    if (file.empty()) Fail(path, GetLastError());
    SHELLEXECUTEINFOW info {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = nullptr; // the default verb: "open", or "runas" for a program that asks for it
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    using ShellExecuteExFn = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
    using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
    using CoUninitializeFn = void(WINAPI*)();
    static const auto shellExecute = SystemFunction<ShellExecuteExFn>(L"shell32.dll", "ShellExecuteExW");
    static const auto coInitialize = SystemFunction<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
    static const auto coUninitialize = SystemFunction<CoUninitializeFn>(L"ole32.dll", "CoUninitialize");
    if (!shellExecute) Fail(path, GetLastError());
    // The shell's start of a program that asks for elevation wants COM on
    // this thread; SEE_MASK_NOASYNC has the start done before COM goes.
    const HRESULT com = coInitialize && coUninitialize
                            ? coInitialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
                            : E_FAIL;
    // Refusing the elevation prompt ends here with ERROR_CANCELLED.
    const BOOL started = shellExecute(&info);
    const DWORD error = started ? ERROR_SUCCESS : GetLastError();
    if (SUCCEEDED(com)) coUninitialize();
    if (!started) Fail(path, error);
}

// One snapshot of the processes for every path asked about: the cost of a
// press is one OpenProcess and one query a process.
bool Win32Launcher::AnyRunning(const std::vector<std::string>& files, const std::string& folder) {
    std::vector<std::wstring> wanted;
    for (const std::string& file : files) {
        const std::wstring canonical = file.empty() ? std::wstring() : Canonical(Utf8ToWide(file));
        if (!canonical.empty()) wanted.push_back(canonical);
    }
    std::wstring inside =
        folder.empty() ? std::wstring() : Canonical(Utf8ToWide(WithTrailingSeparator(WithoutTrailingSeparators(folder))));
    if (!inside.empty() && inside.back() != L'\\') inside += L'\\';
    if (wanted.empty() && inside.empty()) return false;

    const Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid()) return false;
    PROCESSENTRY32W entry {};
    entry.dwSize = sizeof entry;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == self) continue;
        const std::wstring image = ImagePath(entry.th32ProcessID);
        if (image.empty()) continue;
        const std::wstring program = Canonical(image);
        for (const std::wstring& file : wanted)
            if (SameTextNoCase(program, file)) return true;
        if (!inside.empty() && program.size() > inside.size() && SameTextNoCase(program.substr(0, inside.size()), inside))
            return true;
    }
    return false;
}

} // namespace telk
