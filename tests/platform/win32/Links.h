// Symbolic links for tests, made the way a player's own tools make them.
// Wine's CreateSymbolicLinkW reports success and makes nothing, so under
// Wine the host's ln makes a Unix link (which Wine then resolves inside
// every call). Wine starts a host program without handing back a handle,
// so both helpers wait on the link itself. Shared by the platform and the
// end-to-end tests.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

namespace telk::test {

inline bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

namespace links_detail {

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Empty when Wine cannot say.
inline std::wstring HostPath(const std::wstring& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName =
        reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (name == nullptr) return {};
    wchar_t wide[32768];
    const int length = MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, 32768);
    HeapFree(GetProcessHeap(), 0, name);
    return length > 0 ? std::wstring(wide) : std::wstring();
}

// Runs a program of the host (Wine maps its root to Z:) on two paths and
// waits, bounded, until done() holds.
template <class Done>
bool RunOnHost(const wchar_t* program, const std::wstring& options, const std::wstring& a, const std::wstring& b,
               Done done) {
    std::wstring command = std::wstring(program) + L" " + options + L" \"" + a + L"\"";
    if (!b.empty()) command += L" \"" + b + L"\"";
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (a.empty() || !CreateProcessW((L"Z:" + std::wstring(program)).c_str(), command.data(), nullptr, nullptr,
                                     FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    for (int polls = 0; polls < 500; ++polls) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace links_detail

// Makes link (a Windows path) point at target; false where links cannot be
// made (Windows without the right to).
inline bool MakeLink(const std::wstring& target, const std::wstring& link, bool folder) {
    using namespace links_detail;
    if (!UnderWine())
        return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                   (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
                                       SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
    const std::wstring hostTarget = HostPath(target);
    return !hostTarget.empty() && RunOnHost(L"/bin/ln", L"-s", hostTarget, HostPath(link), [&] { return Exists(link); });
}

// Removes the link itself, never what it points at.
inline bool RemoveLink(const std::wstring& link, bool folder) {
    using namespace links_detail;
    if (!UnderWine()) return (folder ? RemoveDirectoryW(link.c_str()) : DeleteFileW(link.c_str())) != 0;
    return RunOnHost(L"/bin/rm", L"-f", HostPath(link), L"", [&] { return !Exists(link); });
}

} // namespace telk::test
